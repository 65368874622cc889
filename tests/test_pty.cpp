// The QSerialPort-backed port over pseudo-terminals: framing and rates as the driver holds them,
// errors, line levels on a driver that cannot report them, a device that goes away, and real
// bytes moving through the window's acquisition on both channels.
#include "app/Window1.h"
#include "display/TraceRow.h"
#include "platform/QtSerialPort.h"
#include "support/Pty.h"
#include "support/RecordingDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSignalSpy>
#include <QTest>
#include <fcntl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// The slave's settings as the driver holds them. Terminal settings asked of a pty master are
// those of its slave, so no second opening of the slave (which the port holds exclusively) is
// needed.
struct Termios {
    explicit Termios(const Pty& pty) { valid = ::tcgetattr(pty.master(), &tio) == 0; }
    bool valid = false;
    termios tio{};
};

speed_t outputSpeed(const Pty& pty) {
    const Termios t(pty);
    return t.valid ? ::cfgetospeed(&t.tio) : speed_t(-1);
}

bool setSpeed(const Pty& pty, speed_t speed) {
    termios tio{};
    return ::tcgetattr(pty.master(), &tio) == 0 && ::cfsetspeed(&tio, speed) == 0 &&
           ::tcsetattr(pty.master(), TCSANOW, &tio) == 0;
}

struct StopOnExit {
    std::atomic<bool>& stop;
    ~StopOnExit() { stop = true; }
};

// A window over two pty slaves, both chosen in the pop-ups.
struct PtyWindow {
    PtyWindow() {
        system.names = {pty1.slavePath(), pty2.slavePath()};
        window = std::make_unique<Window1>(system, dialogs);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qWarning("window not exposed");
        find<QComboBox>("SerialPortPopup")->setCurrentIndex(1);
        find<QComboBox>("SerialPortPopup2")->setCurrentIndex(2);
    }
    template <typename T> T* find(const char* name) const {
        T* object = window->findChild<T*>(QString::fromLatin1(name));
        if (!object)
            qFatal("no object named %s", name);
        return object;
    }
    void click(const char* name) const {
        QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton);
    }
    QByteArray rxd() const { return channel(window->capture().rxdBuf, window->capture().BufIndex); }
    QByteArray txd() const { return channel(window->capture().txdBuf, window->capture().BufIndex); }

    Pty pty1;
    Pty pty2;
    PtySerialSystem system;
    RecordingDialogs dialogs;
    std::unique_ptr<Window1> window;
};

} // namespace

class PtyTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void framingAndInitialRate();
    void storedRateAppliedAtOpen();
    void rateChangeAndReset();
    void refusedRateOnOpenPort();
    void refusedStoredRateAtOpen();
    void openFailures_data();
    void openFailures();
    void closedPortIsHarmless();
    void systemMakesClosedPorts();
    void levelsOnPtyReadFalseSilently();
    void lostDeviceReportedOnceThenClosed();
    void discardDropsBufferedAndPendingBytes();

    void bytesFlowThroughAcquisition();
    void bytesBeforeAcquireAreDropped();
    void lostDeviceWhileAcquiring();
    void testPatternReachesFarEnd();
    void missingDeviceReportedByWindow();
};

void PtyTest::initTestCase() {
    Pty probe;
    if (!probe.isValid())
        QSKIP("no pseudo-terminals on this host");
}

