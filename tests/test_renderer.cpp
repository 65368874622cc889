#include "capture/CaptureState.h"
#include "display/Renderer.h"

#include <QTest>

using display::Format;

namespace {

struct Slot {
    int32_t txd;
    int32_t rxd;
    int32_t mask;
};

// A capture holding exactly these slots.
void load(capture::CaptureState& state, const QList<Slot>& run, const QByteArray& tgc) {
    state.BufIndex = 0;
    for (const Slot& s : run)
        QVERIFY(state.appendSlot(s.rxd, s.txd, s.mask));
    state.TGC = tgc;
}

QStringList handshakeRows(const capture::CaptureState& s) {
    return {s.rtsStr, s.ctsStr, s.dtrStr, s.dsrStr, s.dcdStr, s.riStr};
}

QString repeated(QChar ch, qsizetype count) {
    return QString(count, ch);
}

const QChar kHigh(u'\u2014');
const QChar kReplacement(u'\uFFFD');

} // namespace

Q_DECLARE_METATYPE(Slot)
Q_DECLARE_METATYPE(Format)

class RendererTest : public QObject {
    Q_OBJECT
private slots:
    void rows_data();
    void rows();
    void emptyCaptureEmptiesEveryRow_data();
    void emptyCaptureEmptiesEveryRow();
    void everyByteKeepsItsCells_data();
    void everyByteKeepsItsCells();
    void byteGlyph_data();
    void byteGlyph();
    void gapText_data();
    void gapText();
    void gapCells_data();
    void gapCells();
    void brokenGapCharacterKeepsOneCellPerSlot();
    void redrawLeavesTheShownTextsAlone();
    void slotCounterBeyondTheArraysIsBounded();
};

void RendererTest::rows_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QByteArray>("tgc");
    QTest::addColumn<QList<Slot>>("run");
    QTest::addColumn<QString>("txd");
    QTest::addColumn<QString>("rxd");
    QTest::addColumn<QStringList>("handshake"); // rts, cts, dtr, dsr, dcd, ri

    const QStringList lowOnce(6, QStringLiteral("_"));
    QTest::newRow("ascii: a byte on port 1, none on port 2")
        << Format::Ascii << QByteArray("-") << QList<Slot>{{256, 65, 0}} << "-"
        << "A" << lowOnce;
    QTest::newRow("hex: byte, gap marker and byte on both rows")
        << Format::Hex << QByteArray("-  ") << QList<Slot>{{10, 256, 0}, {257, 257, 0}, {99, 0, 0}}
        << "0A -  63 "
        << "   -  00 " << QStringList(6, QStringLiteral("_________"));
    QTest::newRow("ascii: carriage return and line feed draw the gap text")
        << Format::Ascii << QByteArray("*") << QList<Slot>{{13, 10, 0}, {10, 13, 0}} << "**"
        << "**" << QStringList(6, QStringLiteral("__"));
    QTest::newRow("hex: carriage return and line feed are plain bytes")
        << Format::Hex << QByteArray("*  ") << QList<Slot>{{13, 10, 0}} << "0D "
        << "0A " << QStringList(6, QStringLiteral("___"));
    QTest::newRow("ascii: byte 0 is a byte, not an empty position")
        << Format::Ascii << QByteArray("-") << QList<Slot>{{0, 256, 0}} << QString(QChar(u'\u2400'))
        << "-" << lowOnce;
    QTest::newRow("hex: uppercase digits, leading zero")
        << Format::Hex << QByteArray("-  ") << QList<Slot>{{0xAB, 0x0F, 0}, {255, 1, 0}} << "AB FF "
        << "0F 01 " << QStringList(6, QStringLiteral("______"));
    QTest::newRow("ascii: mask 63 raises every handshake row")
        << Format::Ascii << QByteArray("-") << QList<Slot>{{256, 256, 63}} << "-"
        << "-" << QStringList(6, QString(kHigh));
    QTest::newRow("hex: mask 63 raises every handshake row")
        << Format::Hex << QByteArray("-  ") << QList<Slot>{{256, 256, 63}} << "   "
        << "   " << QStringList(6, repeated(kHigh, 3));
    QTest::newRow("ascii: mask 64 has no row")
        << Format::Ascii << QByteArray("-") << QList<Slot>{{256, 256, 64}} << "-"
        << "-" << lowOnce;
    QTest::newRow("ascii: bits above 32 are ignored")
        << Format::Ascii << QByteArray("-") << QList<Slot>{{256, 256, 64 | 128 | 32 | 1}} << "-"
        << "-" << QStringList{QString(kHigh), "_", "_", "_", "_", QString(kHigh)};
    const QString h(kHigh);
    QTest::newRow("ascii: one bit per row, in row order")
        << Format::Ascii << QByteArray("-")
        << QList<Slot>{{256, 256, 1}, {256, 256, 2},  {256, 256, 4},
                       {256, 256, 8}, {256, 256, 16}, {256, 256, 32}}
        << "------"
        << "------" << QStringList{h + "_____",      "_" + h + "____", "__" + h + "___",
                                   "___" + h + "__", "____" + h + "_", "_____" + h};
    QTest::newRow("ascii: an empty gap text makes the data rows shorter")
        << Format::Ascii << QByteArray()
        << QList<Slot>{{256, 65, 0}, {257, 257, 0}, {10, 66, 0}, {67, 13, 0}} << "C"
        << "AB" << QStringList(6, QStringLiteral("____"));
    QTest::newRow("hex: an empty gap text drops only gap markers")
        << Format::Hex << QByteArray() << QList<Slot>{{256, 65, 0}, {257, 257, 0}} << "   "
        << "41 " << QStringList(6, QStringLiteral("______"));
    QTest::newRow("ascii: values a file can hold beyond the channel values")
        << Format::Ascii << QByteArray("-") << QList<Slot>{{258, -1, 0}, {1000, 256, 0}}
        << QString(2, kReplacement) << QString(kReplacement) + "-"
        << QStringList(6, QStringLiteral("__"));
    QTest::newRow("hex: values a file can hold beyond the channel values")
        << Format::Hex << QByteArray("-  ") << QList<Slot>{{258, -1, 0}, {1000, 256, 0}} << "02 E8 "
        << "FF    " << QStringList(6, QStringLiteral("______"));
}

