#!/usr/bin/env bash
# Two virtual serial links for trying Quorvane without hardware:
#   /dev/ttyV0 -> /dev/ttyV1   pick ttyV1 under J4: it hears what the "terminal" sends
#   /dev/ttyV2 -> /dev/ttyV3   pick ttyV3 under J5: it hears what the "modem" answers
# A short modem dialogue is fed into ttyV0 and ttyV2, with pauses, over and over, while the
# application runs.  Usage: tools/demo.sh BINARY   (needs root for /dev, and socat)
set -euo pipefail
binary=${1:?usage: tools/demo.sh BINARY}
links=(/dev/ttyV0 /dev/ttyV1 /dev/ttyV2 /dev/ttyV3)
pids=()
cleanup() {
  kill "${pids[@]}" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

for pair in "0 1" "2 3"; do
  set -- $pair
  socat "pty,raw,echo=0,link=/dev/ttyV$1" "pty,raw,echo=0,link=/dev/ttyV$2" &
  pids+=($!)
done
for link in "${links[@]}"; do
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  [ -e "$link" ] || { echo "demo: socat did not make $link" >&2; exit 1; }
done

# The dialogue: what the terminal sends (J4), a pause, what the modem answers (J5).
feed() {
  exec 3>/dev/ttyV0 4>/dev/ttyV2
  while true; do
    printf 'AT\r' >&3; sleep 0.3; printf '\r\nOK\r\n' >&4; sleep 1
    printf 'ATI\r' >&3; sleep 0.3; printf '\r\nQV-56K v1.2\r\nOK\r\n' >&4; sleep 1.5
    printf 'ATDT5551234\r' >&3; sleep 2; printf '\r\nCONNECT 9600\r\n' >&4; sleep 0.5
    printf 'Hello from the far end\r\n' >&4; sleep 0.8
    printf '\x01\x02\x03\x7f\xff' >&3; sleep 3
  done
}
feed &
pids+=($!)

echo "demo: virtual ports ready: choose /dev/ttyV1 under J4 and /dev/ttyV3 under J5, then press Acquire"
"$binary"
