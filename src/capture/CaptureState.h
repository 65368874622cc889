#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class SerialPort;

namespace capture {

// The arrays hold slots 0..kLastIndex; slot 0 is never used.
inline constexpr int32_t kLastIndex = 100000;
// An acquisition ends once a sampler tick leaves more slots than this.
inline constexpr int32_t kSlotLimit = 80000;

// Channel values of rxdBuf and txdBuf besides the bytes 0..255.
inline constexpr int32_t kNoByte = 256;
inline constexpr int32_t kGapMarker = 257;

// Bits of a handshake mask, in the order a snapshot reads them.
inline constexpr int32_t kPort2Dcd = 1;  // drawn as RTS
inline constexpr int32_t kPort1Cts = 2;  // CTS
inline constexpr int32_t kPort2Dsr = 4;  // drawn as DTR
inline constexpr int32_t kPort1Dsr = 8;  // DSR
inline constexpr int32_t kPort1Dcd = 16; // DCD
inline constexpr int32_t kPort1Ri = 32;  // RI

// One capture: three parallel arrays of slots, the counters, the gap text, the display settings
// it was taken with and the renderer's row strings. Allocated once at full length, never resized.
struct CaptureState {
    CaptureState();

    std::vector<int32_t> rxdBuf; // port 1 (J4)
    std::vector<int32_t> txdBuf; // port 2 (J5)
    std::vector<int32_t> pBuf;   // handshake masks
    int32_t BufIndex = 0;
    int32_t OldBufIndex = 0;
    QByteArray TGC; // gap text, in bytes

    bool HSpeedForSave = false;
    bool TimeGapForSave = false;
    QString GapTimeForSave;
    QString GapCharsForSave;

    QString txdStr, rxdStr, rtsStr, ctsStr, dtrStr, dsrStr, riStr, dcdStr;
    // The renderer's buffers of the redraw before last (txd, rxd, rts, cts, dtr, dsr, dcd, ri).
    // The rows on screen let go of them when they take the new texts, so the next redraw writes
    // into them instead of allocating eight large strings every tick.
    std::array<QString, 8> rowSpares;

    bool isFull() const { return BufIndex >= kLastIndex; }

    // The one way to add a slot: the counter first, then the three entries. Refuses (and
    // returns false) when the arrays are full.
    bool appendSlot(int32_t rxd, int32_t txd, int32_t mask);
};

// The six handshake inputs as one mask: port 2's DCD, port 1's CTS, port 2's DSR, port 1's DSR,
// DCD and RI. Reads whatever levels the ports report, open or not.
int32_t handshakeSnapshot(SerialPort& port1, SerialPort& port2);

} // namespace capture
