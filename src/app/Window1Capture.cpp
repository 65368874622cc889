// The window's capture handlers: acquisition start and stop, the sampler tick, the two ports'
// pop-ups, rates, errors and test patterns, and the line-change slots.
#include "app/TimerMode.h"
#include "app/Window1.h"
#include "capture/Sampler.h"
#include "capture/TextNumber.h"
#include "display/GapMarkers.h"
#include "display/Renderer.h"
#include "display/TraceRow.h"
#include "platform/Dialogs.h"
#include "platform/SerialPort.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

namespace {
const QString kAcquire = QStringLiteral("Acquire");
const QString kStop = QStringLiteral("Stop");
} // namespace

void Window1::AcquirePB_Action() {
    if (AcquirePB->text() != kAcquire) {
        endAcquisition();
        return;
    }
    m_capture.TimeGapForSave = ShowTimeGapsCB->isChecked();
    m_capture.GapCharsForSave = TimeGapCharEF->text();
    m_capture.GapTimeForSave = GapTimeEF->text();
    m_capture.HSpeedForSave = HSpeedCB->isChecked();
    AcquirePB->setText(kStop);
    capture::startCapture(m_capture);
    ScrollBar1->setValue(0);
    if (ASCIIRB->isChecked())
        m_capture.TGC = display::gapText(TimeGapCharEF->text(), display::Format::Ascii);
    else if (HexRB->isChecked())
        m_capture.TGC = display::gapText(TimeGapCharEF->text(), display::Format::Hex);
    for (TraceRow* row : {txd, rxd, rts, cts, dsr, dtr, ri, dcd})
        row->setText(QString());
    // Bytes that waited in the ports since they were opened or since the last stop would be
    // filed into the first slots all at once, out of step between the two directions.
    Serial1->discardInput();
    Serial2->discardInput();
    setTimerMode(*Timer1, TimerMode::Repeating);
    setTimerMode(*DisplayTimer, HSpeedCB->isChecked() ? TimerMode::Off : TimerMode::Repeating);
    if (ShowTimeGapsCB->isChecked()) {
        if (display::gapTimeTooShort(GapTimeEF->text())) {
            GapTimeEF->setText(QStringLiteral("50"));
            setGapTimeWarning(false);
        }
        TimeGapTimer->setInterval(
            std::max(1, capture::roundToInt32(capture::textToNumber(GapTimeEF->text()))));
        setTimerMode(*TimeGapTimer, TimerMode::Repeating);
    } else {
        setTimerMode(*TimeGapTimer, TimerMode::Off);
    }
}

void Window1::endAcquisition() {
    AcquirePB->setText(kAcquire);
    setTimerMode(*TimeGapTimer, TimerMode::Off);
    setTimerMode(*Timer1, TimerMode::Off);
    setTimerMode(*DisplayTimer, TimerMode::Once);
}

void Window1::Timer1_Action() {
    if (capture::drainPorts(m_capture, *Serial1, *Serial2) == capture::TickOutcome::End)
        endAcquisition();
}

void Window1::HSpeedCB_Action() {
    // Read when an acquisition starts and when a capture is loaded; a click changes nothing now.
}

void Window1::Serial1_LineStateChanged(const QList<qint32>&) {
    lineStateChanged();
}

void Window1::Serial2_LineStateChanged(const QList<qint32>&) {
    lineStateChanged();
}

void Window1::lineStateChanged() {
    capture::appendLineChange(m_capture, *Serial1, *Serial2);
}

Window1::PortSide Window1::side1() const {
    return {Serial1, SerialPortPopup, Baud1};
}

Window1::PortSide Window1::side2() const {
    return {Serial2, SerialPortPopup2, Baud2};
}

void Window1::SerialPortPopup_Open() {
    portPopupOpen(side1());
}
void Window1::SerialPortPopup2_Open() {
    portPopupOpen(side2());
}
void Window1::SerialPortPopup_Change() {
    portPopupChange(side1());
}
void Window1::SerialPortPopup2_Change() {
    portPopupChange(side2());
}
void Window1::Baud1_Change() {
    baudChange(side1());
}
void Window1::Baud2_Change() {
    baudChange(side2());
}
void Window1::Baud1_TextChanged() {
    baudTextChanged(side1());
}
void Window1::Baud2_TextChanged() {
    baudTextChanged(side2());
}
void Window1::Serial1_Error() {
    portError(side1());
}
void Window1::Serial2_Error() {
    portError(side2());
}
void Window1::STest1_Action() {
    testPattern(side1());
}
void Window1::STest2_Action() {
    testPattern(side2());
}

void Window1::portPopupOpen(const PortSide& side) {
    side.popup->addItem(QStringLiteral("none"));
    side.popup->addItems(m_serialSystem.portNames());
    side.popup->setCurrentIndex(0);
}

void Window1::portPopupChange(const PortSide& side) {
    side.port->close();
    const int row = side.popup->currentIndex();
    if (row < 1)
        return;
    // The host's list as it is now: a port may have come or gone since the pop-up was filled.
    // When the list has shrunk below the row, the name the user chose is tried, so that a port
    // that went away fails to open with the port's own error rather than silently.
    const QStringList names = m_serialSystem.portNames();
    side.port->setHostPort(names.value(row - 1, side.popup->itemText(row)));
    if (!side.port->open()) {
        const int code = side.port->lastErrorCode();
        m_dialogs.message(this,
                          QStringLiteral("Couldn't open the device: ") + QString::number(code),
                          SerialPort::openFailureHint(code));
    }
}

void Window1::baudChange(const PortSide& side) {
    side.port->setBaudRate(capture::floorToInt32(capture::textToNumber(side.baud->currentText())));
    side.baud->setEditText(QString::number(side.port->baudRate()));
    side.port->reset();
}

void Window1::baudTextChanged(const PortSide& side) {
    const qint32 rate = capture::floorToInt32(capture::textToNumber(side.baud->currentText()));
    // An empty or half-typed box is not a rate yet: leave the port as it is.
    if (rate < 1)
        return;
    side.port->setBaudRate(rate);
    side.port->reset();
}

void Window1::portError(const PortSide& side) {
    if (side.port->lastErrorCode() == SerialPort::kRateTooHigh) {
        m_dialogs.message(this, QStringLiteral("Baud rate too high"));
        side.baud->setEditText(QStringLiteral("300"));
        return;
    }
    m_dialogs.message(this, QStringLiteral("Serial port error"),
                      side.port->isOpen() ? QString() : SerialPort::closedAfterErrorHint());
}

void Window1::testPattern(const PortSide& side) {
    // A typed rate is stored as it is on a closed port; beyond any serial hardware's reach it
    // would only make the pattern hundreds of megabytes long.
    constexpr qint32 kFastestRate = 16000000;
    const qint32 rate = std::min(side.port->baudRate(), kFastestRate);
    const int run = std::max(0, capture::roundToInt32(rate / 60.0));
    QByteArray half(run, char(0));
    QByteArray pattern;
    pattern.reserve(12 * qsizetype(run));
    for (int i = 0; i < 6; ++i)
        pattern.append(half).append(QByteArray(run, char(255)));
    side.port->write(pattern);
}
