// The sampler's drain, line-change slots and the acquisition's start, stop and slot limit, both
// over plain fake ports and through the window's controls.
#include "app/TimerMode.h"
#include "capture/Sampler.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using capture::CaptureState;
using capture::TickOutcome;

namespace {

struct Slot {
    int32_t rxd;
    int32_t txd;
    int32_t mask;
    friend bool operator==(const Slot&, const Slot&) = default;
};

QList<Slot> slotsOf(const CaptureState& state, int32_t first = 1) {
    QList<Slot> result;
    for (int32_t k = first; k <= state.BufIndex; ++k)
        result.append({state.rxdBuf[k], state.txdBuf[k], state.pBuf[k]});
    return result;
}

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray result;
    for (int v : values)
        result.append(char(v));
    return result;
}

// Every value a fake port hands out, so a test can tell which bytes left the port.
struct EndlessFeed {
    explicit EndlessFeed(FakeSerialPort& port) : port(port) {
        port.onRead = [this] {
            if (this->port.pending.empty())
                this->port.pending.push_back(next++ % 256);
        };
    }
    FakeSerialPort& port;
    int next = 0;
    // Bytes taken from the port so far.
    int taken() const { return next - int(port.pending.size()); }
};

} // namespace

Q_DECLARE_METATYPE(QList<Slot>)
Q_DECLARE_METATYPE(LineLevels)

namespace QTest {
template <> char* toString(const Slot& slot) {
    return qstrdup(QByteArray::number(slot.rxd) + ',' + QByteArray::number(slot.txd) + ',' +
                   QByteArray::number(slot.mask));
}
} // namespace QTest

class CaptureTest : public QObject {
    Q_OBJECT
private slots:
    // drainPorts over fake ports.
    void drainFilesPairs_data();
    void drainFilesPairs();
    void snapshotFollowsNextReads();
    void silentTickTakesNoSnapshot();
    void slotLimitTestedAfterDrain_data();
    void slotLimitTestedAfterDrain();
    void burstEndsAtLastIndex_data();
    void burstEndsAtLastIndex();
    void fullArraysReadNoByte();
    void snapshotMaskBits_data();
    void snapshotMaskBits();

    // Acquisition through the window.
    void tickThroughWindow();
    void restartBeginsAtSlotOne();
    void bytesWaitingAtStartAreDropped();
    void timersFollowAcquisition_data();
    void timersFollowAcquisition();
    void shortGapTimeRaisedAtStart_data();
    void shortGapTimeRaisedAtStart();
    void savedSettingsCopiedAtStart();
    void speedOptionWaitsForNextStart();
    void highSpeedDrawsOnceAfterStop();
    void limitEndsAcquisition_data();
    void limitEndsAcquisition();
    void burstEndsAcquisitionAtLastIndex();

    // Line-change slots.
    void lineChangeAppendsSnapshot_data();
    void lineChangeAppendsSnapshot();
    void lineChangeWhileIdle();
    void lineChangeWithFullArrays();
    void portsWatchTheirLines();
};

void CaptureTest::drainFilesPairs_data() {
    QTest::addColumn<QByteArray>("port1");
    QTest::addColumn<QByteArray>("port2");
    QTest::addColumn<QList<Slot>>("expected");
    QTest::newRow("41 42 43 and 30") << bytes({0x41, 0x42, 0x43}) << bytes({0x30})
                                     << QList<Slot>{{65, 48, 0}, {66, 256, 0}, {67, 256, 0}};
    QTest::newRow("only port 2") << QByteArray() << bytes({0x7f, 0x80})
                                 << QList<Slot>{{256, 127, 0}, {256, 128, 0}};
    QTest::newRow("byte 0 is a byte")
        << bytes({0}) << bytes({0, 0}) << QList<Slot>{{0, 0, 0}, {256, 0, 0}};
    QTest::newRow("extreme values") << bytes({255, 13, 10}) << bytes({1, 255})
                                    << QList<Slot>{{255, 1, 0}, {13, 255, 0}, {10, 256, 0}};
    QTest::newRow("silent") << QByteArray() << QByteArray() << QList<Slot>{};
}

