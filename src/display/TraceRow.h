#pragma once

#include <QString>
#include <QWidget>

// One trace row: a read-only, single-line field that shows a long text in a fixed 6-pixel cell
// grid, scrolled by a pixel offset that the window sets. It paints only the cells in view, so a
// row of a quarter of a million cells costs no more to paint than a short one.
class TraceRow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCellWidth = 6;

    explicit TraceRow(QWidget* parent = nullptr);

    void setText(const QString& text);
    const QString& text() const { return m_text; }

    // Horizontal scroll position in pixels from the start of the text.
    void setScrollPosition(int pixels);
    int scrollPosition() const { return m_scroll; }

    // Selection, in cells of the text.
    bool hasSelectedText() const { return m_selectionLength > 0; }
    QString selectedText() const;
    void setSelection(qsizetype start, qsizetype length);
    void selectAll();
    void deselect();
    // Puts the selected cells on the clipboard.
    void copy() const;

    QSize sizeHint() const override;

signals:
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect contentsArea() const;

    QString m_text;
    int m_scroll = 0;
    qsizetype m_selectionStart = 0;
    qsizetype m_selectionLength = 0;
};
