#include "app/TimerMode.h"
#include "display/TraceRow.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTimer>

namespace {

const char* const kRows[8] = {"rxd", "txd", "rts", "cts", "dtr", "dsr", "dcd", "ri"};
const char* const kPort1Rows[5] = {"rxd", "cts", "dsr", "dcd", "ri"};
const char* const kPort2Rows[3] = {"txd", "rts", "dtr"};

// Picks the first host port (or "none") in each port pop-up.
void choosePorts(const WindowFixture& f, bool port1, bool port2) {
    f.find<QComboBox>("SerialPortPopup")->setCurrentIndex(port1 ? 1 : 0);
    f.find<QComboBox>("SerialPortPopup2")->setCurrentIndex(port2 ? 1 : 0);
}

// Replaces the capture with n slots of the same values.
void fill(const WindowFixture& f, int n, int32_t txd, int32_t rxd, int32_t mask) {
    capture::CaptureState& state = f.window->capture();
    state.BufIndex = 0;
    for (int i = 0; i < n; ++i)
        state.appendSlot(rxd, txd, mask);
}

QStringList rowTexts(const WindowFixture& f) {
    QStringList texts;
    for (const char* name : kRows)
        texts << f.row(name);
    return texts;
}

void activate(const WindowFixture& f) {
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
}

QAction* editItem(const WindowFixture& f, const char* name) {
    auto* item = f.window->menuBar()->findChild<QAction*>(QString::fromLatin1(name));
    if (!item)
        qFatal("no menu item %s", name);
    return item;
}

} // namespace

Q_DECLARE_METATYPE(TimerMode)

class DisplayWindowTest : public QObject {
    Q_OBJECT
private slots:
    void redrawFillsTheRowsOfChosenPorts();
    void portAtNoneKeepsItsRows_data();
    void portAtNoneKeepsItsRows();
    void formatSwitchWhileTheTimerIsOffDrawsOnceLater();
    void formatSwitchLeavesARunningTimerAlone_data();
    void formatSwitchLeavesARunningTimerAlone();
    void formatSwitchMakesTheGapText_data();
    void formatSwitchMakesTheGapText();
    void scrollingMovesEveryRowTogether_data();
    void scrollingMovesEveryRowTogether();
    void emptyRxdScrollsNothing();
    void redrawKeepsTheScrollPosition();
    void gapMarkers();
    void gapTimeColour_data();
    void gapTimeColour();
    void wiringLabels_data();
    void wiringLabels();
    void noWiringSelectedSaysError();
    void copyFromAFocusedRow();
    void selectAllFollowsTheTextOfAFocusedRow();
};

void DisplayWindowTest::redrawFillsTheRowsOfChosenPorts() {
    WindowFixture f;
    choosePorts(f, true, true);
    fill(f, 2, 10, 65, 1 | 8);
    f.window->DisplayTimer_Action(); // hex, as the window opens
    const QString high(3, QChar(u'\u2014'));
    const QString low(3, u'_');
    QCOMPARE(rowTexts(f), (QStringList{"41 41 ", "0A 0A ", high + high, low + low, low + low,
                                       high + high, low + low, low + low}));
}

void DisplayWindowTest::portAtNoneKeepsItsRows_data() {
    QTest::addColumn<bool>("port1");
    QTest::addColumn<bool>("port2");
    QTest::newRow("port 1 at none") << false << true;
    QTest::newRow("port 2 at none") << true << false;
}

void DisplayWindowTest::portAtNoneKeepsItsRows() {
    QFETCH(bool, port1);
    QFETCH(bool, port2);
    WindowFixture f;
    choosePorts(f, true, true);
    fill(f, 1, 65, 66, 63);
    f.window->DisplayTimer_Action();
    QHash<QString, QString> before;
    for (const char* name : kRows)
        before[QString::fromLatin1(name)] = f.row(name);
    QCOMPARE(f.row("rxd"), QStringLiteral("42 "));

    choosePorts(f, port1, port2);
    fill(f, 2, 67, 68, 0);
    f.window->DisplayTimer_Action();
    for (const char* name : kPort1Rows)
        QCOMPARE(f.row(name) == before.value(QString::fromLatin1(name)), !port1);
    for (const char* name : kPort2Rows)
        QCOMPARE(f.row(name) == before.value(QString::fromLatin1(name)), !port2);
    QCOMPARE(f.row("rxd"), port1 ? QStringLiteral("44 44 ") : QStringLiteral("42 "));
    QCOMPARE(f.row("txd"), port2 ? QStringLiteral("43 43 ") : QStringLiteral("41 "));
}

