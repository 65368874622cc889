#include "display/TraceRow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace {
// The frame and the inner margin of the platform's line edit, so the rows look like fields.
constexpr int kHorizontalMargin = 2;
} // namespace

TraceRow::TraceRow(QWidget* parent) : QWidget(parent) {
    QFont mono(QStringLiteral("Monaco"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setFamilies({QStringLiteral("Monaco"), QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("Noto Sans Mono"), QStringLiteral("monospace")});
    mono.setPixelSize(10);
    setFont(mono);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setBackgroundRole(QPalette::Base);
    setCursor(Qt::IBeamCursor);
}

void TraceRow::setText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    deselect();
    update();
}

QString TraceRow::selectedText() const {
    return m_text.mid(m_selectionStart, m_selectionLength);
}

void TraceRow::setSelection(qsizetype start, qsizetype length) {
    start = std::clamp<qsizetype>(start, 0, m_text.size());
    length = std::clamp<qsizetype>(length, 0, m_text.size() - start);
    if (start == m_selectionStart && length == m_selectionLength)
        return;
    m_selectionStart = start;
    m_selectionLength = length;
    update();
    emit selectionChanged();
}

void TraceRow::selectAll() {
    setSelection(0, m_text.size());
}

void TraceRow::deselect() {
    setSelection(0, 0);
}

void TraceRow::copy() const {
    if (hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TraceRow::setScrollPosition(int pixels) {
    if (pixels == m_scroll)
        return;
    m_scroll = pixels;
    update();
}

QSize TraceRow::sizeHint() const {
    return {200, 20};
}

QRect TraceRow::contentsArea() const {
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    const QRect r = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return r.adjusted(kHorizontalMargin, 0, -kHorizontalMargin, 0);
}

void TraceRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.rect = rect();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);

    const QRect area = contentsArea();
    if (m_text.isEmpty() || area.isEmpty())
        return;
    painter.setClipRect(area);
    painter.setPen(palette().color(QPalette::Text));

    const qsizetype first = std::max(0, m_scroll) / kCellWidth;
    const qsizetype count = area.width() / kCellWidth + 2;
    const qsizetype last = std::min<qsizetype>(m_text.size(), first + count);
    const int baseline =
        area.top() + (area.height() + fontMetrics().ascent() - fontMetrics().descent()) / 2;
    for (qsizetype i = first; i < last; ++i) {
        const int x = area.left() + static_cast<int>(i) * kCellWidth - m_scroll;
        painter.drawText(x, baseline, QString(m_text[i]));
    }
}