void CaptureTest::drainFilesPairs() {
    QFETCH(QByteArray, port1);
    QFETCH(QByteArray, port2);
    QFETCH(QList<Slot>, expected);
    FakeSerialPort one;
    FakeSerialPort two;
    one.queue(port1);
    two.queue(port2);
    CaptureState state;
    QCOMPARE(capture::drainPorts(state, one, two), TickOutcome::Continue);
    QCOMPARE(slotsOf(state), expected);
    QVERIFY(one.pending.empty());
    QVERIFY(two.pending.empty());
}

void CaptureTest::snapshotFollowsNextReads() {
    // Each slot's snapshot is taken just after the next pair of reads: a level that changes
    // during the k+1-th read of port 1 is in slot k's mask.
    FakeSerialPort one;
    FakeSerialPort two;
    one.queue(bytes({1, 2, 3}));
    int reads = 0;
    one.onRead = [&] {
        ++reads;
        if (reads == 2)
            one.levels.cts = true;
        if (reads == 3)
            two.levels.dsr = true;
        if (reads == 4)
            one.levels.ri = true;
    };
    CaptureState state;
    capture::drainPorts(state, one, two);
    QCOMPARE(slotsOf(state), (QList<Slot>{{1, 256, 2}, {2, 256, 2 + 4}, {3, 256, 2 + 4 + 32}}));
}

void CaptureTest::silentTickTakesNoSnapshot() {
    FakeSerialPort one;
    FakeSerialPort two;
    one.levels = {true, true, true, true};
    CaptureState state;
    state.BufIndex = 7;
    QCOMPARE(capture::drainPorts(state, one, two), TickOutcome::Continue);
    QCOMPARE(state.BufIndex, 7);
    QCOMPARE(one.levelReads, 0);
    QCOMPARE(two.levelReads, 0);
}

void CaptureTest::slotLimitTestedAfterDrain_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("outcome");
    QTest::newRow("ends at 80000") << 79998 << 2 << int(TickOutcome::Continue);
    QTest::newRow("ends at 80001") << 79998 << 3 << int(TickOutcome::End);
    QTest::newRow("passes 80000 mid-tick") << 79000 << 1500 << int(TickOutcome::End);
    QTest::newRow("already above, silent") << 80001 << 0 << int(TickOutcome::End);
    QTest::newRow("far below") << 0 << 5 << int(TickOutcome::Continue);
}

void CaptureTest::slotLimitTestedAfterDrain() {
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(int, outcome);
    FakeSerialPort one;
    FakeSerialPort two;
    one.queue(QByteArray(count, 'x'));
    CaptureState state;
    state.BufIndex = start;
    QCOMPARE(int(capture::drainPorts(state, one, two)), outcome);
    // The tick drains every waiting byte, whatever the limit.
    QCOMPARE(state.BufIndex, start + count);
    QVERIFY(one.pending.empty());
}

void CaptureTest::burstEndsAtLastIndex_data() {
    QTest::addColumn<bool>("port2Too");
    QTest::newRow("port 1 only") << false;
    QTest::newRow("both ports") << true;
}

void CaptureTest::burstEndsAtLastIndex() {
    // Bytes keep arriving while the tick drains: the drain stops at the last index and takes
    // no byte it cannot store.
    QFETCH(bool, port2Too);
    FakeSerialPort one;
    FakeSerialPort two;
    EndlessFeed feed1(one);
    std::optional<EndlessFeed> feed2;
    if (port2Too)
        feed2.emplace(two);
    CaptureState state;
    const int32_t start = 79990;
    state.BufIndex = start;
    state.rxdBuf[start] = -1;
    QCOMPARE(capture::drainPorts(state, one, two), TickOutcome::End);
    QCOMPARE(state.BufIndex, capture::kLastIndex);
    QCOMPARE(state.rxdBuf.size(), std::size_t(capture::kLastIndex + 1));
    const int stored = capture::kLastIndex - start;
    QCOMPARE(feed1.taken(), stored);
    QCOMPARE(state.rxdBuf[start + 1], 0);
    QCOMPARE(state.rxdBuf[capture::kLastIndex], (stored - 1) % 256);
    if (feed2) {
        QCOMPARE(feed2->taken(), stored);
        QCOMPARE(state.txdBuf[capture::kLastIndex], (stored - 1) % 256);
    } else {
        QCOMPARE(state.txdBuf[capture::kLastIndex], 256);
    }
    QCOMPARE(state.rxdBuf[start], -1);
}