void DisplayWindowTest::formatSwitchWhileTheTimerIsOffDrawsOnceLater() {
    WindowFixture f;
    choosePorts(f, true, true);
    fill(f, 1, 256, 65, 0);
    auto* timer = f.find<QTimer>("DisplayTimer");
    QCOMPARE(timerMode(*timer), TimerMode::Off);
    QSignalSpy fired(timer, &QTimer::timeout);

    f.click("ASCIIRB");
    QCOMPARE(timerMode(*timer), TimerMode::Once);
    QCOMPARE(timer->interval(), 500);
    QVERIFY(f.row("rxd").isEmpty()); // not drawn at once
    QVERIFY(fired.wait(5000));
    QCOMPARE(fired.count(), 1);
    QCOMPARE(timerMode(*timer), TimerMode::Off);
    QCOMPARE(f.row("rxd"), QStringLiteral("A"));
    QCOMPARE(f.row("txd"), QStringLiteral("-"));

    f.click("HexRB");
    QCOMPARE(timerMode(*timer), TimerMode::Once);
    QCOMPARE(f.row("rxd"), QStringLiteral("A"));
    QVERIFY(fired.wait(5000));
    QCOMPARE(f.row("rxd"), QStringLiteral("41 "));
    QCOMPARE(f.row("txd"), QStringLiteral("   "));
}

void DisplayWindowTest::formatSwitchLeavesARunningTimerAlone_data() {
    QTest::addColumn<TimerMode>("mode");
    QTest::newRow("repeating") << TimerMode::Repeating;
    QTest::newRow("already armed") << TimerMode::Once;
}

void DisplayWindowTest::formatSwitchLeavesARunningTimerAlone() {
    QFETCH(TimerMode, mode);
    WindowFixture f;
    choosePorts(f, true, true);
    fill(f, 1, 256, 65, 0);
    auto* timer = f.find<QTimer>("DisplayTimer");
    setTimerMode(*timer, mode);
    f.click("ASCIIRB");
    QCOMPARE(timerMode(*timer), mode);
    QCOMPARE(timer->interval(), 500);
    QVERIFY(f.row("rxd").isEmpty());
    QCOMPARE(f.window->capture().TGC, QByteArray("-"));
    timer->stop();
}

void DisplayWindowTest::formatSwitchMakesTheGapText_data() {
    QTest::addColumn<QString>("characters");
    QTest::addColumn<QByteArray>("ascii");
    QTest::addColumn<QByteArray>("hex");
    QTest::newRow("default") << QStringLiteral("- ") << QByteArray("-") << QByteArray("-  ");
    QTest::newRow("empty") << QString() << QByteArray() << QByteArray("   ");
    QTest::newRow("two-byte first character")
        << QStringLiteral("\u00E9") << QByteArray("\xC3") << QByteArray("\xC3\xA9 ");
}

void DisplayWindowTest::formatSwitchMakesTheGapText() {
    QFETCH(QString, characters);
    WindowFixture f;
    QVERIFY(f.window->capture().TGC.isEmpty()); // nothing made it yet
    f.find<QLineEdit>("TimeGapCharEF")->setText(characters);
    f.click("ASCIIRB");
    QTEST(f.window->capture().TGC, "ascii");
    f.click("HexRB");
    QTEST(f.window->capture().TGC, "hex");
    f.find<QTimer>("DisplayTimer")->stop();
}

void DisplayWindowTest::scrollingMovesEveryRowTogether_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("pixels");
    QTest::newRow("a quarter") << 250 << 60;
    QTest::newRow("the end") << 1000 << 240;
    QTest::newRow("the start") << 0 << 0;
    QTest::newRow("rounded down") << 2 << 0; // 0.48 px
    QTest::newRow("rounded up") << 3 << 1;   // 0.72 px
    QTest::newRow("half way") << 500 << 120;
}

