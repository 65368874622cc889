// Window construction: the window settings, the 60 objects in their fixed order with their start
// values, the wiring, the anchoring, and what happens when the window opens and closes.
#include "app/Window1.h"

#include "app/MenuBar1.h"
#include "display/TraceRow.h"
#include "platform/Dialogs.h"
#include "platform/SerialPort.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <map>

namespace {

// The rate a port object holds until the user picks or types one.
constexpr qint32 kInitialBaudRate = 9600;

const QStringList& baudRates() {
    static const QStringList rates{
        "110",   "150",   "200",   "300",    "450",    "600",    "1200",   "1800",  "2400",
        "3030",  "3600",  "4800",  "7200",   "9600",   "10417",  "14400",  "19200", "31250",
        "38400", "56800", "57600", "113600", "115200", "230400", "460800", "921600"};
    return rates;
}

QFont smallFont(const QWidget* widget) {
    QFont font = widget->font();
    font.setPixelSize(10);
    return font;
}

} // namespace

Window1::Window1(SerialSystem& serialSystem, Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_serialSystem(serialSystem), m_dialogs(dialogs) {
    Layout();
    CreateControls();
}

Window1::~Window1() = default;

void Window1::Layout() {
    setMenuBar(MenuBar1::shared());
    setObjectName(QStringLiteral("Window1"));
    setWindowTitle(QStringLiteral("Quorvane"));
    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("Window1Content"));
    m_content->setMinimumSize(kMinWidth, kMinHeight);
    m_content->setMaximumSize(kMaxWidth, kMaxHeight);
    setCentralWidget(m_content);
    m_content->installEventFilter(this);
    resize(kWidth, kHeight + menuBar()->sizeHint().height());
    m_content->resize(kWidth, kHeight);
}

