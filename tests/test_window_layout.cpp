// The main window as built: every object in creation order with its kind, place, size, text and
// start values; fonts; tab order; anchoring and size limits; nothing run during construction.
#include "display/TraceRow.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace {

struct Expected {
    const char* name;
    const char* kind; // class name
    QRect geometry;   // null for objects without a place
    const char* text; // caption, text or title; nullptr where there is none
};

// Creation order, kinds, places and texts of all 60 objects.
const QList<Expected>& table() {
    static const QList<Expected> rows{
        {"rxd", "TraceRow", {112, 73, 805, 20}, ""},
        {"ScrollBar1", "QScrollBar", {138, 247, 779, 16}, nullptr},
        {"txd", "TraceRow", {112, 94, 805, 20}, ""},
        {"rts", "TraceRow", {112, 115, 805, 20}, ""},
        {"cts", "TraceRow", {112, 136, 805, 20}, ""},
        {"dtr", "TraceRow", {112, 157, 805, 20}, ""},
        {"dsr", "TraceRow", {112, 178, 805, 20}, ""},
        {"dcd", "TraceRow", {112, 199, 805, 20}, ""},
        {"ri", "TraceRow", {112, 220, 805, 20}, ""},
        {"StaticText1", "QLabel", {63, 74, 37, 20}, "RxD"},
        {"StaticText2", "QLabel", {63, 95, 37, 20}, "TxD"},
        {"StaticText3", "QLabel", {63, 116, 37, 20}, "RTS"},
        {"StaticText4", "QLabel", {63, 137, 37, 20}, "CTS"},
        {"StaticText5", "QLabel", {63, 158, 37, 20}, "DTR"},
        {"StaticText6", "QLabel", {63, 179, 37, 20}, "DSR"},
        {"StaticText7", "QLabel", {63, 200, 37, 20}, "DCD"},
        {"StaticText8", "QLabel", {63, 221, 37, 20}, "RI"},
        {"StaticText9", "QLabel", {26, 74, 37, 20}, "Pin 2"},
        {"StaticText10", "QLabel", {26, 95, 37, 20}, "Pin 3"},
        {"StaticText11", "QLabel", {26, 116, 37, 20}, "Pin 7"},
        {"StaticText12", "QLabel", {26, 137, 37, 20}, "Pin 8"},
        {"StaticText13", "QLabel", {26, 158, 37, 20}, "Pin 4"},
        {"StaticText14", "QLabel", {26, 179, 37, 20}, "Pin 6"},
        {"StaticText15", "QLabel", {26, 200, 37, 20}, "Pin 1"},
        {"StaticText16", "QLabel", {26, 221, 37, 20}, "Pin 9"},
        {"AcquirePB", "QPushButton", {148, 278, 80, 20}, "Acquire"},
        {"SerialPortPopup", "QComboBox", {163, 18, 204, 17}, nullptr},
        {"Serial1", "FakeSerialPort", {}, nullptr},
        {"Serial2", "FakeSerialPort", {}, nullptr},
        {"SerialPortPopup2", "QComboBox", {508, 18, 204, 17}, nullptr},
        {"Timer1", "QTimer", {}, nullptr},
        {"Baud1", "QComboBox", {388, 18, 80, 19}, "110"},
        {"Baud2", "QComboBox", {730, 18, 80, 19}, "110"},
        {"PopupMenu1", "QComboBox", {20, 41, 116, 20}, "9-pin DTE"},
        {"DisplayTimer", "QTimer", {}, nullptr},
        {"ASCIIRB", "QRadioButton", {257, 310, 59, 20}, "ASCII"},
        {"HexRB", "QRadioButton", {328, 310, 50, 20}, "Hex"},
        {"GroupBox1", "QGroupBox", {250, 275, 193, 64}, "Display Format"},
        {"ShowTimeGapsCB", "QCheckBox", {490, 276, 160, 20}, "Show Time Gaps with"},
        {"TimeGapCharEF", "QLineEdit", {656, 275, 28, 22}, "- "},
        {"STest1", "QPushButton", {250, 45, 68, 16}, "TEST"},
        {"STest2", "QPushButton", {610, 45, 68, 16}, "TEST"},
        {"StaticText17", "QLabel", {219, -2, 19, 20}, "J4"},
        {"StaticText18", "QLabel", {579, -2, 19, 20}, "J5"},
        {"StaticText19", "QLabel", {8, 21, 143, 20}, "Pin Names & Numbers"},
        {"HSpeedCB", "QCheckBox", {490, 297, 273, 20}, "High speed option, no live updates"},
        {"StaticText20", "QLabel", {918, 95, 35, 20}, "TxD"},
        {"StaticText21", "QLabel", {918, 116, 35, 20}, "RTS"},
        {"StaticText22", "QLabel", {918, 137, 35, 20}, "CTS"},
        {"StaticText23", "QLabel", {918, 158, 35, 20}, "DTR"},
        {"StaticText24", "QLabel", {918, 179, 35, 20}, "DSR"},
        {"StaticText25", "QLabel", {918, 200, 35, 20}, "DCD"},
        {"StaticText26", "QLabel", {918, 221, 35, 20}, "RI"},
        {"StaticText27", "QLabel", {918, 74, 35, 20}, "RxD"},
        {"SavePB", "QPushButton", {41, 278, 80, 20}, "Save"},
        {"TimeGapTimer", "QTimer", {}, nullptr},
        {"StaticText28", "QLabel", {690, 276, 36, 20}, "every"},
        {"GapTimeEF", "QLineEdit", {730, 275, 54, 22}, "200"},
        {"StaticText29", "QLabel", {785, 276, 25, 20}, "ms"},
        {"LoadPB", "QPushButton", {41, 310, 80, 20}, "Load"},
    };
    return rows;
}