void CaptureTest::fullArraysReadNoByte() {
    FakeSerialPort one;
    FakeSerialPort two;
    one.queue(bytes({1, 2}));
    two.queue(bytes({3}));
    CaptureState state;
    state.BufIndex = capture::kLastIndex;
    QCOMPARE(capture::drainPorts(state, one, two), TickOutcome::End);
    QCOMPARE(state.BufIndex, capture::kLastIndex);
    QCOMPARE(one.pending.size(), std::size_t(2));
    QCOMPARE(two.pending.size(), std::size_t(1));
}

void CaptureTest::snapshotMaskBits_data() {
    QTest::addColumn<LineLevels>("port1");
    QTest::addColumn<LineLevels>("port2");
    QTest::addColumn<int>("mask");
    QTest::newRow("nothing") << LineLevels{} << LineLevels{} << 0;
    QTest::newRow("port 2 DCD") << LineLevels{} << LineLevels{false, false, true, false} << 1;
    QTest::newRow("port 1 CTS") << LineLevels{true, false, false, false} << LineLevels{} << 2;
    QTest::newRow("port 2 DSR") << LineLevels{} << LineLevels{false, true, false, false} << 4;
    QTest::newRow("port 1 DSR") << LineLevels{false, true, false, false} << LineLevels{} << 8;
    QTest::newRow("port 1 DCD") << LineLevels{false, false, true, false} << LineLevels{} << 16;
    QTest::newRow("port 1 RI") << LineLevels{false, false, false, true} << LineLevels{} << 32;
    QTest::newRow("port 2 CTS and RI unused")
        << LineLevels{} << LineLevels{true, false, false, true} << 0;
    QTest::newRow("everything") << LineLevels{true, true, true, true}
                                << LineLevels{true, true, true, true} << 63;
}

void CaptureTest::snapshotMaskBits() {
    QFETCH(LineLevels, port1);
    QFETCH(LineLevels, port2);
    QFETCH(int, mask);
    FakeSerialPort one;
    FakeSerialPort two;
    one.levels = port1;
    two.levels = port2;
    QCOMPARE(capture::handshakeSnapshot(one, two), mask);
}

