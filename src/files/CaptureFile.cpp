#include "files/CaptureFile.h"

#include <algorithm>
#include <charconv>

namespace files {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kQuote = '\'';

// Longest slot line: three values of 11 characters, two spaces, the line end.
constexpr qsizetype kMaxSlotLine = 3 * 11 + 2 + 1;

// A free text of the header as UTF-8. A line end inside it would split the header into lines
// of their own, and a NUL would make the file binary, so those are written as spaces.
QByteArray headerText(const QString& text) {
    QByteArray bytes = text.toUtf8();
    for (char& c : bytes) {
        if (c == kCr || c == kLf || c == '\0')
            c = ' ';
    }
    return bytes;
}

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF) and hold no NUL.
bool isUtf8Text(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead == 0)
            return false;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80; // allowed range of the second byte
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // overlong
            else if (lead == 0xED)
                high = 0x9F; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90; // overlong
            else if (lead == 0xF4)
                high = 0x8F; // above U+10FFFF
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        if (p[1] < low || p[1] > high)
            return false;
        for (int k = 2; k < length; ++k) {
            if (p[k] < 0x80 || p[k] > 0xBF)
                return false;
        }
        p += length;
    }
    return true;
}

// A decimal integer: an optional "-" and at least one digit, within 32 bits.
bool parseInt32(QByteArrayView field, int32_t& value) {
    const char* first = field.data();
    const char* const last = first + field.size();
    if (first == last)
        return false;
    // from_chars takes a "-" but no "+", and neither a lone "-" nor "--1".
    const auto result = std::from_chars(first, last, value, 10);
    return result.ec == std::errc() && result.ptr == last;
}

// Cuts a line at every single space; two spaces in a row give an empty field between them.
// Only the first `wanted` fields are kept; the count says how many there are, up to `wanted`.
int splitFields(QByteArrayView line, QByteArrayView* fields, int wanted) {
    int count = 0;
    qsizetype start = 0;
    while (count < wanted) {
        const qsizetype space = line.indexOf(' ', start);
        if (space < 0) {
            fields[count++] = line.sliced(start);
            break;
        }
        fields[count++] = line.sliced(start, space - start);
        start = space + 1;
    }
    return count;
}

QString shortened(QByteArrayView field) {
    constexpr qsizetype kShown = 20;
    QString text = QString::fromUtf8(field);
    if (text.size() > kShown) {
        // Never split a character made of two UTF-16 units.
        const qsizetype cut = text[kShown - 1].isHighSurrogate() ? kShown - 1 : kShown;
        text = text.left(cut) + QChar(u'\u2026');
    }
    return text;
}

ReadError shapeError(int64_t line, const QString& what) {
    const QString where = line > 0 ? QStringLiteral("Line %1: ").arg(line) : QString();
    return {ReadError::Kind::Shape, line,
            QStringLiteral("The file was not loaded. ") + where + what};
}

// Walks the lines of a file: each ends at CR, LF or CR LF, or at the end of the bytes.
class LineReader {
public:
    explicit LineReader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }
    int64_t lineNumber() const { return m_line; }

    QByteArrayView next() {
        const qsizetype start = m_pos;
        qsizetype stop = start;
        while (stop < m_bytes.size() && m_bytes[stop] != kCr && m_bytes[stop] != kLf)
            ++stop;
        m_pos = stop;
        if (m_pos < m_bytes.size() && m_bytes[m_pos] == kCr) {
            ++m_pos;
            if (m_pos < m_bytes.size() && m_bytes[m_pos] == kLf)
                ++m_pos;
        } else if (m_pos < m_bytes.size()) {
            ++m_pos; // a line feed
        }
        ++m_line;
        return m_bytes.sliced(start, stop - start);
    }

    // Whether nothing but line ends is left.
    bool onlyLineEndsLeft() const {
        for (qsizetype i = m_pos; i < m_bytes.size(); ++i) {
            if (m_bytes[i] != kCr && m_bytes[i] != kLf)
                return false;
        }
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    int64_t m_line = 0;
};

} // namespace

QString notTextMessage() {
    return QStringLiteral("The selected file is not a text file.");
}

Settings savedSettings(const capture::CaptureState& state) {
    return {state.HSpeedForSave, state.TimeGapForSave, state.GapTimeForSave, state.GapCharsForSave};
}