void Window1::CreateControls() {
    // Tab index of each focusable control; the chain is built once all exist.
    std::map<int, QWidget*> tabOrder;
    auto place = [&](QWidget* widget, const char* name, QRect geometry, int tab) {
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(geometry);
        tabOrder[tab] = widget;
    };
    auto anchor = [&](QWidget* widget, bool stretch) {
        m_anchors.push_back({widget, widget->geometry(), stretch});
    };
    auto traceRow = [&](const char* name, int top, int tab) {
        auto* row = new TraceRow(m_content);
        place(row, name, {112, top, 805, 20}, tab);
        anchor(row, true);
        return row;
    };
    auto label = [&](const char* name, QRect geometry, const char* text, Qt::Alignment align,
                     int tab) {
        auto* widget = new QLabel(m_content);
        place(widget, name, geometry, tab);
        widget->setTextFormat(Qt::PlainText);
        widget->setText(QString::fromUtf8(text));
        widget->setAlignment(align | Qt::AlignVCenter);
        return widget;
    };
    auto leftName = [&](const char* name, int top, const char* text, int tab) {
        return label(name, {63, top, 37, 20}, text, Qt::AlignRight, tab);
    };
    auto pinNumber = [&](const char* name, int top, const char* text, int tab) {
        return label(name, {26, top, 37, 20}, text, Qt::AlignRight, tab);
    };
    auto rightName = [&](const char* name, int top, const char* text, int tab) {
        QLabel* widget = label(name, {918, top, 35, 20}, text, Qt::AlignLeft, tab);
        anchor(widget, false);
        return widget;
    };
    auto button = [&](const char* name, QRect geometry, const char* text, int tab) {
        auto* widget = new QPushButton(QString::fromLatin1(text), m_content);
        place(widget, name, geometry, tab);
        widget->setAutoDefault(false);
        return widget;
    };
    auto popup = [&](const char* name, QRect geometry, int tab) {
        auto* widget = new QComboBox(m_content);
        place(widget, name, geometry, tab);
        return widget;
    };
    auto baudBox = [&](const char* name, int left, int tab) {
        auto* widget = new QComboBox(m_content);
        place(widget, name, {left, 18, 80, 19}, tab);
        widget->setEditable(true);
        widget->setCompleter(nullptr);
        widget->setInsertPolicy(QComboBox::NoInsert);
        widget->addItems(baudRates());
        widget->setCurrentIndex(0);
        return widget;
    };
    auto timer = [&](const char* name, int period) {
        auto* widget = new QTimer(m_content);
        widget->setObjectName(QString::fromLatin1(name));
        widget->setInterval(period);
        return widget;
    };
    auto serialPort = [&](const char* name) {
        SerialPort* port = m_serialSystem.createPort(m_content);
        port->setObjectName(QString::fromLatin1(name));
        port->setBaudRate(kInitialBaudRate);
        return port;
    };
    auto checkBox = [&](const char* name, QRect geometry, const char* text, int tab) {
        auto* widget = new QCheckBox(QString::fromLatin1(text), m_content);
        place(widget, name, geometry, tab);
        return widget;
    };
    auto textField = [&](const char* name, QRect geometry, const char* text, int tab) {
        auto* widget = new QLineEdit(m_content);
        place(widget, name, geometry, tab);
        widget->setText(QString::fromLatin1(text));
        return widget;
    };

    rxd = traceRow("rxd", 73, 0);
    ScrollBar1 = new QScrollBar(Qt::Horizontal, m_content);
    place(ScrollBar1, "ScrollBar1", {138, 247, 779, 16}, 1);
    ScrollBar1->setRange(0, 100);
    ScrollBar1->setValue(0);
    ScrollBar1->setSingleStep(1);
    ScrollBar1->setPageStep(20);
    ScrollBar1->setTracking(false);
    ScrollBar1->setFocusPolicy(Qt::StrongFocus);
    anchor(ScrollBar1, true);
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &Window1::ScrollBar1_ValueChanged);
    txd = traceRow("txd", 94, 2);
    rts = traceRow("rts", 115, 3);
    cts = traceRow("cts", 136, 4);
    dtr = traceRow("dtr", 157, 5);
    dsr = traceRow("dsr", 178, 6);
    dcd = traceRow("dcd", 199, 7);
    ri = traceRow("ri", 220, 8);
    StaticText1 = leftName("StaticText1", 74, "RxD", 9);
    StaticText2 = leftName("StaticText2", 95, "TxD", 10);
    StaticText3 = leftName("StaticText3", 116, "RTS", 11);
    StaticText4 = leftName("StaticText4", 137, "CTS", 12);
    StaticText5 = leftName("StaticText5", 158, "DTR", 13);
    StaticText6 = leftName("StaticText6", 179, "DSR", 14);
    StaticText7 = leftName("StaticText7", 200, "DCD", 15);
    StaticText8 = leftName("StaticText8", 221, "RI", 16);
    StaticText9 = pinNumber("StaticText9", 74, "Pin 2", 17);
    StaticText10 = pinNumber("StaticText10", 95, "Pin 3", 18);
    StaticText11 = pinNumber("StaticText11", 116, "Pin 7", 19);
    StaticText12 = pinNumber("StaticText12", 137, "Pin 8", 20);
    StaticText13 = pinNumber("StaticText13", 158, "Pin 4", 21);
    StaticText14 = pinNumber("StaticText14", 179, "Pin 6", 22);
    StaticText15 = pinNumber("StaticText15", 200, "Pin 1", 23);
    StaticText16 = pinNumber("StaticText16", 221, "Pin 9", 24);
    AcquirePB = button("AcquirePB", {148, 278, 80, 20}, "Acquire", 25);
    connect(AcquirePB, &QPushButton::clicked, this, &Window1::AcquirePB_Action);
    SerialPortPopup = popup("SerialPortPopup", {163, 18, 204, 17}, 26);
    connect(SerialPortPopup, &QComboBox::currentIndexChanged, this,
            &Window1::SerialPortPopup_Change);
    Serial1 = serialPort("Serial1");
    // Port 1 supplies the link's CTS, DSR, DCD and RI; port 2 only its DCD and DSR.
    Serial1->setWatchedLines(SerialPort::kCts | SerialPort::kDsr | SerialPort::kDcd |
                             SerialPort::kRi);
    connect(Serial1, &SerialPort::errorOccurred, this, &Window1::Serial1_Error);
    connect(Serial1, &SerialPort::lineStateChanged, this, &Window1::Serial1_LineStateChanged);
    Serial2 = serialPort("Serial2");
    Serial2->setWatchedLines(SerialPort::kDcd | SerialPort::kDsr);
    connect(Serial2, &SerialPort::errorOccurred, this, &Window1::Serial2_Error);
    connect(Serial2, &SerialPort::lineStateChanged, this, &Window1::Serial2_LineStateChanged);
    SerialPortPopup2 = popup("SerialPortPopup2", {508, 18, 204, 17}, 29);
    connect(SerialPortPopup2, &QComboBox::currentIndexChanged, this,
            &Window1::SerialPortPopup2_Change);
    Timer1 = timer("Timer1", 10);
    // The sampler's 10 ms period matters more than the timer's cost.
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &Window1::Timer1_Action);
    Baud1 = baudBox("Baud1", 388, 31);
    connect(Baud1, &QComboBox::activated, this, &Window1::Baud1_Change);
    connect(Baud1, &QComboBox::editTextChanged, this, &Window1::Baud1_TextChanged);
    Baud2 = baudBox("Baud2", 730, 32);
    connect(Baud2, &QComboBox::activated, this, &Window1::Baud2_Change);
    connect(Baud2, &QComboBox::editTextChanged, this, &Window1::Baud2_TextChanged);
    PopupMenu1 = popup("PopupMenu1", {20, 41, 116, 20}, 33);
    PopupMenu1->addItems(
        {QStringLiteral("9-pin DTE"), QStringLiteral("9-pin DCE"), QStringLiteral("Mini-8")});
    PopupMenu1->setCurrentIndex(0);
    connect(PopupMenu1, &QComboBox::currentIndexChanged, this, &Window1::PopupMenu1_Change);
    DisplayTimer = timer("DisplayTimer", 500);
    connect(DisplayTimer, &QTimer::timeout, this, &Window1::DisplayTimer_Action);
    ASCIIRB = new QRadioButton(QStringLiteral("ASCII"), m_content);
    place(ASCIIRB, "ASCIIRB", {257, 310, 59, 20}, 35);
    ASCIIRB->setChecked(false);
    connect(ASCIIRB, &QRadioButton::clicked, this, &Window1::ASCIIRB_Action);
    HexRB = new QRadioButton(QStringLiteral("Hex"), m_content);
    place(HexRB, "HexRB", {328, 310, 50, 20}, 36);
    HexRB->setChecked(true);
    connect(HexRB, &QRadioButton::clicked, this, &Window1::HexRB_Action);
    GroupBox1 = new QGroupBox(QStringLiteral("Display Format"), m_content);
    place(GroupBox1, "GroupBox1", {250, 275, 193, 64}, 37);
    // The radio buttons lie in the group box's frame but are the window's own; the box is made
    // after them, so it lets their clicks through instead of covering them.
    GroupBox1->setAttribute(Qt::WA_TransparentForMouseEvents);
    GroupBox1->setFocusPolicy(Qt::NoFocus);
    ShowTimeGapsCB = checkBox("ShowTimeGapsCB", {490, 276, 160, 20}, "Show Time Gaps with", 38);
    TimeGapCharEF = textField("TimeGapCharEF", {656, 275, 28, 22}, "- ", 39);
    STest1 = button("STest1", {250, 45, 68, 16}, "TEST", 40);
    STest1->setFont(smallFont(STest1));
    connect(STest1, &QPushButton::clicked, this, &Window1::STest1_Action);
    STest2 = button("STest2", {610, 45, 68, 16}, "TEST", 41);
    STest2->setFont(smallFont(STest2));
    connect(STest2, &QPushButton::clicked, this, &Window1::STest2_Action);
    StaticText17 = label("StaticText17", {219, -2, 19, 20}, "J4", Qt::AlignLeft, 42);
    StaticText17->setFont(smallFont(StaticText17));
    StaticText18 = label("StaticText18", {579, -2, 19, 20}, "J5", Qt::AlignLeft, 43);
    StaticText18->setFont(smallFont(StaticText18));
    StaticText19 =
        label("StaticText19", {8, 21, 143, 20}, "Pin Names & Numbers", Qt::AlignLeft, 44);
    HSpeedCB = checkBox("HSpeedCB", {490, 297, 273, 20}, "High speed option, no live updates", 45);
    connect(HSpeedCB, &QCheckBox::clicked, this, &Window1::HSpeedCB_Action);
    StaticText20 = rightName("StaticText20", 95, "TxD", 46);
    StaticText21 = rightName("StaticText21", 116, "RTS", 47);
    StaticText22 = rightName("StaticText22", 137, "CTS", 48);
    StaticText23 = rightName("StaticText23", 158, "DTR", 49);
    StaticText24 = rightName("StaticText24", 179, "DSR", 50);
    StaticText25 = rightName("StaticText25", 200, "DCD", 51);
    StaticText26 = rightName("StaticText26", 221, "RI", 52);
    StaticText27 = rightName("StaticText27", 74, "RxD", 53);
    SavePB = button("SavePB", {41, 278, 80, 20}, "Save", 54);
    connect(SavePB, &QPushButton::clicked, this, &Window1::SavePB_Action);
    TimeGapTimer = timer("TimeGapTimer", 1000);
    connect(TimeGapTimer, &QTimer::timeout, this, &Window1::TimeGapTimer_Action);
    StaticText28 = label("StaticText28", {690, 276, 36, 20}, "every", Qt::AlignLeft, 56);
    GapTimeEF = textField("GapTimeEF", {730, 275, 54, 22}, "200", 57);
    connect(GapTimeEF, &QLineEdit::textChanged, this, &Window1::GapTimeEF_TextChange);
    StaticText29 = label("StaticText29", {785, 276, 25, 20}, "ms", Qt::AlignLeft, 58);
    LoadPB = button("LoadPB", {41, 310, 80, 20}, "Load", 59);
    connect(LoadPB, &QPushButton::clicked, this, &Window1::LoadPB_Action);

    QWidget* previous = nullptr;
    for (const auto& [tab, widget] : tabOrder) {
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, widget);
        previous = widget;
    }
}

bool Window1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_content && event->type() == QEvent::Resize)
        applyAnchoring(m_content->width());
    return QMainWindow::eventFilter(watched, event);
}

void Window1::applyAnchoring(int contentWidth) {
    const int delta = contentWidth - kWidth;
    for (const Anchor& anchor : m_anchors) {
        QRect geometry = anchor.base;
        if (anchor.stretch)
            geometry.setWidth(anchor.base.width() + delta);
        else
            geometry.moveLeft(anchor.base.left() + delta);
        anchor.widget->setGeometry(geometry);
    }
}

QList<TraceRow*> Window1::rows() const {
    return {rxd, txd, rts, cts, dtr, dsr, dcd, ri};
}

void Window1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    SerialPortPopup_Open();
    SerialPortPopup2_Open();
    Event_Open();
}

void Window1::closeEvent(QCloseEvent* event) {
    Event_Close();
    event->accept();
}

void Window1::Event_Open() {
    HexRB->setChecked(true);
    ScrollBar1->setMaximum(1000);
}

void Window1::Event_Close() {
    Serial1->close();
    Serial2->close();
}
