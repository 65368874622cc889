// The QSerialPort-backed port against driver behaviour a pseudo-terminal lacks: modem-line
// levels and their transition counts, and a driver that clamps a rate beyond its hardware's
// reach. This executable answers TIOCMGET, TIOCGICOUNT and TCGETS2 itself for the pty slaves a
// test registers, from a state the test sets, and passes every other request on. (The override
// lives in the executable, which takes precedence over the C library for the program and for
// Qt; unlike a preloaded library it also works under the address sanitizer.)
#include "app/Window1.h"
#include "platform/QtSerialPort.h"
#include "support/Pty.h"
#include "support/RecordingDialogs.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <asm/termbits.h>
#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <linux/serial.h>
#include <map>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace {

struct EmulatedLines {
    int bits = 0; // TIOCM_* bits
    serial_icounter_struct counts{};
    unsigned maxRate = 0; // reported rates are clamped to this (0: not clamped)
};

std::mutex g_linesLock;
std::map<dev_t, EmulatedLines> g_lines;

using IoctlFunction = int (*)(int, unsigned long, ...);

IoctlFunction realIoctl() {
    static const auto function = reinterpret_cast<IoctlFunction>(::dlsym(RTLD_NEXT, "ioctl"));
    return function;
}

dev_t deviceOf(const QString& path) {
    struct stat info {};
    if (::stat(path.toLocal8Bit().constData(), &info) != 0)
        qFatal("cannot stat %s", qPrintable(path));
    return info.st_rdev;
}

// The far end's view of one emulated port: which modem lines it asserts.
class ModemLines {
public:
    explicit ModemLines(const QString& slavePath) : m_device(deviceOf(slavePath)) {
        const std::lock_guard lock(g_linesLock);
        g_lines[m_device] = {};
    }
    ~ModemLines() {
        const std::lock_guard lock(g_linesLock);
        g_lines.erase(m_device);
    }
    ModemLines(const ModemLines&) = delete;
    ModemLines& operator=(const ModemLines&) = delete;

    // Sets the level of one TIOCM_* line, counting a transition when it changes.
    void set(int line, bool asserted) {
        const std::lock_guard lock(g_linesLock);
        EmulatedLines& lines = g_lines[m_device];
        if (((lines.bits & line) != 0) != asserted)
            countTransition(lines, line);
        lines.bits = asserted ? lines.bits | line : lines.bits & ~line;
    }
    // The driver clamps rates above this one.
    void setMaxRate(unsigned rate) {
        const std::lock_guard lock(g_linesLock);
        g_lines[m_device].maxRate = rate;
    }
    // A pulse too short for any poll: two transitions, same level afterwards.
    void pulse(int line) {
        const std::lock_guard lock(g_linesLock);
        countTransition(g_lines[m_device], line);
        countTransition(g_lines[m_device], line);
    }

private:
    static void countTransition(EmulatedLines& lines, int line) {
        if (line == TIOCM_CTS)
            ++lines.counts.cts;
        if (line == TIOCM_DSR)
            ++lines.counts.dsr;
        if (line == TIOCM_CD)
            ++lines.counts.dcd;
        if (line == TIOCM_RI)
            ++lines.counts.rng;
    }
    dev_t m_device;
};

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept {
    va_list args;
    va_start(args, request);
    void* argument = va_arg(args, void*);
    va_end(args);
    if (request == TIOCMGET || request == TIOCGICOUNT) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode)) {
            const std::lock_guard lock(g_linesLock);
            const auto found = g_lines.find(info.st_rdev);
            if (found != g_lines.end()) {
                if (request == TIOCMGET)
                    *static_cast<int*>(argument) = found->second.bits;
                else
                    std::memcpy(argument, &found->second.counts, sizeof found->second.counts);
                return 0;
            }
        }
    }
    const int result = realIoctl()(fd, request, argument);
    if (request == TCGETS2 && result == 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISCHR(info.st_mode)) {
            const std::lock_guard lock(g_linesLock);
            const auto found = g_lines.find(info.st_rdev);
            auto* settings = static_cast<termios2*>(argument);
            if (found != g_lines.end() && found->second.maxRate > 0) {
                settings->c_ospeed = std::min(settings->c_ospeed, found->second.maxRate);
                settings->c_ispeed = std::min(settings->c_ispeed, found->second.maxRate);
            }
        }
    }
    return result;
}

namespace {

constexpr int kAllLines = SerialPort::kCts | SerialPort::kDsr | SerialPort::kDcd | SerialPort::kRi;

struct Slot {
    int32_t rxd;
    int32_t txd;
    int32_t mask;
    friend bool operator==(const Slot&, const Slot&) = default;
};

QList<Slot> slotsOf(const capture::CaptureState& state) {
    QList<Slot> result;
    for (int32_t k = 1; k <= state.BufIndex; ++k)
        result.append({state.rxdBuf[k], state.txdBuf[k], state.pBuf[k]});
    return result;
}

} // namespace

