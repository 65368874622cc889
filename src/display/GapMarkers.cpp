#include "display/GapMarkers.h"

#include "capture/TextNumber.h"

namespace display {

void gapTick(capture::CaptureState& state, bool markersWanted, SerialPort& port1,
             SerialPort& port2) {
    if (state.OldBufIndex == state.BufIndex && markersWanted && !state.isFull())
        state.appendSlot(capture::kGapMarker, capture::kGapMarker,
                         capture::handshakeSnapshot(port1, port2));
    state.OldBufIndex = state.BufIndex;
}

bool gapTimeTooShort(const QString& text) {
    return capture::textToNumber(text) < kMinGapTime;
}

} // namespace display
