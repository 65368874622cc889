#include "capture/CaptureState.h"
#include "display/GapMarkers.h"
#include "support/FakeSerialPort.h"

#include <QTest>

class GapMarkersTest : public QObject {
    Q_OBJECT
private slots:
    void tick_data();
    void tick();
    void fullArraysTakeNoMarker();
    void tooShort_data();
    void tooShort();
};

void GapMarkersTest::tick_data() {
    QTest::addColumn<int32_t>("oldIndex");
    QTest::addColumn<int32_t>("index");
    QTest::addColumn<bool>("wanted");
    QTest::addColumn<int32_t>("indexAfter");
    QTest::newRow("first tick after a start") << -1 << 0 << true << 0;
    QTest::newRow("quiet since the last tick") << 5 << 5 << true << 6;
    QTest::newRow("a slot since the last tick") << 4 << 5 << true << 5;
    QTest::newRow("quiet, markers not wanted") << 5 << 5 << false << 5;
}

void GapMarkersTest::tick() {
    QFETCH(int32_t, oldIndex);
    QFETCH(int32_t, index);
    QFETCH(bool, wanted);
    QFETCH(int32_t, indexAfter);
    capture::CaptureState state;
    state.BufIndex = index;
    state.OldBufIndex = oldIndex;
    state.rxdBuf[size_t(index) + 1] = 65; // left over from an earlier capture
    FakeSerialPort one;
    FakeSerialPort two;
    one.levels.ri = true;
    two.levels.dsr = true;
    display::gapTick(state, wanted, one, two);
    QCOMPARE(state.BufIndex, indexAfter);
    QCOMPARE(state.OldBufIndex, indexAfter); // the tick remembers the counter, marker included
    if (indexAfter != index) {
        QCOMPARE(state.rxdBuf[size_t(indexAfter)], capture::kGapMarker);
        QCOMPARE(state.txdBuf[size_t(indexAfter)], capture::kGapMarker);
        QCOMPARE(state.pBuf[size_t(indexAfter)], capture::kPort1Ri | capture::kPort2Dsr);
    } else {
        QCOMPARE(state.rxdBuf[size_t(index) + 1], 65);
    }
}

void GapMarkersTest::fullArraysTakeNoMarker() {
    capture::CaptureState state;
    state.BufIndex = capture::kLastIndex;
    state.OldBufIndex = capture::kLastIndex;
    FakeSerialPort one;
    FakeSerialPort two;
    display::gapTick(state, true, one, two);
    QCOMPARE(state.BufIndex, capture::kLastIndex);
    QCOMPARE(state.OldBufIndex, capture::kLastIndex);
}

void GapMarkersTest::tooShort_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("warn");
    QTest::newRow("20") << QStringLiteral("20") << true;
    QTest::newRow("49.99") << QStringLiteral("49.99") << true;
    QTest::newRow("50") << QStringLiteral("50") << false;
    QTest::newRow("50.0") << QStringLiteral("50.0") << false;
    QTest::newRow("leading blanks") << QStringLiteral("  75") << false;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("letters") << QStringLiteral("abc") << true;
}

void GapMarkersTest::tooShort() {
    QFETCH(QString, text);
    QTEST(display::gapTimeTooShort(text), "warn");
}

QTEST_GUILESS_MAIN(GapMarkersTest)
#include "test_gap_markers.moc"