void PtyTest::framingAndInitialRate() {
    Pty pty;
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    QVERIFY(port.isOpen());
    const Termios t(pty);
    QVERIFY(t.valid);
    QCOMPARE(t.tio.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(t.tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(t.tio.c_iflag & (IXON | IXOFF), tcflag_t(0));
    QCOMPARE(::cfgetospeed(&t.tio), speed_t(B9600));
    QCOMPARE(port.baudRate(), 9600);
    QCOMPARE(errors.count(), 0);
}

void PtyTest::storedRateAppliedAtOpen() {
    Pty pty;
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setBaudRate(38400);
    QCOMPARE(port.baudRate(), 38400);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    QCOMPARE(outputSpeed(pty), speed_t(B38400));
    QCOMPARE(errors.count(), 0);
}

void PtyTest::rateChangeAndReset() {
    Pty pty;
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    port.setBaudRate(19200);
    QCOMPARE(port.baudRate(), 19200);
    QCOMPARE(outputSpeed(pty), speed_t(B19200));
    // Someone else changes the line's speed; a reset puts the port's own settings back.
    QVERIFY(setSpeed(pty, B2400));
    QCOMPARE(outputSpeed(pty), speed_t(B2400));
    port.reset();
    QCOMPARE(outputSpeed(pty), speed_t(B19200));
    // An odd rate is accepted as a custom one.
    port.setBaudRate(123457);
    QCOMPARE(port.baudRate(), 123457);
    QCOMPARE(errors.count(), 0);
}

void PtyTest::refusedRateOnOpenPort() {
    Pty pty;
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    port.setBaudRate(0);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(port.lastErrorCode(), SerialPort::kRateTooHigh);
    // The port runs on at the rate it had.
    QCOMPARE(port.baudRate(), 9600);
    QVERIFY(port.isOpen());
    QCOMPARE(outputSpeed(pty), speed_t(B9600));
    port.setBaudRate(-5);
    QCOMPARE(errors.count(), 2);
    QCOMPARE(port.lastErrorCode(), SerialPort::kRateTooHigh);
}

void PtyTest::refusedStoredRateAtOpen() {
    Pty pty;
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setBaudRate(-5);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(port.lastErrorCode(), SerialPort::kRateTooHigh);
    QCOMPARE(port.baudRate(), QtSerialPort::kFallbackRate);
    QCOMPARE(outputSpeed(pty), speed_t(B9600));
}

void PtyTest::openFailures_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("code");
    QTest::newRow("missing device")
        << "/dev/quorvane-no-such-port" << int(QSerialPort::DeviceNotFoundError);
    QTest::newRow("not a tty") << "/dev/null" << int(QSerialPort::UnsupportedOperationError);
}

void PtyTest::openFailures() {
    QFETCH(QString, path);
    QFETCH(int, code);
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(path);
    QVERIFY(!port.open());
    QVERIFY(!port.isOpen());
    QCOMPARE(port.lastErrorCode(), code);
    // The failure is the call's result, not a notification.
    QCOMPARE(errors.count(), 0);
    QCOMPARE(port.baudRate(), 9600);
}

void PtyTest::closedPortIsHarmless() {
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.close();
    port.reset();
    port.write(QByteArray(10, 'x'));
    QCOMPARE(port.readByte(), SerialPort::kNoByte);
    QCOMPARE(port.lineLevels(), LineLevels{});
    QTest::qWait(20);
    QCOMPARE(errors.count(), 0);
}

void PtyTest::systemMakesClosedPorts() {
    QtSerialSystem system;
    QObject owner;
    SerialPort* port = system.createPort(&owner);
    QVERIFY(qobject_cast<QtSerialPort*>(port));
    QCOMPARE(port->parent(), &owner);
    QVERIFY(!port->isOpen());
    QVERIFY(port->hostPort().isEmpty());
    QCOMPARE(port->baudRate(), 9600);
    // Every listed name is one the platform resolves back to a port (none is opened here).
    const QStringList names = system.portNames();
    QCOMPARE(names.size(), QSerialPortInfo::availablePorts().size());
    for (const QString& name : names)
        QVERIFY2(!QSerialPortInfo(name).isNull(), qPrintable(name));
}

void PtyTest::levelsOnPtyReadFalseSilently() {
    Pty pty;
    QtSerialPort port;
    port.setWatchedLines(SerialPort::kCts | SerialPort::kDsr | SerialPort::kDcd | SerialPort::kRi);
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    QSignalSpy changes(&port, &SerialPort::lineStateChanged);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    for (int i = 0; i < 100; ++i)
        QCOMPARE(port.lineLevels(), LineLevels{});
    QTest::qWait(100);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(changes.count(), 0);
}

void PtyTest::lostDeviceReportedOnceThenClosed() {
    Pty pty;
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    QCOMPARE(pty.writeAll("hello"), 5);
    // Let the port take the bytes into its buffer before the far end goes.
    QTest::qWait(50);
    pty.closeMaster();
    QTRY_COMPARE(errors.count(), 1);
    const int code = port.lastErrorCode();
    QVERIFY2(code == QSerialPort::ReadError || code == QSerialPort::ResourceError,
             qPrintable(QString::number(code)));
    QVERIFY(!port.isOpen());
    QTest::qWait(200);
    QCOMPARE(errors.count(), 1);
    // What had arrived before the device went is still delivered.
    QByteArray received;
    for (int byte = port.readByte(); byte != SerialPort::kNoByte; byte = port.readByte())
        received.append(char(byte));
    QCOMPARE(received, QByteArray("hello"));
    QCOMPARE(port.lineLevels(), LineLevels{});
}

void PtyTest::discardDropsBufferedAndPendingBytes() {
    Pty pty;
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    QCOMPARE(pty.writeAll("abc"), 3);
    // Once "a" can be read, "b" and "c" sit in QSerialPort's buffer; "def" may still be queued
    // in the driver.
    int first = SerialPort::kNoByte;
    for (QDeadlineTimer deadline(5000); first == SerialPort::kNoByte && !deadline.hasExpired();
         QTest::qWait(5))
        first = port.readByte();
    QCOMPARE(first, int('a'));
    QCOMPARE(pty.writeAll("def"), 3);
    port.discardInput();
    QCOMPARE(port.readByte(), SerialPort::kNoByte);
    QCOMPARE(pty.writeAll("x"), 1);
    QByteArray received;
    QTRY_VERIFY(([&] {
        for (int byte = port.readByte(); byte != SerialPort::kNoByte; byte = port.readByte())
            received.append(char(byte));
        return received.endsWith('x');
    }()));
    QCOMPARE(received, QByteArray("x"));
    QVERIFY(port.isOpen());
    QCOMPARE(errors.count(), 0);
}

void PtyTest::bytesBeforeAcquireAreDropped() {
    PtyWindow w;
    QCOMPARE(w.pty1.writeAll("AT\r"), 3);
    QCOMPARE(w.pty2.writeAll("\r\nOK\r\n"), 6);
    QTest::qWait(50);
    w.click("AcquirePB");
    QCOMPARE(w.pty1.writeAll("ATI\r"), 4);
    QCOMPARE(w.pty2.writeAll("\r\nQV\r\n"), 6);
    QTRY_COMPARE(w.txd(), QByteArray("\r\nQV\r\n"));
    QTRY_COMPARE(w.rxd(), QByteArray("ATI\r"));
    QVERIFY(w.dialogs.messages.isEmpty());
}

void PtyTest::bytesFlowThroughAcquisition() {
    PtyWindow w;
    QVERIFY(w.pty1.isValid() && w.pty2.isValid());
    QVERIFY(w.dialogs.messages.isEmpty());
    w.click("AcquirePB");
    QCOMPARE(w.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Stop"));

    // Port 1 as fast as the pty takes it; port 2 spread over more than one display period, so
    // that live redraws run between the sampler's ticks.
    const QByteArray sent1 = traffic(30000, 7, 0);
    const QByteArray sent2 = traffic(25000, 13, 5);
    std::atomic<bool> stop{false};
    qsizetype written1 = 0;
    qsizetype written2 = 0;
    std::jthread writer1([&] { written1 = w.pty1.writeAll(sent1, stop); });
    std::jthread writer2([&] { written2 = w.pty2.writePaced(sent2, 35000, stop); });
    // Destroyed first, also when a check below fails: the writers stop before they are joined.
    const StopOnExit stopWriters{stop};
    QTRY_VERIFY_WITH_TIMEOUT(w.rxd().size() >= sent1.size() && w.txd().size() >= sent2.size(),
                             30000);
    // The live display has drawn the capture while it ran.
    QVERIFY(!w.find<TraceRow>("txd")->text().isEmpty());
    stop = true;
    writer1.join();
    writer2.join();
    QCOMPARE(written1, sent1.size());
    QCOMPARE(written2, sent2.size());
    // Nothing more arrives later: no byte is duplicated.
    QTest::qWait(50);
    w.click("AcquirePB");
    QCOMPARE(w.rxd(), sent1);
    QCOMPARE(w.txd(), sent2);
    QVERIFY(w.window->capture().BufIndex >= sent1.size());
    QVERIFY(w.dialogs.messages.isEmpty());
}

void PtyTest::lostDeviceWhileAcquiring() {
    PtyWindow w;
    w.click("AcquirePB");
    QCOMPARE(w.pty1.writeAll("abc"), 3);
    QTRY_COMPARE(w.rxd(), QByteArray("abc"));
    w.pty1.closeMaster();
    QTRY_COMPARE(w.dialogs.messages, QStringList{QStringLiteral("Serial port error")});
    QVERIFY(!w.find<SerialPort>("Serial1")->isOpen());
    QCOMPARE(w.dialogs.details, QStringList{SerialPort::closedAfterErrorHint()});
    QTest::qWait(200);
    QCOMPARE(w.dialogs.messages.size(), 1);
    // The capture goes on with the other port.
    QCOMPARE(w.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Stop"));
    QCOMPARE(w.pty2.writeAll("xyz"), 3);
    QTRY_COMPARE(w.txd(), QByteArray("xyz"));
    QCOMPARE(w.rxd(), QByteArray("abc"));
}

void PtyTest::testPatternReachesFarEnd() {
    PtyWindow w;
    auto* box = w.find<QComboBox>("Baud1");
    const int index = box->findText(QStringLiteral("9600"));
    box->setCurrentIndex(index);
    emit box->activated(index);
    w.click("STest1");
    QByteArray expected;
    for (int i = 0; i < 6; ++i)
        expected += QByteArray(160, char(0)) + QByteArray(160, char(255));
    QCOMPARE(w.pty1.read(expected.size(), 5000), expected);
    QCOMPARE(w.pty2.read(1, 50), QByteArray());
    QVERIFY(w.dialogs.messages.isEmpty());
}

void PtyTest::missingDeviceReportedByWindow() {
    Pty pty;
    PtySerialSystem system;
    system.names = {QStringLiteral("/dev/quorvane-no-such-port"), pty.slavePath()};
    RecordingDialogs dialogs;
    Window1 window(system, dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* popup = window.findChild<QComboBox*>(QStringLiteral("SerialPortPopup2"));
    popup->setCurrentIndex(1);
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("Couldn't open the device: 1")});
    QCOMPARE(popup->currentIndex(), 1);
    auto* port = window.findChild<SerialPort*>(QStringLiteral("Serial2"));
    QVERIFY(!port->isOpen());
    popup->setCurrentIndex(2);
    QVERIFY(port->isOpen());
    QCOMPARE(dialogs.messages.size(), 1);
}

QTEST_MAIN(PtyTest)
#include "test_pty.moc"
