#include "display/TraceRow.h"

#include <QClipboard>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace {
// The inner margin of the platform's line edit, so the rows look like fields.
constexpr int kHorizontalMargin = 2;

bool isBlank(QChar ch) {
    return ch == u' ';
}
} // namespace

TraceRow::TraceRow(QWidget* parent) : QWidget(parent) {
    QFont mono(QStringLiteral("Monaco"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setFamilies({QStringLiteral("Monaco"), QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("Noto Sans Mono"), QStringLiteral("monospace")});
    mono.setPixelSize(10);
    // Cells sit on a fixed grid: nothing may move a glyph off its cell.
    mono.setKerning(false);
    mono.setStyleStrategy(QFont::PreferNoShaping);
    setFont(mono);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAttribute(Qt::WA_MacShowFocusRect);
    setBackgroundRole(QPalette::Base);
    setCursor(Qt::IBeamCursor);
}

void TraceRow::setText(const QString& text) {
    if (text.isSharedWith(m_text))
        return;
    if (text == m_text) {
        // Nothing to repaint; sharing the caller's copy lets the old buffer go.
        m_text = text;
        return;
    }
    const qsizetype end = std::max(m_anchor, m_cursor);
    const bool keepSelection = hasSelectedText() && end <= text.size() &&
                               QStringView(text).first(end) == QStringView(m_text).first(end);
    const bool dropSelection = hasSelectedText() && !keepSelection;
    m_text = text;
    if (dropSelection)
        select(0, 0);
    else
        select(m_anchor, m_cursor); // kept inside the new text
    update();
    emit textChanged();
}

QString TraceRow::selectedText() const {
    return m_text.mid(selectionStart(), selectionLength());
}

void TraceRow::select(qsizetype anchor, qsizetype cursor) {
    anchor = std::clamp<qsizetype>(anchor, 0, m_text.size());
    cursor = std::clamp<qsizetype>(cursor, 0, m_text.size());
    if (anchor == m_anchor && cursor == m_cursor)
        return;
    const bool hadSelection = hasSelectedText();
    m_anchor = anchor;
    m_cursor = cursor;
    if (hadSelection || hasSelectedText()) {
        update();
        emit selectionChanged();
    }
}

void TraceRow::setSelection(qsizetype start, qsizetype length) {
    start = std::clamp<qsizetype>(start, 0, m_text.size());
    select(start, start + std::max<qsizetype>(length, 0));
}

void TraceRow::selectAll() {
    select(0, m_text.size());
}

void TraceRow::deselect() {
    select(m_cursor, m_cursor);
}

void TraceRow::moveCursor(qsizetype position, bool extend) {
    select(extend ? m_anchor : position, position);
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

int TraceRow::visibleOffset() const {
    const qsizetype textWidth = m_text.size() * kCellWidth;
    const qsizetype furthest = std::max<qsizetype>(0, textWidth - contentsArea().width());
    return static_cast<int>(std::clamp<qsizetype>(m_scroll, 0, furthest));
}

qsizetype TraceRow::positionAt(QPoint point) const {
    const qsizetype x = point.x() - contentsArea().left() + visibleOffset();
    const qsizetype nearest = (x + kCellWidth / 2) / kCellWidth;
    return std::clamp<qsizetype>(nearest, 0, m_text.size());
}

int TraceRow::positionX(qsizetype position) const {
    return contentsArea().left() - visibleOffset() + static_cast<int>(position) * kCellWidth;
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

TraceRow::Glyph TraceRow::glyphOf(QChar ch) const {
    const auto known = m_glyphs.constFind(ch.unicode());
    if (known != m_glyphs.cend())
        return *known;
    Glyph glyph{kOwnText, 0};
    if (ch == u' ') {
        glyph.font = kBlank;
    } else if (!ch.isSurrogate()) {
        // The layout picks the font that has the character, falling back like any text does.
        QTextLayout layout(QString(ch), font());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.size() == 1 && runs.front().glyphIndexes().size() == 1) {
            const QRawFont rawFont = runs.front().rawFont();
            qsizetype index = m_fonts.indexOf(rawFont);
            if (index < 0) {
                index = m_fonts.size();
                m_fonts.append(rawFont);
            }
            glyph = {static_cast<int>(index), runs.front().glyphIndexes().front()};
        }
    }
    m_glyphs.insert(ch.unicode(), glyph);
    return glyph;
}

void TraceRow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        m_glyphs.clear();
        m_fonts.clear();
    }
    QWidget::changeEvent(event);
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

    // Only the cells in view: the work is the same for a short row and a very long one.
    const int offset = visibleOffset();
    const int originX = area.left() - offset; // where cell 0 would be
    const qsizetype first = offset / kCellWidth;
    const qsizetype last =
        std::min<qsizetype>(m_text.size(), (offset + area.width()) / kCellWidth + 1);
    const qsizetype selectedFrom = std::max(selectionStart(), first);
    const qsizetype selectedTo =
        std::max(selectedFrom, std::min(selectionStart() + selectionLength(), last));
    if (selectedFrom < selectedTo)
        painter.fillRect(originX + static_cast<int>(selectedFrom) * kCellWidth, area.top(),
                         static_cast<int>(selectedTo - selectedFrom) * kCellWidth, area.height(),
                         palette().color(QPalette::Highlight));

    const QFontMetrics metrics = fontMetrics();
    const int baseline = area.top() + (area.height() + metrics.ascent() - metrics.descent()) / 2;

    // Every glyph is placed at the left edge of its own cell, whatever its advance, so the cells
    // stay on the 6-pixel grid; the glyphs of one font and colour go out in one run.
    auto drawCells = [&](qsizetype from, qsizetype to, const QColor& colour) {
        if (from >= to)
            return;
        painter.setPen(colour);
        QList<QList<quint32>> indexes;
        QList<QList<QPointF>> positions;
        for (qsizetype i = from; i < to; ++i) {
            const Glyph glyph = glyphOf(m_text.at(i));
            const int x = originX + static_cast<int>(i) * kCellWidth;
            if (glyph.font == kOwnText) {
                painter.drawText(x, baseline, QString(m_text.at(i)));
            } else if (glyph.font >= 0) {
                if (glyph.font >= indexes.size()) {
                    indexes.resize(glyph.font + 1);
                    positions.resize(glyph.font + 1);
                }
                indexes[glyph.font].append(glyph.index);
                positions[glyph.font].append(QPointF(x, baseline));
            }
        }
        for (qsizetype f = 0; f < indexes.size(); ++f) {
            if (indexes[f].isEmpty())
                continue;
            QGlyphRun run;
            run.setRawFont(m_fonts[f]);
            run.setGlyphIndexes(indexes[f]);
            run.setPositions(positions[f]);
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
    };
    const QColor text = palette().color(QPalette::Text);
    drawCells(first, selectedFrom, text);
    drawCells(selectedFrom, selectedTo, palette().color(QPalette::HighlightedText));
    drawCells(std::max(first, selectedTo), last, text);
}

bool TraceRow::event(QEvent* event) {
    // Copy and Select All belong to the focused row even where a menu item has the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void TraceRow::keyPressEvent(QKeyEvent* event) {
    const qsizetype end = m_text.size();
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::SelectNextChar)) {
        moveCursor(m_cursor + 1, true);
    } else if (event->matches(QKeySequence::SelectPreviousChar)) {
        moveCursor(m_cursor - 1, true);
    } else if (event->matches(QKeySequence::MoveToNextChar)) {
        // Like a line edit: the first press only collapses a selection onto its end.
        moveCursor(hasSelectedText() ? selectionStart() + selectionLength() : m_cursor + 1, false);
    } else if (event->matches(QKeySequence::MoveToPreviousChar)) {
        moveCursor(hasSelectedText() ? selectionStart() : m_cursor - 1, false);
    } else if (event->matches(QKeySequence::SelectStartOfLine) ||
               event->matches(QKeySequence::SelectStartOfDocument)) {
        moveCursor(0, true);
    } else if (event->matches(QKeySequence::SelectEndOfLine) ||
               event->matches(QKeySequence::SelectEndOfDocument)) {
        moveCursor(end, true);
    } else if (event->matches(QKeySequence::MoveToStartOfLine) ||
               event->matches(QKeySequence::MoveToStartOfDocument)) {
        moveCursor(0, false);
    } else if (event->matches(QKeySequence::MoveToEndOfLine) ||
               event->matches(QKeySequence::MoveToEndOfDocument)) {
        moveCursor(end, false);
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TraceRow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    moveCursor(positionAt(event->position().toPoint()),
               event->modifiers().testFlag(Qt::ShiftModifier));
}

void TraceRow::mouseMoveEvent(QMouseEvent* event) {
    if (!event->buttons().testFlag(Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    // The row does not scroll itself: a drag past its edge stops at the last cell in view.
    const QRect area = contentsArea();
    QPoint point = event->position().toPoint();
    point.setX(std::clamp(point.x(), area.left(), area.right() + 1));
    moveCursor(positionAt(point), true);
}

void TraceRow::mouseReleaseEvent(QMouseEvent* event) {
    // Where the platform has a selection clipboard, a selection made with the mouse goes there.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::LeftButton && hasSelectedText() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
    QWidget::mouseReleaseEvent(event);
}

void TraceRow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || m_text.isEmpty()) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    // The run of non-blank cells (or of blanks) under the pointer.
    const qsizetype x = event->position().toPoint().x() - contentsArea().left() + visibleOffset();
    const qsizetype cell = std::clamp<qsizetype>(x / kCellWidth, 0, m_text.size() - 1);
    const bool blank = isBlank(m_text.at(cell));
    qsizetype from = cell;
    qsizetype to = cell + 1;
    while (from > 0 && isBlank(m_text.at(from - 1)) == blank)
        --from;
    while (to < m_text.size() && isBlank(m_text.at(to)) == blank)
        ++to;
    select(from, to);
}