void CaptureTest::tickThroughWindow() {
    WindowFixture f;
    f.port1()->levels.dcd = true;
    f.click("AcquirePB");
    QCOMPARE(f.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Stop"));
    f.port1()->queue(bytes({0x41, 0x42, 0x43}));
    f.port2()->queue(bytes({0x30}));
    f.window->Timer1_Action();
    QCOMPARE(slotsOf(f.window->capture()),
             (QList<Slot>{{65, 48, 16}, {66, 256, 16}, {67, 256, 16}}));
    // A silent tick appends nothing.
    f.window->Timer1_Action();
    QCOMPARE(f.window->capture().BufIndex, 3);
    // Bytes that arrive later land in the next tick, without waiting for a test call.
    f.port2()->queue(bytes({0}));
    QTRY_COMPARE(f.window->capture().BufIndex, 4);
    QCOMPARE(slotsOf(f.window->capture(), 4), (QList<Slot>{{256, 0, 16}}));
}

void CaptureTest::restartBeginsAtSlotOne() {
    WindowFixture f;
    f.find<QComboBox>("SerialPortPopup")->setCurrentIndex(1);
    f.find<QComboBox>("SerialPortPopup2")->setCurrentIndex(2);
    f.click("AcquirePB");
    f.port1()->queue(bytes({1, 2, 3, 4}));
    f.window->Timer1_Action();
    f.click("AcquirePB");
    QCOMPARE(f.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Acquire"));
    f.window->DisplayTimer_Action();
    for (const char* row : {"rxd", "txd", "rts", "cts", "dtr", "dsr", "dcd", "ri"})
        QVERIFY2(!f.row(row).isEmpty(), row);
    QCOMPARE(f.window->capture().BufIndex, 4);

    f.click("AcquirePB");
    QCOMPARE(f.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Stop"));
    QCOMPARE(f.window->capture().BufIndex, 0);
    QCOMPARE(f.window->capture().OldBufIndex, -1);
    for (const char* row : {"rxd", "txd", "rts", "cts", "dtr", "dsr", "dcd", "ri"})
        QVERIFY2(f.row(row).isEmpty(), row);
    f.port2()->queue(bytes({9}));
    f.window->Timer1_Action();
    QCOMPARE(slotsOf(f.window->capture()), (QList<Slot>{{256, 9, 0}}));
    // The old capture's entries above the new slot count are left in place.
    QCOMPARE(f.window->capture().rxdBuf[2], 2);
}

void CaptureTest::bytesWaitingAtStartAreDropped() {
    WindowFixture f;
    f.find<QComboBox>("SerialPortPopup")->setCurrentIndex(1);
    f.find<QComboBox>("SerialPortPopup2")->setCurrentIndex(2);
    // Arrived after the ports were opened, before the first start.
    f.port1()->queue(bytes({0x41, 0x54, 0x0d}));
    f.port2()->queue(bytes({0x0d, 0x0a}));
    f.click("AcquirePB");
    QVERIFY(f.port1()->pending.empty());
    QVERIFY(f.port2()->pending.empty());
    f.window->Timer1_Action();
    QCOMPARE(f.window->capture().BufIndex, 0);
    f.port2()->queue(bytes({0x4f}));
    f.window->Timer1_Action();
    QCOMPARE(slotsOf(f.window->capture()), (QList<Slot>{{256, 0x4f, 0}}));
    // Arrived while stopped: the next start drops them as well.
    f.click("AcquirePB");
    f.port1()->queue(bytes({1, 2}));
    f.click("AcquirePB");
    f.port1()->queue(bytes({3}));
    f.window->Timer1_Action();
    QCOMPARE(slotsOf(f.window->capture()), (QList<Slot>{{3, 256, 0}}));
}

void CaptureTest::timersFollowAcquisition_data() {
    QTest::addColumn<bool>("highSpeed");
    QTest::addColumn<bool>("gaps");
    QTest::newRow("live, no gaps") << false << false;
    QTest::newRow("high speed, no gaps") << true << false;
    QTest::newRow("live, gaps") << false << true;
    QTest::newRow("high speed, gaps") << true << true;
}

void CaptureTest::timersFollowAcquisition() {
    QFETCH(bool, highSpeed);
    QFETCH(bool, gaps);
    WindowFixture f;
    auto* timer1 = f.find<QTimer>("Timer1");
    auto* display = f.find<QTimer>("DisplayTimer");
    auto* gapTimer = f.find<QTimer>("TimeGapTimer");
    f.find<QCheckBox>("HSpeedCB")->setChecked(highSpeed);
    f.find<QCheckBox>("ShowTimeGapsCB")->setChecked(gaps);
    QCOMPARE(timerMode(*timer1), TimerMode::Off);

    f.click("AcquirePB");
    QCOMPARE(timerMode(*timer1), TimerMode::Repeating);
    QCOMPARE(timer1->interval(), 10);
    QCOMPARE(timerMode(*display), highSpeed ? TimerMode::Off : TimerMode::Repeating);
    QCOMPARE(display->interval(), 500);
    QCOMPARE(timerMode(*gapTimer), gaps ? TimerMode::Repeating : TimerMode::Off);
    if (gaps)
        QCOMPARE(gapTimer->interval(), 200);

    f.click("AcquirePB");
    QCOMPARE(timerMode(*timer1), TimerMode::Off);
    QCOMPARE(timerMode(*display), TimerMode::Once);
    QCOMPARE(timerMode(*gapTimer), TimerMode::Off);
}

void CaptureTest::shortGapTimeRaisedAtStart_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("period");
    QTest::newRow("20") << "20"
                        << "50" << 50;
    QTest::newRow("not a number") << "abc"
                                  << "50" << 50;
    QTest::newRow("49.9") << "49.9"
                          << "50" << 50;
    QTest::newRow("exactly 50") << "50"
                                << "50" << 50;
    QTest::newRow("fraction rounded") << "80.6"
                                      << "80.6" << 81;
    QTest::newRow("words after") << "300 ms"
                                 << "300 ms" << 300;
}

void CaptureTest::shortGapTimeRaisedAtStart() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, period);
    WindowFixture f;
    auto* field = f.find<QLineEdit>("GapTimeEF");
    f.find<QCheckBox>("ShowTimeGapsCB")->setChecked(true);
    field->setText(typed);
    f.click("AcquirePB");
    QCOMPARE(field->text(), shown);
    QCOMPARE(field->palette().color(QPalette::Text), QColor(Qt::black));
    QCOMPARE(f.find<QTimer>("TimeGapTimer")->interval(), period);
    QCOMPARE(f.window->capture().GapTimeForSave, typed);
}

