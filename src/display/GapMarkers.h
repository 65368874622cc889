#pragma once

#include "capture/CaptureState.h"

class SerialPort;

namespace display {

// Gap times below this many milliseconds are raised to it when an acquisition starts.
inline constexpr double kMinGapTime = 50.0;

// One tick of the gap timer: a gap-marker slot when nothing was appended since the previous
// tick and markers are wanted, then the tick remembers the slot count. Appends nothing when the
// arrays are full.
void gapTick(capture::CaptureState& state, bool markersWanted, SerialPort& port1,
             SerialPort& port2);

// Whether a gap-time text is below the minimum and so shown as a warning.
bool gapTimeTooShort(const QString& text);

} // namespace display