void DisplayWindowTest::scrollingMovesEveryRowTogether() {
    QFETCH(int, value);
    QFETCH(int, pixels);
    WindowFixture f;
    choosePorts(f, true, true);
    f.click("ASCIIRB");
    f.find<QTimer>("DisplayTimer")->stop();
    fill(f, 40, 256, 65, 0);
    // The port-2 data row is shorter than rxd: an empty gap text.
    f.window->capture().TGC.clear();
    f.window->DisplayTimer_Action();
    QCOMPARE(f.row("rxd").size(), 40);
    QCOMPARE(f.row("txd").size(), 0);
    auto* scrollBar = f.find<QScrollBar>("ScrollBar1");
    QCOMPARE(scrollBar->maximum(), 1000);
    scrollBar->setValue(value == 700 ? 0 : 700);
    scrollBar->setValue(value);
    for (const char* name : kRows)
        QCOMPARE(f.find<TraceRow>(name)->scrollPosition(), pixels);
}

void DisplayWindowTest::emptyRxdScrollsNothing() {
    WindowFixture f;
    choosePorts(f, false, true);
    fill(f, 400, 65, 256, 0);
    f.window->DisplayTimer_Action();
    QVERIFY(f.row("rxd").isEmpty());
    QCOMPARE(f.row("txd").size(), 1200);
    f.find<QScrollBar>("ScrollBar1")->setValue(500);
    for (const char* name : kRows) {
        QCOMPARE(f.find<TraceRow>(name)->scrollPosition(), 0);
        QCOMPARE(f.find<TraceRow>(name)->visibleOffset(), 0);
    }
}

// A redraw does not scroll: the rows keep their offset, and at the end of the capture the end
// stays in view on every row, however long it is.
void DisplayWindowTest::redrawKeepsTheScrollPosition() {
    WindowFixture f;
    choosePorts(f, true, true);
    fill(f, 400, 65, 66, 0);
    f.window->DisplayTimer_Action();
    f.find<QScrollBar>("ScrollBar1")->setValue(1000);
    for (const char* name : kRows) {
        auto* row = f.find<TraceRow>(name);
        QCOMPARE(row->scrollPosition(), 7200);
        QVERIFY(row->positionX(row->text().size()) <= row->width());
        QVERIFY(row->positionX(row->text().size()) > row->width() - TraceRow::kCellWidth);
    }
    fill(f, 800, 65, 66, 0);
    f.window->DisplayTimer_Action();
    for (const char* name : kRows) {
        QCOMPARE(f.find<TraceRow>(name)->scrollPosition(), 7200);
        QCOMPARE(f.find<TraceRow>(name)->visibleOffset(), 7200);
    }
}

void DisplayWindowTest::gapMarkers() {
    WindowFixture f;
    choosePorts(f, true, true);
    f.click("ShowTimeGapsCB");
    f.click("AcquirePB");
    auto* gapTimer = f.find<QTimer>("TimeGapTimer");
    QCOMPARE(timerMode(*gapTimer), TimerMode::Repeating);
    QCOMPARE(gapTimer->interval(), 200);
    capture::CaptureState& state = f.window->capture();
    f.port1()->levels.cts = true;
    f.port2()->levels.dcd = true;
    auto tick = [&] { f.window->TimeGapTimer_Action(); };

    tick(); // the first tick after the start
    QCOMPARE(state.BufIndex, 0);
    tick();
    QCOMPARE(state.BufIndex, 1);
    QCOMPARE(state.rxdBuf[1], capture::kGapMarker);
    QCOMPARE(state.txdBuf[1], capture::kGapMarker);
    QCOMPARE(state.pBuf[1], capture::kPort1Cts | capture::kPort2Dcd);
    tick();
    QCOMPARE(state.BufIndex, 2);

    // A byte, then silence: no marker at the tick after it, one at each later tick.
    f.port1()->queue("A");
    f.window->Timer1_Action();
    QCOMPARE(state.BufIndex, 3);
    tick();
    QCOMPARE(state.BufIndex, 3);
    tick();
    QCOMPARE(state.BufIndex, 4);
    QCOMPARE(state.rxdBuf[4], capture::kGapMarker);

    // Steady traffic: a slot between any two ticks, no marker.
    for (int i = 0; i < 5; ++i) {
        f.port2()->queue("B");
        f.window->Timer1_Action();
        tick();
    }
    QCOMPARE(state.BufIndex, 9);
    for (int slot = 5; slot <= 9; ++slot)
        QCOMPARE(state.txdBuf[slot], int32_t('B'));

    // Unticking the box stops the markers at once; the ticks still follow the counter.
    f.click("ShowTimeGapsCB");
    tick();
    tick();
    QCOMPARE(state.BufIndex, 9);
    QCOMPARE(state.OldBufIndex, 9);
    QCOMPARE(timerMode(*gapTimer), TimerMode::Repeating);
    f.click("ShowTimeGapsCB");
    tick();
    QCOMPARE(state.BufIndex, 10);

    // The markers are drawn with the gap text.
    f.window->DisplayTimer_Action();
    QCOMPARE(f.row("rxd").left(6), QStringLiteral("-  -  "));
    f.click("AcquirePB");
    QCOMPARE(timerMode(*gapTimer), TimerMode::Off);
}