void CaptureTest::savedSettingsCopiedAtStart() {
    WindowFixture f;
    f.find<QCheckBox>("HSpeedCB")->setChecked(true);
    f.find<QLineEdit>("TimeGapCharEF")->setText(QStringLiteral("*ab"));
    f.find<QLineEdit>("GapTimeEF")->setText(QStringLiteral("120"));
    f.click("AcquirePB");
    const CaptureState& state = f.window->capture();
    QCOMPARE(state.HSpeedForSave, true);
    QCOMPARE(state.TimeGapForSave, false);
    QCOMPARE(state.GapCharsForSave, QStringLiteral("*ab"));
    QCOMPARE(state.GapTimeForSave, QStringLiteral("120"));
    QCOMPARE(state.TGC, QByteArray("*ab"));
}

void CaptureTest::speedOptionWaitsForNextStart() {
    WindowFixture f;
    f.click("AcquirePB");
    f.click("HSpeedCB");
    QCOMPARE(timerMode(*f.find<QTimer>("DisplayTimer")), TimerMode::Repeating);
    QCOMPARE(f.window->capture().HSpeedForSave, false);
}

void CaptureTest::highSpeedDrawsOnceAfterStop() {
    WindowFixture f;
    f.find<QComboBox>("SerialPortPopup")->setCurrentIndex(1);
    f.find<QCheckBox>("HSpeedCB")->setChecked(true);
    f.click("AcquirePB");
    f.port1()->queue("ABC");
    QTRY_COMPARE(f.window->capture().BufIndex, 3);
    QTest::qWait(600);
    QVERIFY(f.row("rxd").isEmpty());
    f.click("AcquirePB");
    QVERIFY(f.row("rxd").isEmpty());
    QTRY_COMPARE(f.row("rxd"), QStringLiteral("41 42 43 "));
    QCOMPARE(timerMode(*f.find<QTimer>("DisplayTimer")), TimerMode::Off);
}

void CaptureTest::limitEndsAcquisition_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("ends");
    QTest::newRow("tick ends at 80000") << 79990 << 10 << false;
    QTest::newRow("tick ends at 80001") << 79990 << 11 << true;
    QTest::newRow("tick passes far above") << 79990 << 5000 << true;
}