void RendererTest::rows() {
    QFETCH(Format, format);
    QFETCH(QByteArray, tgc);
    QFETCH(QList<Slot>, run);
    capture::CaptureState state;
    load(state, run, tgc);
    display::renderRows(state, format);
    QTEST(state.txdStr, "txd");
    QTEST(state.rxdStr, "rxd");
    QTEST(handshakeRows(state), "handshake");
}

void RendererTest::emptyCaptureEmptiesEveryRow_data() {
    QTest::addColumn<int32_t>("bufIndex");
    QTest::newRow("no slots") << 0;
    QTest::newRow("a counter below zero") << -1;
}

void RendererTest::emptyCaptureEmptiesEveryRow() {
    QFETCH(int32_t, bufIndex);
    capture::CaptureState state;
    load(state, {{65, 66, 63}, {67, 68, 0}}, "-");
    display::renderRows(state, Format::Ascii);
    QCOMPARE(state.rxdStr, QStringLiteral("BD")); // a first redraw filled the rows
    state.BufIndex = bufIndex;
    display::renderRows(state, Format::Ascii);
    for (const QString& row : QStringList{state.txdStr, state.rxdStr} + handshakeRows(state))
        QVERIFY(row.isEmpty());
}

void RendererTest::everyByteKeepsItsCells_data() {
    QTest::addColumn<Format>("format");
    QTest::addColumn<QByteArray>("tgc");
    QTest::addColumn<int>("cellsPerSlot");
    QTest::newRow("ascii") << Format::Ascii << QByteArray("-") << 1;
    QTest::newRow("ascii, a two-byte character cut to its first byte")
        << Format::Ascii << QByteArray("\xC3") << 1;
    QTest::newRow("hex") << Format::Hex << QByteArray("-  ") << 3;
    QTest::newRow("hex, a two-byte character and a space")
        << Format::Hex << QByteArray("\xC3\xA9 ") << 3;
    QTest::newRow("hex, a three-byte character") << Format::Hex << QByteArray("\xE2\x82\xAC") << 3;
}