QByteArray writeCaptureFile(const capture::CaptureState& state) {
    const int32_t last = std::clamp(state.BufIndex, int32_t(0), capture::kLastIndex);
    const QByteArray gapTime = headerText(state.GapTimeForSave);
    const QByteArray gapChars = headerText(state.GapCharsForSave);

    QByteArray out;
    out.reserve(16 + gapTime.size() + gapChars.size());
    out.append(state.HSpeedForSave ? "TRUE " : "FALSE ");
    out.append(state.TimeGapForSave ? "TRUE " : "FALSE ");
    out.append(gapTime);
    out.append(' ');
    out.append(kQuote);
    out.append(gapChars);
    out.append(kQuote);
    out.append(kCr);
    // The slot lines go straight into room for the longest possible lines, cut to size after.
    const qsizetype headerSize = out.size();
    out.resize(headerSize + qsizetype(last) * kMaxSlotLine);
    char* p = out.data() + headerSize;
    char* const end = out.data() + out.size();
    for (int32_t i = 1; i <= last; ++i) {
        p = std::to_chars(p, end, state.txdBuf[i]).ptr;
        *p++ = ' ';
        p = std::to_chars(p, end, state.rxdBuf[i]).ptr;
        *p++ = ' ';
        p = std::to_chars(p, end, state.pBuf[i]).ptr;
        *p++ = kCr;
    }
    out.truncate(p - out.data());
    return out;
}

ReadError tooLargeError() {
    return shapeError(0, QStringLiteral("It is larger than %1 MiB, too large for a capture.")
                             .arg(kMaxFileBytes / (1024 * 1024)));
}

ReadResult readCaptureFile(QByteArrayView bytes) {
    if (bytes.size() > kMaxFileBytes)
        return tooLargeError();
    if (!isUtf8Text(bytes))
        return ReadError{ReadError::Kind::NotText, 0, notTextMessage()};
    // A byte-order mark, as some editors write one, is not part of the header.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (bytes.isEmpty())
        return shapeError(0, QStringLiteral("It is empty: a capture file starts with a header "
                                            "line."));

    LineReader lines(bytes);
    CaptureFileContent content;

    const QByteArrayView headerBytes = lines.next();
    const QString header = QString::fromUtf8(headerBytes);
    const qsizetype space1 = header.indexOf(u' ');
    const qsizetype space2 = space1 < 0 ? -1 : header.indexOf(u' ', space1 + 1);
    if (space2 < 0)
        return shapeError(1, QStringLiteral("the header line needs at least three fields "
                                            "separated by spaces."));
    const qsizetype space3 = header.indexOf(u' ', space2 + 1);
    const qsizetype quote = header.indexOf(u'\'');
    if (quote < 0)
        return shapeError(1, QStringLiteral("the header line has no \"'\" before the gap "
                                            "characters."));
    content.settings.highSpeed = QStringView(header).first(space1) == u"TRUE";
    content.settings.timeGaps =
        QStringView(header).sliced(space1 + 1, space2 - space1 - 1) == u"TRUE";
    content.settings.gapTime =
        header.mid(space2 + 1, space3 < 0 ? qsizetype(-1) : space3 - space2 - 1);
    const qsizetype closing = header.indexOf(u'\'', quote + 1);
    content.settings.gapChars =
        header.mid(quote + 1, closing < 0 ? qsizetype(-1) : closing - quote - 1);

    content.slotData.reserve(std::min<qsizetype>(capture::kLastIndex, bytes.size() / 6 + 1));
    while (!lines.atEnd()) {
        const QByteArrayView line = lines.next();
        const int64_t number = lines.lineNumber();
        if (line.isEmpty() && lines.onlyLineEndsLeft())
            break;
        if (content.slotData.size() >= size_t(capture::kLastIndex))
            return shapeError(number, QStringLiteral("the file holds more than %1 slots, more "
                                                     "than a capture can.")
                                          .arg(capture::kLastIndex));
        QByteArrayView slotFields[3];
        if (splitFields(line, slotFields, 3) < 3)
            return shapeError(number, QStringLiteral("a slot line needs three numbers separated "
                                                     "by spaces."));
        int32_t values[3];
        for (int k = 0; k < 3; ++k) {
            if (!parseInt32(slotFields[k], values[k]))
                return shapeError(number,
                                  QStringLiteral("field %1 (\"%2\") is not a whole decimal number "
                                                 "within 32 bits.")
                                      .arg(QString::number(k + 1), shortened(slotFields[k])));
        }
        content.slotData.push_back({values[0], values[1], values[2]});
    }
    return content;
}

void storeSlots(capture::CaptureState& state, const std::vector<Slot>& loaded) {
    state.BufIndex = 0;
    for (const Slot& slot : loaded) {
        if (!state.appendSlot(slot.rxd, slot.txd, slot.mask))
            break;
    }
}

} // namespace files
