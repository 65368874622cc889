#include "display/Renderer.h"

#include <algorithm>
#include <array>
#include <vector>

namespace display {

namespace {

constexpr char16_t kHigh = u'\u2014'; // EM DASH: an asserted input
constexpr char16_t kLow = u'_';
constexpr char16_t kReplacement = u'\uFFFD';

const std::array<QChar, 256>& glyphTable() {
    static const std::array<QChar, 256> table = [] {
        std::array<QChar, 256> t{};
        for (int b = 0; b < 256; ++b) {
            if (b < 0x20)
                t[b] = QChar(char16_t(0x2400 + b)); // control pictures: NUL, SOH, ...
            else if (b == 0x7F)
                t[b] = QChar(char16_t(0x2421)); // DELETE picture
            else if (b < 0x80)
                t[b] = QChar(char16_t(b));
            else if (b < 0xA0 || b == 0xA0 || b == 0xAD)
                t[b] = QChar(char16_t(0x00B7)); // C1 controls, no-break space, soft hyphen
            else
                t[b] = QChar(char16_t(b)); // Latin-1
        }
        return t;
    }();
    return table;
}

// Length of the UTF-8 sequence that starts with this byte, 0 when it cannot start one.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

QByteArray gapText(const QString& gapCharacters, Format format) {
    const QByteArray bytes = gapCharacters.toUtf8();
    if (format == Format::Ascii)
        return bytes.left(1);
    return (bytes + QByteArray("   ")).left(3);
}

QChar byteGlyph(int byte) {
    return glyphTable()[static_cast<unsigned char>(byte)];
}

QString gapCells(const QByteArray& tgc) {
    QString cells;
    cells.reserve(tgc.size());
    qsizetype i = 0;
    while (i < tgc.size()) {
        const auto lead = static_cast<unsigned char>(tgc[i]);
        const int length = sequenceLength(lead);
        if (length == 1) {
            cells += lead < 0x20 || lead == 0x7F ? byteGlyph(lead) : QChar(char16_t(lead));
            ++i;
            continue;
        }
        const QString decoded = length > 1 && i + length <= tgc.size()
                                    ? QString::fromUtf8(tgc.mid(i, length))
                                    : QString();
        // One character of the right length decoded whole; anything else is a broken piece.
        if (decoded.size() == 1 && decoded[0] != QChar(kReplacement)) {
            cells += decoded;
            cells += QString(length - 1, u' ');
            i += length;
        } else {
            cells += QChar(kReplacement);
            ++i;
        }
    }
    return cells;
}

namespace {

// Writes the cells of one data row from its channel values into a string sized for the worst
// case, then cuts it to what was written. Every slot writes through a pointer: no small
// temporary strings in the loop.
void writeDataRow(QString& row, const std::vector<int32_t>& values, int32_t last, Format format,
                  const QString& tgc) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const std::array<QChar, 256>& glyphs = glyphTable();
    const qsizetype width = format == Format::Ascii ? 1 : 3;
    row.resize(qsizetype(last) * std::max(width, tgc.size()));
    char16_t* const start = reinterpret_cast<char16_t*>(row.data());
    char16_t* out = start;
    const char16_t* const gap = reinterpret_cast<const char16_t*>(tgc.constData());
    const qsizetype gapSize = tgc.size();
    auto writeGap = [&] { out = std::copy(gap, gap + gapSize, out); };
    for (int32_t i = 1; i <= last; ++i) {
        const int32_t v = values[size_t(i)];
        if (format == Format::Ascii) {
            if (v == capture::kNoByte || v == capture::kGapMarker || v == 13 || v == 10)
                writeGap();
            else if (v >= 0 && v <= 255)
                *out++ = glyphs[size_t(v)].unicode();
            else
                *out++ = kReplacement; // only a hand-edited file holds such values
        } else if (v == capture::kNoByte) {
            *out++ = u' ';
            *out++ = u' ';
            *out++ = u' ';
        } else if (v == capture::kGapMarker) {
            writeGap();
        } else {
            // The last two hexadecimal digits of the value, uppercase, and a space.
            const auto low = static_cast<uint32_t>(v) & 0xFFu;
            *out++ = kDigits[low >> 4];
            *out++ = kDigits[low & 0xF];
            *out++ = u' ';
        }
    }
    row.resize(out - start);
}

} // namespace

void renderRows(capture::CaptureState& state, Format format) {
    QString* const handshake[6] = {&state.rtsStr, &state.ctsStr, &state.dtrStr,
                                   &state.dsrStr, &state.dcdStr, &state.riStr};
    static constexpr int32_t kBits[6] = {capture::kPort2Dcd, capture::kPort1Cts, capture::kPort2Dsr,
                                         capture::kPort1Dsr, capture::kPort1Dcd, capture::kPort1Ri};
    // Each row string takes the buffer of the redraw before last, which the rows on screen no
    // longer share, and keeps its capacity; the previous text becomes the next spare.
    QString* const rows[8] = {&state.txdStr, &state.rxdStr, handshake[0], handshake[1],
                              handshake[2],  handshake[3],  handshake[4], handshake[5]};
    for (int r = 0; r < 8; ++r) {
        rows[r]->swap(state.rowSpares[size_t(r)]);
        if (rows[r]->isDetached())
            rows[r]->resize(0);
        else
            *rows[r] = QString();
    }
    const int32_t last = std::min(state.BufIndex, capture::kLastIndex);
    if (last < 1)
        return;

    const QString tgc = gapCells(state.TGC);
    writeDataRow(state.txdStr, state.txdBuf, last, format, tgc);
    writeDataRow(state.rxdStr, state.rxdBuf, last, format, tgc);

    const int width = format == Format::Ascii ? 1 : 3;
    char16_t* out[6];
    for (int k = 0; k < 6; ++k) {
        handshake[k]->resize(qsizetype(last) * width);
        out[k] = reinterpret_cast<char16_t*>(handshake[k]->data());
    }
    for (int32_t i = 1; i <= last; ++i) {
        const int32_t p = state.pBuf[size_t(i)];
        for (int k = 0; k < 6; ++k) {
            const char16_t stroke = (p & kBits[k]) ? kHigh : kLow;
            for (int c = 0; c < width; ++c)
                *out[k]++ = stroke;
        }
    }
}

} // namespace display