// Whatever the byte, a slot adds the same number of cells to a data row as to a handshake row,
// so the rows stay aligned slot under slot.
void RendererTest::everyByteKeepsItsCells() {
    QFETCH(Format, format);
    QFETCH(QByteArray, tgc);
    QFETCH(int, cellsPerSlot);
    capture::CaptureState state;
    QList<Slot> run;
    for (int32_t v = -2; v <= 300; ++v)
        run.append({v, 300 - v, v & 63});
    load(state, run, tgc);
    display::renderRows(state, format);
    for (int32_t i = 0; i < state.BufIndex; ++i) {
        const qsizetype at = qsizetype(i) * cellsPerSlot;
        for (const QString* row : {&state.txdStr, &state.rxdStr}) {
            const QString cell = row->mid(at, cellsPerSlot);
            QCOMPARE(cell.size(), cellsPerSlot);
            for (QChar ch : cell)
                QVERIFY2(!ch.isSurrogate() && ch != u'\n' && ch != u'\r' && ch != u'\t',
                         qPrintable(QStringLiteral("slot %1").arg(i + 1)));
        }
    }
    for (const QString& row : QStringList{state.txdStr, state.rxdStr} + handshakeRows(state))
        QCOMPARE(row.size(), qsizetype(state.BufIndex) * cellsPerSlot);
}

void RendererTest::byteGlyph_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<QChar>("glyph");
    QTest::newRow("NUL") << 0x00 << QChar(u'\u2400');
    QTest::newRow("tab") << 0x09 << QChar(u'\u2409');
    QTest::newRow("escape") << 0x1B << QChar(u'\u241B');
    QTest::newRow("unit separator") << 0x1F << QChar(u'\u241F');
    QTest::newRow("space") << 0x20 << QChar(u' ');
    QTest::newRow("A") << 0x41 << QChar(u'A');
    QTest::newRow("tilde") << 0x7E << QChar(u'~');
    QTest::newRow("DEL") << 0x7F << QChar(u'\u2421');
    QTest::newRow("first C1 control") << 0x80 << QChar(u'\u00B7');
    QTest::newRow("last C1 control") << 0x9F << QChar(u'\u00B7');
    QTest::newRow("no-break space") << 0xA0 << QChar(u'\u00B7');
    QTest::newRow("inverted exclamation") << 0xA1 << QChar(u'\u00A1');
    QTest::newRow("soft hyphen") << 0xAD << QChar(u'\u00B7');
    QTest::newRow("e acute") << 0xE9 << QChar(u'\u00E9');
    QTest::newRow("y diaeresis") << 0xFF << QChar(u'\u00FF');
}

void RendererTest::byteGlyph() {
    QFETCH(int, byte);
    QTEST(display::byteGlyph(byte), "glyph");
    capture::CaptureState state;
    load(state, {{byte, byte, 0}}, "-");
    display::renderRows(state, Format::Ascii);
    QTEST(state.txdStr.at(0), "glyph");
}

void RendererTest::gapText_data() {
    QTest::addColumn<QString>("characters");
    QTest::addColumn<QByteArray>("ascii");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("the default hyphen and space")
        << QStringLiteral("- ") << QByteArray("-") << QByteArray("-  ");
    QTest::newRow("empty") << QString() << QByteArray() << QByteArray("   ");
    QTest::newRow("longer than three")
        << QStringLiteral("abcd") << QByteArray("a") << QByteArray("abc");
    QTest::newRow("first character of two bytes")
        << QStringLiteral("\u00E9-") << QByteArray("\xC3") << QByteArray("\xC3\xA9-");
    QTest::newRow("a three-byte character")
        << QStringLiteral("\u20AC") << QByteArray("\xE2") << QByteArray("\xE2\x82\xAC");
    QTest::newRow("a four-byte character cut to three bytes")
        << QStringLiteral("\U0001F600") << QByteArray("\xF0") << QByteArray("\xF0\x9F\x98");
}

