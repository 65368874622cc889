// Feeds arbitrary bytes to the capture file reader and checks what it promises: it never crashes
// or reads out of bounds, it refuses exactly the files that are not UTF-8 text as such, a refusal
// names a line that exists, and an accepted file stores into a capture without touching what lies
// above its slots and writes back out to a file that reads as the same capture.
#include "files/CaptureFile.h"

#include <QStringDecoder>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// The background the loaded slots are stored over: every entry holds a value of its own.
int32_t backgroundTxd(int32_t i) {
    return i % 258;
}
int32_t backgroundRxd(int32_t i) {
    return (i * 7 + 3) % 258;
}
int32_t backgroundMask(int32_t i) {
    return (i * 5) % 64;
}

void paintBackground(capture::CaptureState& state, int32_t from, int32_t to) {
    for (int32_t i = from; i <= to; ++i) {
        state.txdBuf[i] = backgroundTxd(i);
        state.rxdBuf[i] = backgroundRxd(i);
        state.pBuf[i] = backgroundMask(i);
    }
}

capture::CaptureState& background() {
    static capture::CaptureState* state = [] {
        auto* s = new capture::CaptureState;
        paintBackground(*s, 0, capture::kLastIndex);
        s->BufIndex = 1234;
        s->OldBufIndex = 77;
        s->TGC = "~~~";
        return s;
    }();
    return *state;
}

// An independent view of "text": Qt's own UTF-8 decoder, and no NUL.
bool isText(QByteArrayView bytes) {
    if (bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

int64_t lineCount(QByteArrayView bytes) {
    int64_t lines = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' ||
            (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++lines;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const files::ReadResult result = files::readCaptureFile(bytes);

    if (const auto* error = std::get_if<files::ReadError>(&result)) {
        check(!error->message.isEmpty(), "a refusal says why");
        check((error->kind == files::ReadError::Kind::NotText) == !isText(bytes),
              "refused as binary exactly when the bytes are not UTF-8 text");
        check(error->line >= 0 && error->line <= lineCount(bytes), "a refusal names a real line");
        if (error->kind == files::ReadError::Kind::Shape && error->line > 0)
            check(error->message.contains(QStringLiteral("Line %1: ").arg(error->line)),
                  "the message names the line");
        return 0;
    }

    check(isText(bytes), "only text is accepted");
    const auto& content = std::get<files::CaptureFileContent>(result);
    const auto n = int32_t(content.slotData.size());
    check(n <= capture::kLastIndex, "no more slots than the arrays hold");

    capture::CaptureState& state = background();
    files::storeSlots(state, content.slotData);
    check(state.BufIndex == n, "BufIndex is the number of slot lines");
    for (int32_t i = 1; i <= n; ++i) {
        const files::Slot& slot = content.slotData[size_t(i - 1)];
        check(state.txdBuf[i] == slot.txd && state.rxdBuf[i] == slot.rxd &&
                  state.pBuf[i] == slot.mask,
              "slot i holds line i + 1");
    }
    check(state.txdBuf[0] == backgroundTxd(0) && state.rxdBuf[0] == backgroundRxd(0) &&
              state.pBuf[0] == backgroundMask(0),
          "slot 0 is left alone");
    for (int32_t i = n + 1; i <= std::min(n + 64, capture::kLastIndex); ++i)
        check(state.txdBuf[i] == backgroundTxd(i) && state.rxdBuf[i] == backgroundRxd(i) &&
                  state.pBuf[i] == backgroundMask(i),
              "entries above BufIndex are left alone");
    check(state.OldBufIndex == 77 && state.TGC == "~~~", "other fields are left alone");

    state.HSpeedForSave = content.settings.highSpeed;
    state.TimeGapForSave = content.settings.timeGaps;
    state.GapTimeForSave = content.settings.gapTime;
    state.GapCharsForSave = content.settings.gapChars;
    const QByteArray rewritten = files::writeCaptureFile(state);
    const files::ReadResult again = files::readCaptureFile(rewritten);
    const auto* reread = std::get_if<files::CaptureFileContent>(&again);
    check(reread != nullptr, "a rewritten capture is accepted");
    check(reread->slotData == content.slotData, "a rewritten capture has the same slots");
    check(reread->settings.highSpeed == content.settings.highSpeed &&
              reread->settings.timeGaps == content.settings.timeGaps &&
              reread->settings.gapTime == content.settings.gapTime,
          "a rewritten capture has the same flags and gap time");
    // A quote inside the gap time is where the gap characters are then looked for.
    if (!content.settings.gapTime.contains(u'\''))
        check(reread->settings.gapChars == content.settings.gapChars,
              "a rewritten capture has the same gap characters");

    // Back to the background for the next input.
    paintBackground(state, 1, n);
    state.BufIndex = 1234;
    return 0;
}