namespace QTest {
template <> char* toString(const Slot& slot) {
    return qstrdup(QByteArray::number(slot.rxd) + ',' + QByteArray::number(slot.txd) + ',' +
                   QByteArray::number(slot.mask));
}
} // namespace QTest

class EmulatedDriverTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void levelsReadFromDriver();
    void eachChangeNotifiedOnce();
    void unwatchedLinesStayQuiet();
    void shortPulseNotified();
    void noNotificationWhileClosedOrAtOpen();
    void windowAppendsLineChangeSlots();
    void clampedRateRefusedOnOpenPort();
    void clampedStoredRateAtOpen();
    void windowFallsBackFromClampedRate();
};

void EmulatedDriverTest::initTestCase() {
    Pty probe;
    if (!probe.isValid())
        QSKIP("no pseudo-terminals on this host");
    // Without the emulation a pty reports no levels at all.
    QtSerialPort port;
    port.setHostPort(probe.slavePath());
    QVERIFY(port.open());
    QCOMPARE(port.lineLevels(), LineLevels{});
}

void EmulatedDriverTest::levelsReadFromDriver() {
    Pty pty;
    ModemLines far(pty.slavePath());
    QtSerialPort port;
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    far.set(TIOCM_CTS, true);
    far.set(TIOCM_RI, true);
    QCOMPARE(port.lineLevels(), (LineLevels{true, false, false, true}));
    far.set(TIOCM_CTS, false);
    far.set(TIOCM_DSR, true);
    far.set(TIOCM_CD, true);
    QCOMPARE(port.lineLevels(), (LineLevels{false, true, true, true}));
    port.close();
    QCOMPARE(port.lineLevels(), LineLevels{});
}

void EmulatedDriverTest::eachChangeNotifiedOnce() {
    Pty pty;
    ModemLines far(pty.slavePath());
    QtSerialPort port;
    port.setWatchedLines(kAllLines);
    QSignalSpy changes(&port, &SerialPort::lineStateChanged);
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());

    far.set(TIOCM_CTS, true);
    QTRY_COMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QList<qint32>>(), QList<qint32>{SerialPort::kCts});
    QTest::qWait(5 * QtSerialPort::kLinePollMs);
    QCOMPARE(changes.count(), 1);

    {
        const std::lock_guard lock(g_linesLock);
        g_lines[deviceOf(pty.slavePath())].bits |= TIOCM_DSR | TIOCM_CD;
    }
    QTRY_COMPARE(changes.count(), 2);
    QCOMPARE(changes.at(1).at(0).value<QList<qint32>>(),
             (QList<qint32>{SerialPort::kDsr, SerialPort::kDcd}));

    far.set(TIOCM_RI, true);
    QTRY_COMPARE(changes.count(), 3);
    far.set(TIOCM_CTS, false);
    QTRY_COMPARE(changes.count(), 4);
    QCOMPARE(changes.at(3).at(0).value<QList<qint32>>(), QList<qint32>{SerialPort::kCts});
    QTest::qWait(5 * QtSerialPort::kLinePollMs);
    QCOMPARE(changes.count(), 4);
    QCOMPARE(errors.count(), 0);
}

void EmulatedDriverTest::unwatchedLinesStayQuiet() {
    Pty pty;
    ModemLines far(pty.slavePath());
    QtSerialPort port;
    port.setWatchedLines(SerialPort::kDcd | SerialPort::kDsr);
    QSignalSpy changes(&port, &SerialPort::lineStateChanged);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    far.set(TIOCM_CTS, true);
    far.set(TIOCM_RI, true);
    far.pulse(TIOCM_CTS);
    QTest::qWait(10 * QtSerialPort::kLinePollMs);
    QCOMPARE(changes.count(), 0);
    far.set(TIOCM_CD, true);
    QTRY_COMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).value<QList<qint32>>(), QList<qint32>{SerialPort::kDcd});
}

void EmulatedDriverTest::shortPulseNotified() {
    Pty pty;
    ModemLines far(pty.slavePath());
    QtSerialPort port;
    port.setWatchedLines(kAllLines);
    QSignalSpy changes(&port, &SerialPort::lineStateChanged);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    far.pulse(TIOCM_RI);
    QTRY_COMPARE(changes.count(), 1);
    // The level is the same as before, so no line is named as changed.
    QCOMPARE(changes.at(0).at(0).value<QList<qint32>>(), QList<qint32>{});
    QTest::qWait(5 * QtSerialPort::kLinePollMs);
    QCOMPARE(changes.count(), 1);
}

void EmulatedDriverTest::noNotificationWhileClosedOrAtOpen() {
    Pty pty;
    ModemLines far(pty.slavePath());
    QtSerialPort port;
    port.setWatchedLines(kAllLines);
    QSignalSpy changes(&port, &SerialPort::lineStateChanged);
    port.setHostPort(pty.slavePath());
    far.set(TIOCM_CTS, true);
    QTest::qWait(5 * QtSerialPort::kLinePollMs);
    QVERIFY(port.open());
    // Levels already asserted at the opening are the starting point, not a change.
    QTest::qWait(5 * QtSerialPort::kLinePollMs);
    QCOMPARE(changes.count(), 0);
    port.close();
    far.set(TIOCM_DSR, true);
    QTest::qWait(5 * QtSerialPort::kLinePollMs);
    QCOMPARE(changes.count(), 0);
}

