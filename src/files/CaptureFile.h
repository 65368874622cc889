#pragma once

#include "capture/CaptureState.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>
#include <variant>
#include <vector>

// The capture file: one header line with the four display settings, then one line per slot,
// every line ended by a carriage return. The free texts are UTF-8.
//
//   FALSE TRUE 200 '- '<CR>      high-speed flag, time-gap flag, gap time, 'gap characters'
//   256 65 0<CR>                  txdBuf (port 2), rxdBuf (port 1), handshake mask
namespace files {

// The four display settings a capture file carries.
struct Settings {
    bool highSpeed = false;
    bool timeGaps = false;
    QString gapTime;
    QString gapChars;

    bool operator==(const Settings&) const = default;
};

// One slot in file order: port 2's value first.
struct Slot {
    int32_t txd = 0;
    int32_t rxd = 0;
    int32_t mask = 0;

    bool operator==(const Slot&) const = default;
};

// A file that has the shape of a capture file, not yet applied to anything.
struct CaptureFileContent {
    Settings settings;
    std::vector<Slot> slotData; // slot 1 first; at most capture::kLastIndex of them
};

// Why a file was refused.
struct ReadError {
    enum class Kind {
        NotText, // binary content: a NUL byte or bytes that are not UTF-8
        Shape,   // text, but not laid out as a capture file
    };
    Kind kind = Kind::Shape;
    int64_t line = 0; // 1 is the header line; 0 when the fault is the file as a whole
    QString message;  // what the user is shown
};

using ReadResult = std::variant<CaptureFileContent, ReadError>;

// The message for a file that is not text, or that cannot be opened for reading.
QString notTextMessage();

// Files larger than this are refused unread: the largest capture is a few megabytes.
inline constexpr int64_t kMaxFileBytes = 64 * 1024 * 1024;
ReadError tooLargeError();

// The saved settings of a capture state.
Settings savedSettings(const capture::CaptureState& state);

// The bytes of the file for slots 1 to BufIndex of the state and its four saved settings. The
// free texts are written as they are, except that CR, LF and NUL in them become spaces.
QByteArray writeCaptureFile(const capture::CaptureState& state);

// Parses a whole file. Lines may end with CR, LF or CR LF; the last line end is optional and
// empty lines at the very end are ignored. Refuses (with the line at fault) rather than guesses.
ReadResult readCaptureFile(QByteArrayView bytes);

// Puts the loaded slots at 1..n and sets BufIndex to n, counter first then the entries, as every
// append does. Entries above n, slot 0 and every other field are left as they are.
void storeSlots(capture::CaptureState& state, const std::vector<Slot>& loaded);

} // namespace files