QString textOf(QObject* object) {
    if (auto* row = qobject_cast<TraceRow*>(object))
        return row->text();
    if (auto* label = qobject_cast<QLabel*>(object))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        return button->text();
    if (auto* box = qobject_cast<QGroupBox*>(object))
        return box->title();
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        return edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return combo->currentText();
    return {};
}

const QStringList kBaudRates{"110",    "150",    "200",    "300",    "450",   "600",   "1200",
                             "1800",   "2400",   "3030",   "3600",   "4800",  "7200",  "9600",
                             "10417",  "14400",  "19200",  "31250",  "38400", "56800", "57600",
                             "113600", "115200", "230400", "460800", "921600"};

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

} // namespace

class WindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void objectsInCreationOrder() {
        FakeSerialSystem serialSystem;
        RecordingDialogs dialogs;
        Window1 window(serialSystem, dialogs);
        QWidget* content = window.centralWidget();
        QStringList created;
        for (QObject* child : content->children()) {
            if (!child->objectName().isEmpty())
                created << child->objectName();
        }
        QStringList expected;
        for (const Expected& e : table())
            expected << QString::fromLatin1(e.name);
        QCOMPARE(created, expected);
    }

    void objectsHaveTheirKindsPlacesAndTexts_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < table().size(); ++i)
            QTest::newRow(table()[i].name) << i;
    }
    void objectsHaveTheirKindsPlacesAndTexts() {
        QFETCH(int, index);
        const Expected& e = table()[index];
        FakeSerialSystem serialSystem;
        RecordingDialogs dialogs;
        Window1 window(serialSystem, dialogs);
        QObject* object = window.findChild<QObject*>(QString::fromLatin1(e.name));
        QVERIFY(object);
        QCOMPARE(QString::fromLatin1(object->metaObject()->className()),
                 QString::fromLatin1(e.kind));
        if (auto* widget = qobject_cast<QWidget*>(object)) {
            QCOMPARE(widget->geometry(), e.geometry);
            QCOMPARE(widget->parentWidget(), window.centralWidget());
            QVERIFY(widget->isEnabled());
        }
        if (e.text)
            QCOMPARE(textOf(object), QString::fromUtf8(e.text));
    }

    void windowSettings() {
        WindowFixture f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Quorvane"));
        QCOMPARE(f.window->centralWidget()->size(), QSize(962, 430));
        QVERIFY(f.window->isVisible());
        QVERIFY(f.window->menuBar());
        QCOMPARE(f.window->menuBar()->objectName(), QStringLiteral("MenuBar1"));
    }

    void startValues() {
        FakeSerialSystem serialSystem;
        RecordingDialogs dialogs;
        Window1 window(serialSystem, dialogs);
        auto* bar = window.findChild<QScrollBar*>("ScrollBar1");
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 100);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(bar->singleStep(), 1);
        QCOMPARE(bar->pageStep(), 20);
        QVERIFY(!bar->hasTracking());
        QVERIFY(bar->focusPolicy() & Qt::TabFocus);

        for (const char* name : {"Baud1", "Baud2"}) {
            auto* combo = window.findChild<QComboBox*>(name);
            QVERIFY(combo->isEditable());
            QCOMPARE(combo->completer(), nullptr);
            QCOMPARE(itemsOf(combo), kBaudRates);
            QCOMPARE(combo->currentIndex(), 0);
        }
        auto* wiring = window.findChild<QComboBox*>("PopupMenu1");
        QCOMPARE(itemsOf(wiring), (QStringList{"9-pin DTE", "9-pin DCE", "Mini-8"}));
        QVERIFY(!wiring->isEditable());
        for (const char* name : {"SerialPortPopup", "SerialPortPopup2"})
            QCOMPARE(window.findChild<QComboBox*>(name)->count(), 0);

        QVERIFY(!window.findChild<QRadioButton*>("ASCIIRB")->isChecked());
        QVERIFY(window.findChild<QRadioButton*>("HexRB")->isChecked());
        QVERIFY(!window.findChild<QCheckBox*>("ShowTimeGapsCB")->isChecked());
        QVERIFY(!window.findChild<QCheckBox*>("HSpeedCB")->isChecked());

        const QList<std::pair<const char*, int>> timers{
            {"Timer1", 10}, {"DisplayTimer", 500}, {"TimeGapTimer", 1000}};
        for (const auto& [name, period] : timers) {
            auto* timer = window.findChild<QTimer*>(name);
            QVERIFY(!timer->isActive());
            QCOMPARE(timer->interval(), period);
        }
        for (const char* name : {"Serial1", "Serial2"}) {
            auto* port = window.findChild<FakeSerialPort*>(name);
            QVERIFY(!port->isOpen());
            QVERIFY(port->hostPort().isEmpty());
        }
        for (const char* name : {"rxd", "txd", "rts", "cts", "dtr", "dsr", "dcd", "ri"}) {
            auto* row = window.findChild<TraceRow*>(name);
            QVERIFY(row->focusPolicy() & Qt::TabFocus);
            QVERIFY(row->text().isEmpty());
        }
        for (const char* name : {"StaticText1", "StaticText9"})
            QVERIFY(window.findChild<QLabel*>(name)->alignment() & Qt::AlignRight);
        for (const char* name : {"StaticText17", "StaticText19", "StaticText27", "StaticText29"})
            QVERIFY(window.findChild<QLabel*>(name)->alignment() & Qt::AlignLeft);
        // The ampersand of the heading is shown, not taken as a mnemonic.
        QCOMPARE(window.findChild<QLabel*>("StaticText19")->textFormat(), Qt::PlainText);
    }

    void fonts() {
        FakeSerialSystem serialSystem;
        RecordingDialogs dialogs;
        Window1 window(serialSystem, dialogs);
        for (const char* name : {"rxd", "ri"}) {
            const QFont font = window.findChild<TraceRow*>(name)->font();
            QVERIFY(QFontInfo(font).fixedPitch());
            QCOMPARE(QFontMetrics(font).horizontalAdvance(u'0'), TraceRow::kCellWidth);
        }
        for (const char* name : {"STest1", "STest2", "StaticText17", "StaticText18"})
            QCOMPARE(window.findChild<QWidget*>(name)->font().pixelSize(), 10);
    }

    void tabOrderFollowsTheTabIndices() {
        WindowFixture f;
        const QStringList expected{"rxd",
                                   "ScrollBar1",
                                   "txd",
                                   "rts",
                                   "cts",
                                   "dtr",
                                   "dsr",
                                   "dcd",
                                   "ri",
                                   "AcquirePB",
                                   "SerialPortPopup",
                                   "SerialPortPopup2",
                                   "Baud1",
                                   "Baud2",
                                   "PopupMenu1",
                                   "ASCIIRB",
                                   "HexRB",
                                   "ShowTimeGapsCB",
                                   "TimeGapCharEF",
                                   "STest1",
                                   "STest2",
                                   "HSpeedCB",
                                   "SavePB",
                                   "GapTimeEF",
                                   "LoadPB"};
        QStringList chain;
        QWidget* start = f.find<QWidget>("rxd");
        QWidget* w = start;
        do {
            if (w->parentWidget() == f.window->centralWidget() && (w->focusPolicy() & Qt::TabFocus))
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != start);
        QCOMPARE(chain, expected);
    }

    void anchoringAtTheSmallestWidth() {
        WindowFixture f;
        f.window->resize(1, 1);
        QCOMPARE(f.window->centralWidget()->size(), QSize(815, 340));
        for (const char* name : {"rxd", "txd", "rts", "cts", "dtr", "dsr", "dcd", "ri"}) {
            QCOMPARE(f.find<QWidget>(name)->width(), 658);
            QCOMPARE(f.find<QWidget>(name)->x(), 112);
        }
        QCOMPARE(f.find<QWidget>("ScrollBar1")->geometry(), QRect(138, 247, 632, 16));
        for (int i = 20; i <= 27; ++i) {
            QWidget* label = f.find<QWidget>(QStringLiteral("StaticText%1").arg(i).toLatin1());
            QCOMPARE(label->x(), 771);
            QCOMPARE(label->width(), 35);
        }
        QCOMPARE(f.find<QWidget>("Baud2")->geometry().right() + 1, 810);
        QCOMPARE(f.find<QWidget>("StaticText29")->geometry().right() + 1, 810);
        QCOMPARE(f.find<QWidget>("GroupBox1")->geometry().bottom() + 1, 339);
        // Fixed controls keep their places.
        QCOMPARE(f.find<QWidget>("AcquirePB")->geometry(), QRect(148, 278, 80, 20));
        QCOMPARE(f.find<QWidget>("StaticText9")->geometry(), QRect(26, 74, 37, 20));

        f.window->resize(1200, 400);
        QCOMPARE(f.window->centralWidget()->width(), 1200);
        QCOMPARE(f.find<QWidget>("rxd")->width(), 805 + 238);
        QCOMPARE(f.find<QWidget>("StaticText27")->x(), 918 + 238);
        QCOMPARE(f.find<QWidget>("rxd")->y(), 73); // nothing follows the height
    }

    void sizeLimits() {
        WindowFixture f;
        f.window->resize(100000, 100000);
        QCOMPARE(f.window->centralWidget()->size(), QSize(32000, 430));
        f.window->resize(0, 0);
        QCOMPARE(f.window->centralWidget()->size(), QSize(815, 340));
    }

    void constructionRunsNoHandler() {
        FakeSerialSystem serialSystem{};
        serialSystem.names = {"ttyFAKE0"};
        RecordingDialogs dialogs;
        Window1 window(serialSystem, dialogs);
        // The combo boxes show "110" but no rate handler ran: the ports keep their initial rate.
        QCOMPARE(window.findChild<QComboBox*>("Baud1")->currentText(), QStringLiteral("110"));
        for (const char* name : {"Serial1", "Serial2"}) {
            auto* port = window.findChild<FakeSerialPort*>(name);
            QCOMPARE(port->baudRate(), 9600);
            QCOMPARE(port->resets, 0);
            QCOMPARE(port->opens, 0);
        }
        // No wiring change ran: the start-up pin texts keep their space.
        QCOMPARE(window.findChild<QLabel*>("StaticText9")->text(), QStringLiteral("Pin 2"));
        // No format switch ran: the gap text is still empty and no redraw is armed.
        QVERIFY(window.capture().TGC.isEmpty());
        QVERIFY(!window.findChild<QTimer*>("DisplayTimer")->isActive());
        QVERIFY(dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(WindowLayoutTest)
#include "test_window_layout.moc"
