// Port selection, bit rates, port errors and the test pattern, through the window's controls over
// fake ports. Each case runs for both ports: the two sets of controls must behave alike.
#include "support/WindowFixture.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

struct Side {
    const char* popup;
    const char* baud;
    const char* test;
    int port;
};

const Side kSide1{"SerialPortPopup", "Baud1", "STest1", 1};
const Side kSide2{"SerialPortPopup2", "Baud2", "STest2", 2};

FakeSerialPort* portOf(const WindowFixture& f, const Side& side) {
    return side.port == 1 ? f.port1() : f.port2();
}
FakeSerialPort* otherPortOf(const WindowFixture& f, const Side& side) {
    return side.port == 1 ? f.port2() : f.port1();
}

// What the combo box does when the user picks a row of its list.
void pick(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    box->setCurrentIndex(index);
    emit box->activated(index);
}

void addSides() {
    QTest::addColumn<int>("sideNumber");
    QTest::newRow("port 1") << 1;
    QTest::newRow("port 2") << 2;
}

const Side& sideOf(int number) {
    return number == 1 ? kSide1 : kSide2;
}

} // namespace

class PortsTest : public QObject {
    Q_OBJECT
private slots:
    void popupsFilledWhenWindowOpens();
    void hostWithoutPorts();
    void choiceClosesOldAndOpensNew_data() { addSides(); }
    void choiceClosesOldAndOpensNew();
    void failedOpenIsReported_data() { addSides(); }
    void failedOpenIsReported();
    void vanishedPositionUsesShownName();
    void pickedRateIsReadBack_data() { addSides(); }
    void pickedRateIsReadBack();
    void typedRates_data();
    void typedRates();
    void typingAppliesEachRate();
    void refusedRateFallsBackTo300_data() { addSides(); }
    void refusedRateFallsBackTo300();
    void otherErrorOnlyReported_data() { addSides(); }
    void otherErrorOnlyReported();
    void testPattern_data();
    void testPattern();
    void testPatternOnClosedPortStillWritten();
    void closeClosesBothPorts();
};