void RendererTest::gapText() {
    QFETCH(QString, characters);
    QTEST(display::gapText(characters, Format::Ascii), "ascii");
    QTEST(display::gapText(characters, Format::Hex), "hex");
}

void RendererTest::gapCells_data() {
    QTest::addColumn<QByteArray>("tgc");
    QTest::addColumn<QString>("cells");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("hyphen") << QByteArray("-") << QStringLiteral("-");
    QTest::newRow("hyphen and two spaces") << QByteArray("-  ") << QStringLiteral("-  ");
    QTest::newRow("a lone first byte") << QByteArray("\xC3") << QString(kReplacement);
    QTest::newRow("a two-byte character, then a hyphen")
        << QByteArray("\xC3\xA9-") << QStringLiteral("\u00E9 -");
    QTest::newRow("a three-byte character")
        << QByteArray("\xE2\x82\xAC") << QStringLiteral("\u20AC  ");
    QTest::newRow("a four-byte character cut to three bytes")
        << QByteArray("\xF0\x9F\x98") << QString(3, kReplacement);
    QTest::newRow("a continuation byte alone") << QByteArray("\xA9") << QString(kReplacement);
    QTest::newRow("an overlong form") << QByteArray("\xC0\xAF-") << QString(2, kReplacement) + u'-';
    QTest::newRow("a control byte") << QByteArray("\t") << QStringLiteral("\u2409");
    QTest::newRow("DEL") << QByteArray("\x7F") << QStringLiteral("\u2421");
}

void RendererTest::gapCells() {
    QFETCH(QByteArray, tgc);
    const QString cells = display::gapCells(tgc);
    QTEST(cells, "cells");
    QCOMPARE(cells.size(), tgc.size()); // one cell per byte
}

// The ASCII gap text of a text starting with "é" is its first byte alone: every slot that draws
// it still takes exactly one cell.
void RendererTest::brokenGapCharacterKeepsOneCellPerSlot() {
    capture::CaptureState state;
    load(state, {{256, 65, 0}, {257, 257, 0}, {13, 10, 0}},
         display::gapText(QStringLiteral("\u00E9"), Format::Ascii));
    display::renderRows(state, Format::Ascii);
    QCOMPARE(state.txdStr, QString(3, kReplacement));
    QCOMPARE(state.rxdStr, QString(u'A') + kReplacement + kReplacement);
}

// The rows on screen share the texts of the last redraw; the next redraws must build theirs in
// other memory and leave what is shown as it was.
void RendererTest::redrawLeavesTheShownTextsAlone() {
    capture::CaptureState state;
    load(state, {{65, 66, 1}, {67, 68, 0}}, "-");
    display::renderRows(state, Format::Ascii);
    const QString shown = state.rxdStr;
    const QString shownRts = state.rtsStr;
    for (int redraw = 0; redraw < 3; ++redraw) {
        state.rxdBuf[1] = 'X' + redraw;
        state.pBuf[1] = 0;
        state.appendSlot(69, 70, 1);
        display::renderRows(state, Format::Ascii);
        QCOMPARE(state.rxdStr.at(0), QChar(u'X' + redraw));
        QCOMPARE(state.rxdStr.size(), 3 + redraw);
        QCOMPARE(state.rtsStr.at(0), QChar(u'_'));
    }
    QCOMPARE(shown, QStringLiteral("BD"));
    QCOMPARE(shownRts, QString(kHigh) + u'_');
    display::renderRows(state, Format::Hex);
    QCOMPARE(state.rxdStr, QStringLiteral("5A 44 45 45 45 "));
}

void RendererTest::slotCounterBeyondTheArraysIsBounded() {
    capture::CaptureState state;
    state.TGC = "-";
    state.BufIndex = capture::kLastIndex + 10;
    display::renderRows(state, Format::Ascii);
    QCOMPARE(state.rxdStr.size(), qsizetype(capture::kLastIndex));
    QCOMPARE(state.riStr.size(), qsizetype(capture::kLastIndex));
}

QTEST_GUILESS_MAIN(RendererTest)
#include "test_renderer.moc"