void DisplayWindowTest::gapTimeColour_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("red");
    QTest::newRow("20") << QStringLiteral("20") << true;
    QTest::newRow("49.9") << QStringLiteral("49.9") << true;
    QTest::newRow("50") << QStringLiteral("50") << false;
    QTest::newRow("200") << QStringLiteral("200") << false;
    QTest::newRow("not a number") << QStringLiteral("abc") << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("negative") << QStringLiteral("-100") << true;
    QTest::newRow("with a unit") << QStringLiteral("60ms") << false;
}

void DisplayWindowTest::gapTimeColour() {
    QFETCH(QString, text);
    QFETCH(bool, red);
    WindowFixture f;
    auto* field = f.find<QLineEdit>("GapTimeEF");
    field->setText(red ? QStringLiteral("200") : QStringLiteral("20")); // the other colour first
    field->setText(text);
    QCOMPARE(field->palette().color(QPalette::Text), red ? QColor(255, 0, 0) : QColor(0, 0, 0));
}

void DisplayWindowTest::wiringLabels_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("pins");
    QTest::newRow("9-pin DCE") << 1 << QStringList{"TxD", "RxD", "CTS", "RTS", "DSR", "DTR", "", ""}
                               << QStringList{"Pin3", "Pin2", "Pin8", "Pin7",
                                              "Pin6", "Pin4", "",     ""};
    QTest::newRow("Mini-8") << 2 << QStringList{"RxD", "TxD", " ", "HSKi", "HSKo", "", "GPi", "GPi"}
                            << QStringList{"Pin5", "Pin3", " ", "Pin2", "Pin1", "", "Pin7", "Pin7"};
    QTest::newRow("9-pin DTE after another")
        << 0 << QStringList{"RxD", "TxD", "RTS", "CTS", "DTR", "DSR", "DCD", "RI"}
        << QStringList{"Pin2", "Pin3", "Pin7", "Pin8", "Pin4", "Pin6", "Pin1", "Pin9"};
}

void DisplayWindowTest::wiringLabels() {
    QFETCH(int, index);
    QFETCH(QStringList, names);
    QFETCH(QStringList, pins);
    WindowFixture f;
    choosePorts(f, true, true);
    fill(f, 3, 65, 66, 5);
    f.window->DisplayTimer_Action();
    const QStringList rowsBefore = rowTexts(f);
    const int32_t slotsBefore = f.window->capture().BufIndex;
    auto* popup = f.find<QComboBox>("PopupMenu1");
    popup->setCurrentIndex(index == 0 ? 2 : 0);
    popup->setCurrentIndex(index);

    const char* const left[8] = {"StaticText1", "StaticText2", "StaticText3", "StaticText4",
                                 "StaticText5", "StaticText6", "StaticText7", "StaticText8"};
    const char* const right[8] = {"StaticText27", "StaticText20", "StaticText21", "StaticText22",
                                  "StaticText23", "StaticText24", "StaticText25", "StaticText26"};
    const char* const pin[8] = {"StaticText9",  "StaticText10", "StaticText11", "StaticText12",
                                "StaticText13", "StaticText14", "StaticText15", "StaticText16"};
    for (int row = 0; row < 8; ++row) {
        QCOMPARE(f.find<QLabel>(left[row])->text(), names.at(row));
        QCOMPARE(f.find<QLabel>(right[row])->text(), names.at(row));
        QCOMPARE(f.find<QLabel>(pin[row])->text(), pins.at(row));
    }
    QCOMPARE(rowTexts(f), rowsBefore);
    QCOMPARE(f.window->capture().BufIndex, slotsBefore);
}