void CaptureTest::limitEndsAcquisition() {
    QFETCH(int, start);
    QFETCH(int, count);
    QFETCH(bool, ends);
    WindowFixture f;
    f.find<QCheckBox>("ShowTimeGapsCB")->setChecked(true);
    f.click("AcquirePB");
    f.window->capture().BufIndex = start;
    f.port1()->queue(QByteArray(count, 'z'));
    f.window->Timer1_Action();
    QCOMPARE(f.window->capture().BufIndex, start + count);
    QCOMPARE(f.find<QPushButton>("AcquirePB")->text(),
             ends ? QStringLiteral("Acquire") : QStringLiteral("Stop"));
    QCOMPARE(timerMode(*f.find<QTimer>("Timer1")), ends ? TimerMode::Off : TimerMode::Repeating);
    QCOMPARE(timerMode(*f.find<QTimer>("DisplayTimer")),
             ends ? TimerMode::Once : TimerMode::Repeating);
    QCOMPARE(timerMode(*f.find<QTimer>("TimeGapTimer")),
             ends ? TimerMode::Off : TimerMode::Repeating);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void CaptureTest::burstEndsAcquisitionAtLastIndex() {
    WindowFixture f;
    f.click("AcquirePB");
    f.window->capture().BufIndex = 79000;
    EndlessFeed feed(*f.port1());
    f.window->Timer1_Action();
    QCOMPARE(f.window->capture().BufIndex, capture::kLastIndex);
    QCOMPARE(feed.taken(), capture::kLastIndex - 79000);
    QCOMPARE(f.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Acquire"));
    QCOMPARE(timerMode(*f.find<QTimer>("Timer1")), TimerMode::Off);
    QCOMPARE(timerMode(*f.find<QTimer>("DisplayTimer")), TimerMode::Once);
    f.port1()->onRead = nullptr;
}

void CaptureTest::lineChangeAppendsSnapshot_data() {
    QTest::addColumn<int>("reporter");
    QTest::newRow("port 1 reports") << 1;
    QTest::newRow("port 2 reports") << 2;
}

void CaptureTest::lineChangeAppendsSnapshot() {
    QFETCH(int, reporter);
    WindowFixture f;
    FakeSerialPort* port = reporter == 1 ? f.port1() : f.port2();
    f.click("AcquirePB");
    f.port1()->queue(bytes({5}));
    f.window->Timer1_Action();
    f.port1()->levels.cts = true;
    port->raiseLineChange();
    // A second notification with nothing changed still appends its own slot.
    f.port2()->levels.dcd = true;
    port->raiseLineChange();
    port->raiseLineChange();
    QCOMPARE(slotsOf(f.window->capture()),
             (QList<Slot>{{5, 256, 0}, {256, 256, 2}, {256, 256, 3}, {256, 256, 3}}));
}

void CaptureTest::lineChangeWhileIdle() {
    WindowFixture f;
    f.click("AcquirePB");
    f.port1()->queue(bytes({1, 2}));
    f.window->Timer1_Action();
    f.click("AcquirePB");
    f.port2()->levels.dsr = true;
    f.port2()->raiseLineChange();
    QCOMPARE(slotsOf(f.window->capture()), (QList<Slot>{{1, 256, 0}, {2, 256, 0}, {256, 256, 4}}));
    f.click("AcquirePB");
    QCOMPARE(f.window->capture().BufIndex, 0);
    f.port1()->queue(bytes({7}));
    f.window->Timer1_Action();
    QCOMPARE(slotsOf(f.window->capture()), (QList<Slot>{{7, 256, 4}}));
}

void CaptureTest::lineChangeWithFullArrays() {
    WindowFixture f;
    CaptureState& state = f.window->capture();
    state.BufIndex = capture::kLastIndex - 1;
    f.port1()->raiseLineChange();
    QCOMPARE(state.BufIndex, capture::kLastIndex);
    QCOMPARE(state.rxdBuf[capture::kLastIndex], 256);
    f.port1()->raiseLineChange();
    f.port2()->raiseLineChange();
    QCOMPARE(state.BufIndex, capture::kLastIndex);
}

void CaptureTest::portsWatchTheirLines() {
    WindowFixture f;
    QCOMPARE(f.port1()->watchedLines(),
             SerialPort::kCts | SerialPort::kDsr | SerialPort::kDcd | SerialPort::kRi);
    QCOMPARE(f.port2()->watchedLines(), SerialPort::kDcd | SerialPort::kDsr);
}

QTEST_MAIN(CaptureTest)
#include "test_capture.moc"
