// The window's display handlers: the redraw, the format switch, scrolling, the gap markers and
// their time field, and the wiring labels.
#include "app/TimerMode.h"
#include "app/Window1.h"
#include "capture/TextNumber.h"
#include "display/GapMarkers.h"
#include "display/Renderer.h"
#include "display/TraceRow.h"
#include "pins/PinLabels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

namespace {
const QString kNone = QStringLiteral("none");
} // namespace

void Window1::DisplayTimer_Action() {
    if (ASCIIRB->isChecked())
        display::renderRows(m_capture, display::Format::Ascii);
    else if (HexRB->isChecked())
        display::renderRows(m_capture, display::Format::Hex);
    if (SerialPortPopup->currentText() != kNone) {
        rxd->setText(m_capture.rxdStr);
        cts->setText(m_capture.ctsStr);
        dsr->setText(m_capture.dsrStr);
        dcd->setText(m_capture.dcdStr);
        ri->setText(m_capture.riStr);
    }
    if (SerialPortPopup2->currentText() != kNone) {
        txd->setText(m_capture.txdStr);
        rts->setText(m_capture.rtsStr);
        dtr->setText(m_capture.dtrStr);
    }
}

void Window1::ASCIIRB_Action() {
    m_capture.TGC = display::gapText(TimeGapCharEF->text(), display::Format::Ascii);
    if (timerMode(*DisplayTimer) == TimerMode::Off)
        setTimerMode(*DisplayTimer, TimerMode::Once);
}

void Window1::HexRB_Action() {
    m_capture.TGC = display::gapText(TimeGapCharEF->text(), display::Format::Hex);
    if (timerMode(*DisplayTimer) == TimerMode::Off)
        setTimerMode(*DisplayTimer, TimerMode::Once);
}

void Window1::ScrollBar1_ValueChanged() {
    const double width = double(TraceRow::kCellWidth) * double(rxd->text().size());
    const int x = capture::roundToInt32(ScrollBar1->value() / 1000.0 * width);
    for (TraceRow* row : rows())
        row->setScrollPosition(x);
}

void Window1::TimeGapTimer_Action() {
    display::gapTick(m_capture, ShowTimeGapsCB->isChecked(), *Serial1, *Serial2);
}

void Window1::GapTimeEF_TextChange() {
    setGapTimeWarning(display::gapTimeTooShort(GapTimeEF->text()));
}

void Window1::setGapTimeWarning(bool warn) {
    QPalette palette = GapTimeEF->palette();
    palette.setColor(QPalette::Text, warn ? QColor(0xFF, 0x00, 0x00) : QColor(0x00, 0x00, 0x00));
    GapTimeEF->setPalette(palette);
}

void Window1::PopupMenu1_Change() {
    const std::optional<pins::Wiring> wiring = pins::wiringAt(PopupMenu1->currentIndex());
    if (!wiring) {
        StaticText9->setText(QStringLiteral("Error"));
        return;
    }
    QLabel* const rowLabels[8][3] = {
        {StaticText1, StaticText27, StaticText9},  {StaticText2, StaticText20, StaticText10},
        {StaticText3, StaticText21, StaticText11}, {StaticText4, StaticText22, StaticText12},
        {StaticText5, StaticText23, StaticText13}, {StaticText6, StaticText24, StaticText14},
        {StaticText7, StaticText25, StaticText15}, {StaticText8, StaticText26, StaticText16}};
    for (int row = 0; row < 8; ++row) {
        const QString name = QString::fromLatin1((*wiring)[row].name);
        rowLabels[row][0]->setText(name);
        rowLabels[row][1]->setText(name);
        rowLabels[row][2]->setText(QString::fromLatin1((*wiring)[row].pin));
    }
}