void DisplayWindowTest::noWiringSelectedSaysError() {
    WindowFixture f;
    auto* popup = f.find<QComboBox>("PopupMenu1");
    popup->setCurrentIndex(2);
    QList<QLabel*> labels = f.window->findChildren<QLabel*>();
    QStringList before;
    for (QLabel* label : labels)
        before << label->text();
    popup->setCurrentIndex(-1);
    for (qsizetype i = 0; i < labels.size(); ++i) {
        if (labels[i]->objectName() == QStringLiteral("StaticText9"))
            QCOMPARE(labels[i]->text(), QStringLiteral("Error"));
        else
            QCOMPARE(labels[i]->text(), before.at(i));
    }
}

void DisplayWindowTest::copyFromAFocusedRow() {
    WindowFixture f;
    choosePorts(f, true, true);
    f.click("ASCIIRB");
    f.find<QTimer>("DisplayTimer")->stop();
    capture::CaptureState& state = f.window->capture();
    state.BufIndex = 0;
    for (int32_t byte : {72, 101, 108, 108, 111, 13, 33}) // "Hello", CR, "!"
        state.appendSlot(byte, 256, 0);
    f.window->DisplayTimer_Action();
    QCOMPARE(f.row("rxd"), QStringLiteral("Hello-!"));

    activate(f);
    auto* rxd = f.find<TraceRow>("rxd");
    rxd->setFocus();
    QTRY_VERIFY(rxd->hasFocus());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("elsewhere"));
    QAction* copy = editItem(f, "EditCopy");
    QVERIFY(!copy->isEnabled()); // nothing selected yet
    for (const char* item : {"EditUndo", "EditCut", "EditPaste", "EditClear"})
        QVERIFY2(!editItem(f, item)->isEnabled(), item); // a row is read-only
    QVERIFY(editItem(f, "EditSelectAll")->isEnabled());

    rxd->setSelection(1, 4);
    QVERIFY(copy->isEnabled());
    copy->trigger();
    QCOMPARE(clipboard->text(), QStringLiteral("ello"));

    // The keys, whether the menu item or the row takes them.
    QTest::mouseClick(rxd, Qt::LeftButton, Qt::NoModifier, {rxd->positionX(4), 10});
    QTest::mouseClick(rxd, Qt::LeftButton, Qt::ShiftModifier, {rxd->positionX(7), 10});
    QCOMPARE(rxd->selectedText(), QStringLiteral("o-!"));
    QTest::keyClick(rxd, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("o-!"));
    QTest::keyClick(rxd, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(rxd->selectedText(), QStringLiteral("Hello-!"));
    QTest::keyClick(rxd, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("Hello-!"));
}

void DisplayWindowTest::selectAllFollowsTheTextOfAFocusedRow() {
    WindowFixture f;
    choosePorts(f, true, true);
    activate(f);
    auto* ri = f.find<TraceRow>("ri");
    ri->setFocus();
    QTRY_VERIFY(ri->hasFocus());
    QAction* selectAll = editItem(f, "EditSelectAll");
    QVERIFY(!selectAll->isEnabled());
    fill(f, 3, 65, 66, 32);
    f.window->DisplayTimer_Action();
    QVERIFY(selectAll->isEnabled());
    selectAll->trigger();
    QCOMPARE(ri->selectedText(), QString(9, QChar(u'\u2014')));
}

QTEST_MAIN(DisplayWindowTest)
#include "test_display_window.moc"
