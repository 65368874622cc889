#include "display/Renderer.h"

#include <array>

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

// Appends the hex cell of a channel value: two uppercase digits of its low byte and a space.
void appendHex(QString& row, int32_t value) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    const auto low = static_cast<uint32_t>(value) & 0xFFu;
    row += QChar(kDigits[low >> 4]);
    row += QChar(kDigits[low & 0xF]);
    row += u' ';
}

} // namespace

void renderRows(capture::CaptureState& state, Format format) {
    QString* handshake[6] = {&state.rtsStr, &state.ctsStr, &state.dtrStr,
                             &state.dsrStr, &state.dcdStr, &state.riStr};
    static constexpr int32_t kBits[6] = {capture::kPort2Dcd, capture::kPort1Cts, capture::kPort2Dsr,
                                         capture::kPort1Dsr, capture::kPort1Dcd, capture::kPort1Ri};
    const int32_t last = std::min(state.BufIndex, capture::kLastIndex);
    const qsizetype width = format == Format::Ascii ? 1 : 3;
    const QString tgc = gapCells(state.TGC);
    for (QString* row : {&state.txdStr, &state.rxdStr})
        *row = QString();
    for (QString* row : handshake)
        *row = QString();
    if (last < 1)
        return;
    for (QString* row : {&state.txdStr, &state.rxdStr})
        row->reserve(last * std::max(width, tgc.size()));
    for (QString* row : handshake)
        row->reserve(last * width);

    const QString high(width, QChar(kHigh));
    const QString low(width, QChar(kLow));
    static const QString kBlank(3, u' ');
    auto dataCell = [&](QString& row, int32_t v) {
        if (format == Format::Ascii) {
            if (v == capture::kNoByte || v == capture::kGapMarker || v == 13 || v == 10)
                row += tgc;
            else if (v >= 0 && v <= 255)
                row += byteGlyph(v);
            else
                row += QChar(kReplacement); // only a hand-edited file holds such values
        } else {
            if (v == capture::kNoByte)
                row += kBlank;
            else if (v == capture::kGapMarker)
                row += tgc;
            else
                appendHex(row, v);
        }
    };
    for (int32_t i = 1; i <= last; ++i) {
        dataCell(state.txdStr, state.txdBuf[i]);
        dataCell(state.rxdStr, state.rxdBuf[i]);
        const int32_t p = state.pBuf[i];
        for (int k = 0; k < 6; ++k)
            *handshake[k] += (p & kBits[k]) ? high : low;
    }
}

} // namespace display
