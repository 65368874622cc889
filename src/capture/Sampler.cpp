#include "capture/Sampler.h"

#include "platform/SerialPort.h"

namespace capture {

TickOutcome drainPorts(CaptureState& state, SerialPort& port1, SerialPort& port2) {
    // A pair of bytes is read only when there is a slot to file it in.
    if (state.isFull())
        return TickOutcome::End;
    int one = port1.readByte();
    int two = port2.readByte();
    while (one != kNoByte || two != kNoByte) {
        state.appendSlot(one, two, 0);
        const int32_t slot = state.BufIndex;
        if (state.isFull()) {
            // The last slot: take its snapshot without reading bytes that could not be stored.
            state.pBuf[slot] = handshakeSnapshot(port1, port2);
            return TickOutcome::End;
        }
        one = port1.readByte();
        two = port2.readByte();
        state.pBuf[slot] = handshakeSnapshot(port1, port2);
    }
    return state.BufIndex > kSlotLimit ? TickOutcome::End : TickOutcome::Continue;
}

void appendLineChange(CaptureState& state, SerialPort& port1, SerialPort& port2) {
    if (state.isFull())
        return;
    state.appendSlot(kNoByte, kNoByte, handshakeSnapshot(port1, port2));
}

void startCapture(CaptureState& state) {
    state.OldBufIndex = -1;
    state.BufIndex = 0;
}

} // namespace capture