void PortsTest::popupsFilledWhenWindowOpens() {
    WindowFixture f({QStringLiteral("ttyA"), QStringLiteral("ttyB"), QStringLiteral("ttyC")});
    for (const char* name : {"SerialPortPopup", "SerialPortPopup2"}) {
        auto* popup = f.find<QComboBox>(name);
        QStringList items;
        for (int i = 0; i < popup->count(); ++i)
            items << popup->itemText(i);
        QCOMPARE(items, (QStringList{"none", "ttyA", "ttyB", "ttyC"}));
        QCOMPARE(popup->currentIndex(), 0);
    }
    QVERIFY(!f.port1()->isOpen());
    QVERIFY(!f.port2()->isOpen());
    QCOMPARE(f.port1()->opens + f.port2()->opens, 0);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void PortsTest::hostWithoutPorts() {
    WindowFixture f(QStringList{});
    QCOMPARE(f.find<QComboBox>("SerialPortPopup")->count(), 1);
    QCOMPARE(f.find<QComboBox>("SerialPortPopup2")->count(), 1);
    f.click("AcquirePB");
    f.window->Timer1_Action();
    QCOMPARE(f.window->capture().BufIndex, 0);
    QCOMPARE(f.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Stop"));
}

void PortsTest::choiceClosesOldAndOpensNew() {
    QFETCH(int, sideNumber);
    const Side& side = sideOf(sideNumber);
    WindowFixture f;
    auto* popup = f.find<QComboBox>(side.popup);
    FakeSerialPort* port = portOf(f, side);

    popup->setCurrentIndex(1);
    QVERIFY(port->isOpen());
    QCOMPARE(port->hostPort(), QStringLiteral("ttyFAKE0"));
    const int closesBefore = port->closes;

    popup->setCurrentIndex(2);
    QVERIFY(port->isOpen());
    QCOMPARE(port->hostPort(), QStringLiteral("ttyFAKE1"));
    QCOMPARE(port->closes, closesBefore + 1);
    QCOMPARE(port->opens, 2);

    popup->setCurrentIndex(0);
    QVERIFY(!port->isOpen());
    QCOMPARE(port->opens, 2);
    // The other port is not touched.
    QCOMPARE(otherPortOf(f, side)->opens, 0);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void PortsTest::failedOpenIsReported() {
    QFETCH(int, sideNumber);
    const Side& side = sideOf(sideNumber);
    WindowFixture f;
    FakeSerialPort* port = portOf(f, side);
    port->failOpen = true;
    port->errorCode = 2;
    f.find<QComboBox>(side.popup)->setCurrentIndex(2);
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("Couldn't open the device: 2")});
    // Below the code the user is told what to do about it.
    QVERIFY(f.dialogs.details.value(0).contains(QStringLiteral("dialout")));
    QCOMPARE(f.find<QComboBox>(side.popup)->currentIndex(), 2);
    QVERIFY(!port->isOpen());
}

void PortsTest::vanishedPositionUsesShownName() {
    // A port that went away after the pop-up was filled: the choice still names what the user
    // saw, so the opening fails on that name rather than doing nothing.
    WindowFixture f;
    f.serialSystem.names = QStringList{QStringLiteral("ttyNEW")};
    auto* popup = f.find<QComboBox>("SerialPortPopup");
    popup->setCurrentIndex(1);
    QCOMPARE(f.port1()->hostPort(), QStringLiteral("ttyNEW"));
    popup->setCurrentIndex(2);
    QCOMPARE(f.port1()->hostPort(), QStringLiteral("ttyFAKE1"));
    QCOMPARE(f.port1()->opens, 2);
}

void PortsTest::pickedRateIsReadBack() {
    QFETCH(int, sideNumber);
    const Side& side = sideOf(sideNumber);
    WindowFixture f;
    auto* box = f.find<QComboBox>(side.baud);
    FakeSerialPort* port = portOf(f, side);
    QCOMPARE(box->currentText(), QStringLiteral("110"));
    QCOMPARE(port->baudRate(), 9600);
    QCOMPARE(port->resets, 0);

    pick(box, QStringLiteral("9600"));
    QCOMPARE(port->baudRate(), 9600);
    QCOMPARE(box->currentText(), QStringLiteral("9600"));
    QVERIFY(port->resets > 0);

    pick(box, QStringLiteral("115200"));
    QCOMPARE(port->baudRate(), 115200);
    QCOMPARE(box->currentText(), QStringLiteral("115200"));
    QCOMPARE(otherPortOf(f, side)->baudRate(), 9600);
}

void PortsTest::typedRates_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("applied");
    QTest::newRow("plain") << "19200" << 19200 << true;
    QTest::newRow("blanks and words") << "  4800 baud" << 4800 << true;
    QTest::newRow("fraction floored") << "2400.9" << 2400 << true;
    QTest::newRow("exponent") << "1e5" << 100000 << true;
    QTest::newRow("custom") << "123457" << 123457 << true;
    QTest::newRow("saturated") << "99999999999" << 2147483647 << true;
    QTest::newRow("below one") << "0.5" << 9600 << false;
    QTest::newRow("zero") << "0" << 9600 << false;
    QTest::newRow("negative") << "-300" << 9600 << false;
    QTest::newRow("empty") << "" << 9600 << false;
    QTest::newRow("not a number") << "fast" << 9600 << false;
}

void PortsTest::typedRates() {
    QFETCH(QString, typed);
    QFETCH(int, rate);
    QFETCH(bool, applied);
    WindowFixture f;
    auto* box = f.find<QComboBox>("Baud1");
    box->setEditText(typed);
    QCOMPARE(f.port1()->baudRate(), rate);
    QCOMPARE(f.port1()->resets, applied ? 1 : 0);
    // The text stays as typed.
    QCOMPARE(box->currentText(), typed);
    QVERIFY(f.dialogs.messages.isEmpty());
}

void PortsTest::typingAppliesEachRate() {
    WindowFixture f;
    auto* box = f.find<QComboBox>("Baud2");
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("38400"));
    QCOMPARE(f.port2()->baudRate(), 38400);
    QCOMPARE(f.port2()->resets, 5);
    QCOMPARE(box->currentText(), QStringLiteral("38400"));
}

