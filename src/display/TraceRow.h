#pragma once

#include <QHash>
#include <QList>
#include <QRawFont>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <cstdlib>

// One trace row: a read-only, single-line field that shows a long text in a fixed 6-pixel cell
// grid, scrolled by a pixel offset that the window sets. It paints only the cells in view, so a
// row of a quarter of a million cells costs no more to paint than a short one.
//
// The row never scrolls itself: the window moves all rows together, so they stay aligned. An
// offset past the end of the text shows the end of the text at the right edge of the field.
//
// The user selects cells with the mouse (press and drag, shift-click, double-click for a run of
// non-blank cells) or the keyboard (shift with the arrows, Home and End; Ctrl+A), and copies
// them with Ctrl+C or the Edit menu.
class TraceRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellWidth = 6;

    explicit TraceRow(QWidget* parent = nullptr);

    // Replaces the text. The scroll position stays as it was. A selection survives only when the
    // new text keeps the selected cells and every cell before them unchanged (a capture that
    // grew); any other change drops it.
    void setText(const QString& text);
    const QString& text() const { return m_text; }

    // Horizontal scroll position in pixels from the start of the text, as the window set it.
    void setScrollPosition(int pixels);
    int scrollPosition() const { return m_scroll; }
    // The offset actually drawn: the scroll position kept between 0 and the point where the end
    // of the text meets the right edge of the field.
    int visibleOffset() const;

    // The cell boundary (0..text size) nearest to a point in the widget's coordinates, and the
    // x coordinate at which a boundary is drawn at the current offset.
    qsizetype positionAt(QPoint point) const;
    int positionX(qsizetype position) const;

    // Selection, in cells of the text. The cursor is the end of the selection that moves.
    bool hasSelectedText() const { return m_cursor != m_anchor; }
    QString selectedText() const;
    qsizetype selectionStart() const { return std::min(m_anchor, m_cursor); }
    qsizetype selectionLength() const { return std::abs(m_cursor - m_anchor); }
    qsizetype cursorPosition() const { return m_cursor; }
    void setSelection(qsizetype start, qsizetype length);
    void selectAll();
    void deselect();
    // Puts the selected cells on the clipboard; nothing happens without a selection.
    void copy() const;

    QSize sizeHint() const override;

signals:
    void selectionChanged();
    void textChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect contentsArea() const;
    // Sets both ends of the selection, clamped to the text; repaints and signals on a change.
    void select(qsizetype anchor, qsizetype cursor);
    // Moves the cursor, extending the selection or collapsing it onto the new place.
    void moveCursor(qsizetype position, bool extend);
    // How a character is drawn: as a glyph of one of the fonts the row has met, placed on its
    // cell by position; as nothing (a blank); or, when it is not one glyph, with its own text
    // drawing call at its cell.
    struct Glyph {
        int font; // index into m_fonts, or kBlank / kOwnText
        quint32 index;
    };
    static constexpr int kBlank = -1;
    static constexpr int kOwnText = -2;
    Glyph glyphOf(QChar ch) const;

    QString m_text;
    int m_scroll = 0;
    qsizetype m_anchor = 0;
    qsizetype m_cursor = 0;
    mutable QHash<char16_t, Glyph> m_glyphs;
    mutable QList<QRawFont> m_fonts;
};
