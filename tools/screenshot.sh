#!/usr/bin/env bash
# Starts the application on a private Xvfb display and writes a PNG of its window.
#   tools/screenshot.sh BINARY OUTDIR [NAME] [-- extra args for the app]
set -euo pipefail
binary=$1
outdir=$2
name=${3:-window}
mkdir -p "$outdir"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1100x560x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$app" "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  xdpyinfo -display "$display" >/dev/null 2>&1 && break
  sleep 0.1
done
DISPLAY=$display QT_QPA_PLATFORM=xcb "$binary" &
app=$!
geometry=""
for _ in $(seq 100); do
  info=$(DISPLAY=$display xwininfo -name Quorvane 2>/dev/null || true)
  if grep -q 'IsViewable' <<<"$info"; then
    x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
    w=$(awk '/Width:/ {print $NF}' <<<"$info")
    h=$(awk '/Height:/ {print $NF}' <<<"$info")
    geometry="${w}x${h}+${x}+${y}"
    break
  fi
  sleep 0.1
done
[ -n "$geometry" ] || { echo "screenshot: the window did not appear" >&2; exit 1; }
sleep "${SCREENSHOT_DELAY:-1}"
DISPLAY=$display import -window root -crop "$geometry" +repage "$outdir/$name.png"
echo "screenshot: wrote $outdir/$name.png"