void EmulatedDriverTest::windowAppendsLineChangeSlots() {
    Pty pty1;
    Pty pty2;
    ModemLines far1(pty1.slavePath());
    ModemLines far2(pty2.slavePath());
    PtySerialSystem system;
    system.names = {pty1.slavePath(), pty2.slavePath()};
    RecordingDialogs dialogs;
    Window1 window(system, dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QComboBox*>(QStringLiteral("SerialPortPopup"))->setCurrentIndex(1);
    window.findChild<QComboBox*>(QStringLiteral("SerialPortPopup2"))->setCurrentIndex(2);
    const capture::CaptureState& state = window.capture();

    // While idle, each change appends a slot of its own with a snapshot of both ports.
    far1.set(TIOCM_CTS, true);
    QTRY_COMPARE(state.BufIndex, 1);
    far2.set(TIOCM_CD, true);
    QTRY_COMPARE(state.BufIndex, 2);
    // Port 2's CTS is neither watched nor part of the mask.
    far2.set(TIOCM_CTS, true);
    QTest::qWait(10 * QtSerialPort::kLinePollMs);
    QCOMPARE(slotsOf(state), (QList<Slot>{{256, 256, 2}, {256, 256, 3}}));

    // During an acquisition byte slots carry the levels too.
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("AcquirePB")), Qt::LeftButton);
    QCOMPARE(state.BufIndex, 0);
    QCOMPARE(pty1.writeAll("A"), 1);
    QTRY_COMPARE(state.BufIndex, 1);
    far1.set(TIOCM_RI, true);
    far2.set(TIOCM_DSR, true);
    QTRY_VERIFY(state.BufIndex >= 2 && state.pBuf[state.BufIndex] == 2 + 1 + 32 + 4);
    QCOMPARE(slotsOf(state).first(), (Slot{65, 256, 3}));
    for (const Slot& slot : slotsOf(state).mid(1))
        QCOMPARE(slot.rxd, 256);
    QVERIFY(dialogs.messages.isEmpty());
}

void EmulatedDriverTest::clampedRateRefusedOnOpenPort() {
    Pty pty;
    ModemLines far(pty.slavePath());
    far.setMaxRate(115200);
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    QCOMPARE(errors.count(), 0);
    port.setBaudRate(57600);
    QCOMPARE(port.baudRate(), 57600);
    port.setBaudRate(115200);
    QCOMPARE(port.baudRate(), 115200);
    QCOMPARE(errors.count(), 0);
    port.setBaudRate(230400);
    QCOMPARE(errors.count(), 1);
    QCOMPARE(port.lastErrorCode(), SerialPort::kRateTooHigh);
    // The port runs on at the rate it had.
    QCOMPARE(port.baudRate(), 115200);
    QVERIFY(port.isOpen());
}

void EmulatedDriverTest::clampedStoredRateAtOpen() {
    Pty pty;
    ModemLines far(pty.slavePath());
    far.setMaxRate(115200);
    QtSerialPort port;
    QSignalSpy errors(&port, &SerialPort::errorOccurred);
    port.setBaudRate(921600);
    port.setHostPort(pty.slavePath());
    QVERIFY(port.open());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(port.lastErrorCode(), SerialPort::kRateTooHigh);
    QCOMPARE(port.baudRate(), QtSerialPort::kFallbackRate);
}

void EmulatedDriverTest::windowFallsBackFromClampedRate() {
    Pty pty;
    ModemLines far(pty.slavePath());
    far.setMaxRate(115200);
    PtySerialSystem system;
    system.names = {pty.slavePath()};
    RecordingDialogs dialogs;
    Window1 window(system, dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QComboBox*>(QStringLiteral("SerialPortPopup2"))->setCurrentIndex(1);
    auto* port = window.findChild<SerialPort*>(QStringLiteral("Serial2"));
    QVERIFY(port->isOpen());
    auto* box = window.findChild<QComboBox*>(QStringLiteral("Baud2"));
    auto pick = [box](const QString& text) {
        const int index = box->findText(text);
        box->setCurrentIndex(index);
        emit box->activated(index);
    };
    pick(QStringLiteral("115200"));
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(box->currentText(), QStringLiteral("115200"));
    pick(QStringLiteral("921600"));
    QCOMPARE(dialogs.messages, QStringList{QStringLiteral("Baud rate too high")});
    QCOMPARE(box->currentText(), QStringLiteral("300"));
    QCOMPARE(port->baudRate(), 300);
}

QTEST_MAIN(EmulatedDriverTest)
#include "test_emulated_driver.moc"