void PortsTest::refusedRateFallsBackTo300() {
    QFETCH(int, sideNumber);
    const Side& side = sideOf(sideNumber);
    WindowFixture f;
    auto* box = f.find<QComboBox>(side.baud);
    FakeSerialPort* port = portOf(f, side);
    port->maxRate = 115200;
    f.find<QComboBox>(side.popup)->setCurrentIndex(1);

    pick(box, QStringLiteral("230400"));
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("Baud rate too high")});
    QCOMPARE(box->currentText(), QStringLiteral("300"));
    QCOMPARE(port->baudRate(), 300);
    QVERIFY(port->isOpen());

    f.dialogs.messages.clear();
    box->setEditText(QStringLiteral("921600"));
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("Baud rate too high")});
    QCOMPARE(box->currentText(), QStringLiteral("300"));
    QCOMPARE(port->baudRate(), 300);
    QCOMPARE(otherPortOf(f, side)->baudRate(), 9600);
}

void PortsTest::otherErrorOnlyReported() {
    QFETCH(int, sideNumber);
    const Side& side = sideOf(sideNumber);
    WindowFixture f;
    auto* box = f.find<QComboBox>(side.baud);
    FakeSerialPort* port = portOf(f, side);
    f.find<QComboBox>(side.popup)->setCurrentIndex(1);
    pick(box, QStringLiteral("57600"));
    f.click("AcquirePB");

    port->raiseError(8);
    QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("Serial port error")});
    QCOMPARE(f.dialogs.details, QStringList{QString()}); // still open: nothing to do
    QCOMPARE(box->currentText(), QStringLiteral("57600"));
    QCOMPARE(port->baudRate(), 57600);
    QVERIFY(port->isOpen());
    QCOMPARE(f.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Stop"));
    port->queue("x");
    f.window->Timer1_Action();
    QCOMPARE(f.window->capture().BufIndex, 1);
}

void PortsTest::testPattern_data() {
    QTest::addColumn<int>("sideNumber");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<int>("run");
    QTest::newRow("9600") << 1 << "9600" << 160;
    QTest::newRow("9600 on port 2") << 2 << "9600" << 160;
    QTest::newRow("110 rounds up") << 1 << "110" << 2;
    QTest::newRow("150 half up") << 2 << "150" << 3;
    QTest::newRow("450 half up") << 1 << "450" << 8;
    QTest::newRow("3030 half up") << 1 << "3030" << 51;
    QTest::newRow("10417 rounds down") << 2 << "10417" << 174;
    QTest::newRow("921600") << 1 << "921600" << 15360;
    // No serial hardware runs this fast; the pattern stays a few megabytes instead of hundreds.
    QTest::newRow("absurd rate capped") << 2 << "2147483647" << 266667;
}

void PortsTest::testPattern() {
    QFETCH(int, sideNumber);
    QFETCH(QString, rate);
    QFETCH(int, run);
    const Side& side = sideOf(sideNumber);
    WindowFixture f;
    f.find<QComboBox>(side.popup)->setCurrentIndex(1);
    auto* box = f.find<QComboBox>(side.baud);
    if (box->findText(rate) >= 0)
        pick(box, rate);
    else
        box->setEditText(rate); // typed
    f.click(side.test);
    FakeSerialPort* port = portOf(f, side);
    QCOMPARE(port->writes.size(), 1);
    QByteArray expected;
    for (int i = 0; i < 6; ++i)
        expected += QByteArray(run, char(0)) + QByteArray(run, char(255));
    QCOMPARE(port->writes.first().size(), 12 * run);
    QCOMPARE(port->writes.first(), expected);
    QVERIFY(otherPortOf(f, side)->writes.isEmpty());
}

void PortsTest::testPatternOnClosedPortStillWritten() {
    // The initial rate of a port object is 9600 although the box shows "110".
    WindowFixture f;
    f.click("STest2");
    QCOMPARE(f.port2()->writes.size(), 1);
    QCOMPARE(f.port2()->writes.first().size(), 12 * 160);
}

void PortsTest::closeClosesBothPorts() {
    WindowFixture f;
    f.find<QComboBox>("SerialPortPopup")->setCurrentIndex(1);
    f.find<QComboBox>("SerialPortPopup2")->setCurrentIndex(2);
    f.window->close();
    QVERIFY(!f.port1()->isOpen());
    QVERIFY(!f.port2()->isOpen());
}

QTEST_MAIN(PortsTest)
#include "test_ports.moc"
