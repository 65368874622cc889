#pragma once

#include "capture/CaptureState.h"

class SerialPort;

namespace capture {

// What a sampler tick decided about the acquisition.
enum class TickOutcome { Continue, End };

// One sampler tick: drains both ports, one byte from each per cycle, into one slot per cycle
// with a handshake snapshot taken after the next pair of reads. Ends the acquisition when the
// capture has passed the slot limit, or when the arrays are full (then no further byte is read,
// so nothing taken from a port is dropped).
TickOutcome drainPorts(CaptureState& state, SerialPort& port1, SerialPort& port2);

// A slot for a change of the handshake lines: no byte on either channel and a fresh snapshot.
// Appends nothing when the arrays are full.
void appendLineChange(CaptureState& state, SerialPort& port1, SerialPort& port2);

// Resets the counters for a new acquisition; the arrays keep their old entries.
void startCapture(CaptureState& state);

} // namespace capture
