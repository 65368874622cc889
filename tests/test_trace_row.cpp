#include "display/TraceRow.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

const QString kDigits = QStringLiteral("0123456789");

// Digits repeated to the given number of cells, so that any shift of the view shows.
QString digits(qsizetype cells) {
    QString text;
    while (text.size() < cells)
        text += kDigits;
    return text.left(cells);
}

// A shown row of the trace rows' height.
struct ShownRow {
    explicit ShownRow(const QString& text, int width = 200) {
        row.setText(text);
        row.resize(width, 20);
        row.show();
        if (!QTest::qWaitForWindowExposed(&row))
            qWarning("row not exposed");
    }
    // Middle of the row's height at a cell boundary.
    QPoint at(qsizetype position) const { return {row.positionX(position), row.height() / 2}; }
    TraceRow row;
};

// The pixels of one cell, inside the frame (which shows the focus).
QImage cellImage(TraceRow& row, qsizetype cell) {
    const QImage image = row.grab().toImage();
    return image.copy(row.positionX(cell), 4, TraceRow::kCellWidth, row.height() - 8);
}

} // namespace

class TraceRowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void dragSelects();
    void dragPastTheEdgeStopsAtTheLastCellInView();
    void shiftClickExtendsAndClickCollapses();
    void doubleClickSelectsARun();
    void keyboardSelects_data();
    void keyboardSelects();
    void ctrlCCopiesTheSelection();
    void copyAndSelectAllKeysBelongToTheRow_data();
    void copyAndSelectAllKeysBelongToTheRow();
    void offsetPastTheEndShowsTheEnd();
    void shortTextIgnoresTheOffset();
    void newTextKeepsTheScrollPosition();
    void selectionSurvivesAGrowingText_data();
    void selectionSurvivesAGrowingText();
    void selectionIsPaintedHighlighted();
    void paintingLeavesTheTextShared();
    void cellsStayOnTheGrid();
    void focusRingShowsLikeALineEdit();
};

void TraceRowTest::dragSelects() {
    ShownRow s(kDigits);
    QSignalSpy changed(&s.row, &TraceRow::selectionChanged);
    QTest::mousePress(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(2));
    QTest::mouseMove(&s.row, s.at(5));
    QTest::mouseRelease(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(5));
    QCOMPARE(s.row.selectedText(), QStringLiteral("234"));
    QVERIFY(changed.count() >= 1);
    // Dragging back past the anchor selects the other way.
    QTest::mousePress(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(6));
    QTest::mouseMove(&s.row, s.at(1));
    QTest::mouseRelease(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(1));
    QCOMPARE(s.row.selectedText(), QStringLiteral("12345"));
    QCOMPARE(s.row.cursorPosition(), 1);
}

void TraceRowTest::dragPastTheEdgeStopsAtTheLastCellInView() {
    ShownRow s(digits(100));
    s.row.setScrollPosition(60);
    QTest::mousePress(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(20));
    QTest::mouseMove(&s.row, {s.row.width() + 300, s.row.height() / 2});
    const qsizetype lastInView = s.row.cursorPosition();
    QTest::mouseRelease(&s.row, Qt::LeftButton, Qt::NoModifier,
                        {s.row.width() + 300, s.row.height() / 2});
    QVERIFY(s.row.positionX(lastInView) <= s.row.width());
    QVERIFY(s.row.positionX(lastInView) > s.row.width() - 2 * TraceRow::kCellWidth);
    QCOMPARE(s.row.selectionStart(), 20);
    QCOMPARE(s.row.visibleOffset(), 60); // the view did not move
    QTest::mousePress(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(20));
    QTest::mouseMove(&s.row, {-300, s.row.height() / 2});
    QCOMPARE(s.row.cursorPosition(), 10); // the first cell in view
    QTest::mouseRelease(&s.row, Qt::LeftButton, Qt::NoModifier, {-300, s.row.height() / 2});
}

void TraceRowTest::shiftClickExtendsAndClickCollapses() {
    ShownRow s(kDigits);
    QTest::mouseClick(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(2));
    QVERIFY(!s.row.hasSelectedText());
    QTest::mouseClick(&s.row, Qt::LeftButton, Qt::ShiftModifier, s.at(6));
    QCOMPARE(s.row.selectedText(), QStringLiteral("2345"));
    QTest::mouseClick(&s.row, Qt::LeftButton, Qt::ShiftModifier, s.at(8));
    QCOMPARE(s.row.selectedText(), QStringLiteral("234567"));
    QTest::mouseClick(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(4));
    QVERIFY(!s.row.hasSelectedText());
    QCOMPARE(s.row.cursorPosition(), 4);
    // A press between two boundaries goes to the nearer one.
    QTest::mouseClick(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(3) + QPoint(2, 0));
    QCOMPARE(s.row.cursorPosition(), 3);
    QTest::mouseClick(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(3) + QPoint(4, 0));
    QCOMPARE(s.row.cursorPosition(), 4);
}

void TraceRowTest::doubleClickSelectsARun() {
    ShownRow s(QStringLiteral("41 42 -  0D "));
    QTest::mouseDClick(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(4) + QPoint(3, 0));
    QCOMPARE(s.row.selectedText(), QStringLiteral("42"));
    QTest::mouseDClick(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(7) + QPoint(3, 0));
    QCOMPARE(s.row.selectedText(), QStringLiteral("  "));
}

void TraceRowTest::keyboardSelects_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("length");
    QTest::addColumn<qsizetype>("cursor");
    const int shift = Qt::ShiftModifier;
    const int right = Qt::Key_Right;
    const int left = Qt::Key_Left;
    // The cursor starts at 3 of ten cells.
    QTest::newRow("shift+right three times")
        << QList<int>{shift | right, shift | right, shift | right} << qsizetype(3) << qsizetype(3)
        << qsizetype(6);
    QTest::newRow("shift+left twice")
        << QList<int>{shift | left, shift | left} << qsizetype(1) << qsizetype(2) << qsizetype(1);
    QTest::newRow("shift+end") << QList<int>{shift | Qt::Key_End} << qsizetype(3) << qsizetype(7)
                               << qsizetype(10);
    QTest::newRow("shift+home") << QList<int>{shift | Qt::Key_Home} << qsizetype(0) << qsizetype(3)
                                << qsizetype(0);
    QTest::newRow("end, then shift+home") << QList<int>{int(Qt::Key_End), shift | Qt::Key_Home}
                                          << qsizetype(0) << qsizetype(10) << qsizetype(0);
    QTest::newRow("right collapses a selection onto its end")
        << QList<int>{shift | right, shift | right, right} << qsizetype(5) << qsizetype(0)
        << qsizetype(5);
    QTest::newRow("left collapses a selection onto its start")
        << QList<int>{shift | right, shift | right, left} << qsizetype(3) << qsizetype(0)
        << qsizetype(3);
    QTest::newRow("ctrl+a") << QList<int>{(Qt::ControlModifier | Qt::Key_A).toCombined()}
                            << qsizetype(0) << qsizetype(10) << qsizetype(10);
    QTest::newRow("shift+left at the start stays") << QList<int>{int(Qt::Key_Home), shift | left}
                                                   << qsizetype(0) << qsizetype(0) << qsizetype(0);
    QTest::newRow("shift+right at the end stays") << QList<int>{int(Qt::Key_End), shift | right}
                                                  << qsizetype(10) << qsizetype(0) << qsizetype(10);
}

void TraceRowTest::keyboardSelects() {
    QFETCH(QList<int>, keys);
    ShownRow s(kDigits);
    s.row.setSelection(3, 0);
    for (int key : keys) {
        const auto combination = QKeyCombination::fromCombined(key);
        QTest::keyClick(&s.row, combination.key(), combination.keyboardModifiers());
    }
    QTEST(s.row.selectionStart(), "start");
    QTEST(s.row.selectionLength(), "length");
    QTEST(s.row.cursorPosition(), "cursor");
}

void TraceRowTest::ctrlCCopiesTheSelection() {
    ShownRow s(kDigits);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    QTest::keyClick(&s.row, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("before")); // nothing selected, nothing copied
    s.row.setSelection(2, 3);
    QTest::keyClick(&s.row, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboard->text(), QStringLiteral("234"));
    QCOMPARE(s.row.selectedText(), QStringLiteral("234"));
}

void TraceRowTest::copyAndSelectAllKeysBelongToTheRow_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("taken");
    QTest::newRow("copy") << (Qt::ControlModifier | Qt::Key_C).toCombined() << true;
    QTest::newRow("select all") << (Qt::ControlModifier | Qt::Key_A).toCombined() << true;
    QTest::newRow("paste") << (Qt::ControlModifier | Qt::Key_V).toCombined() << false;
    QTest::newRow("quit") << (Qt::ControlModifier | Qt::Key_Q).toCombined() << false;
}

// A menu item with the same keys must not take Ctrl+C or Ctrl+A away from a focused row.
void TraceRowTest::copyAndSelectAllKeysBelongToTheRow() {
    QFETCH(int, key);
    const auto combination = QKeyCombination::fromCombined(key);
    TraceRow row;
    QKeyEvent event(QEvent::ShortcutOverride, combination.key(), combination.keyboardModifiers());
    event.ignore();
    QApplication::sendEvent(&row, &event);
    QTEST(event.isAccepted(), "taken");
}

void TraceRowTest::offsetPastTheEndShowsTheEnd() {
    ShownRow s(digits(100));
    s.row.setScrollPosition(100000);
    QCOMPARE(s.row.scrollPosition(), 100000);
    const int furthest = s.row.visibleOffset();
    QVERIFY(furthest > 0 && furthest < 600);
    // The end of the text meets the right edge of the field.
    QVERIFY(s.row.positionX(100) <= s.row.width());
    QVERIFY(s.row.positionX(100) > s.row.width() - TraceRow::kCellWidth);
    const QImage pastTheEnd = s.row.grab().toImage();
    s.row.setScrollPosition(furthest);
    QCOMPARE(s.row.visibleOffset(), furthest);
    QCOMPARE(s.row.grab().toImage(), pastTheEnd);
    s.row.setScrollPosition(furthest - TraceRow::kCellWidth);
    QCOMPARE(s.row.visibleOffset(), furthest - TraceRow::kCellWidth);
    QVERIFY(s.row.grab().toImage() != pastTheEnd);
    s.row.setScrollPosition(-50);
    QCOMPARE(s.row.visibleOffset(), 0);
}

void TraceRowTest::shortTextIgnoresTheOffset() {
    ShownRow s(digits(10));
    const QImage atStart = s.row.grab().toImage();
    s.row.setScrollPosition(60);
    QCOMPARE(s.row.visibleOffset(), 0);
    QCOMPARE(s.row.grab().toImage(), atStart);
}

void TraceRowTest::newTextKeepsTheScrollPosition() {
    ShownRow s(digits(200));
    s.row.setScrollPosition(60);
    s.row.setText(digits(300));
    QCOMPARE(s.row.scrollPosition(), 60);
    QCOMPARE(s.row.visibleOffset(), 60);
    QCOMPARE(s.row.positionAt(s.at(10)), 10);
    // A text too short for the offset shows its end; a longer one brings the offset back.
    s.row.setText(digits(40));
    QCOMPARE(s.row.scrollPosition(), 60);
    QVERIFY(s.row.visibleOffset() < 60);
    QVERIFY(s.row.positionX(40) <= s.row.width());
    QVERIFY(s.row.positionX(40) > s.row.width() - TraceRow::kCellWidth);
    s.row.setText(digits(300));
    QCOMPARE(s.row.visibleOffset(), 60);
}

void TraceRowTest::selectionSurvivesAGrowingText_data() {
    QTest::addColumn<QString>("next");
    QTest::addColumn<bool>("kept");
    QTest::newRow("grown at the end") << QStringLiteral("0123456789ABC") << true;
    QTest::newRow("same text") << kDigits << true;
    QTest::newRow("changed before the selection") << QStringLiteral("X123456789") << false;
    QTest::newRow("changed inside the selection") << QStringLiteral("012X456789") << false;
    QTest::newRow("changed after the selection") << QStringLiteral("01234567X9") << true;
    QTest::newRow("too short") << QStringLiteral("0123") << false;
    QTest::newRow("emptied") << QString() << false;
}

void TraceRowTest::selectionSurvivesAGrowingText() {
    QFETCH(QString, next);
    QFETCH(bool, kept);
    TraceRow row;
    row.setText(kDigits);
    row.setSelection(2, 3);
    QSignalSpy changed(&row, &TraceRow::selectionChanged);
    row.setText(next);
    QCOMPARE(row.text(), next);
    QCOMPARE(row.hasSelectedText(), kept);
    QCOMPARE(changed.count(), kept ? 0 : 1);
    if (kept)
        QCOMPARE(row.selectedText(), QStringLiteral("234"));
}

void TraceRowTest::selectionIsPaintedHighlighted() {
    ShownRow s(QString(10, u' '));
    s.row.setSelection(2, 3);
    const QImage image = s.row.grab().toImage();
    const int y = s.row.height() / 2;
    const QColor highlight = s.row.palette().color(QPalette::Highlight);
    const QColor base = s.row.palette().color(QPalette::Base);
    for (qsizetype cell : {2, 3, 4})
        QCOMPARE(image.pixelColor(s.row.positionX(cell) + 3, y), highlight);
    for (qsizetype cell : {1, 5, 8})
        QCOMPARE(image.pixelColor(s.row.positionX(cell) + 3, y), base);
}

// Painting must not copy the text: a row of a quarter of a million cells costs no more to
// paint than a short one.
void TraceRowTest::paintingLeavesTheTextShared() {
    const QString text = digits(250000);
    ShownRow s(text);
    s.row.setScrollPosition(700000);
    s.row.setSelection(116000, 100);
    s.row.grab();
    QTest::mouseDClick(&s.row, Qt::LeftButton, Qt::NoModifier, s.at(116010));
    QTest::keyClick(&s.row, Qt::Key_Right, Qt::ShiftModifier);
    s.row.copy();
    QVERIFY(s.row.text().isSharedWith(text));
}

// Every cell is drawn at its own place on the grid, whether its neighbours were drawn with it,
// apart from it (a selection boundary) or after a character that does not fit a cell.
void TraceRowTest::cellsStayOnTheGrid() {
    ShownRow plain(QString(48, u'X'), 300);
    const QImage reference = cellImage(plain.row, 1);
    ShownRow blank(QString(48, u' '), 300);
    QVERIFY(reference != cellImage(blank.row, 1)); // the X shows
    // The font's advance is not exactly one cell: drawn as a line of text, the X's would drift.
    for (qsizetype cell : {2, 17, 40, 47})
        QCOMPARE(cellImage(plain.row, cell), reference);

    ShownRow split(QString(48, u'X'), 300);
    split.row.setSelection(3, 2);
    QCOMPARE(cellImage(split.row, 40), reference);

    ShownRow afterWide(QStringLiteral("\u4E2D\u0301") + QString(46, u'X'), 300);
    QCOMPARE(cellImage(afterWide.row, 40), reference);

    ShownRow hexLike(QStringLiteral("41 \u2014\u2014\u2014\u00B7\u2400\u2421") + QString(39, u'X'),
                     300);
    QCOMPARE(cellImage(hexLike.row, 40), reference);
}

void TraceRowTest::focusRingShowsLikeALineEdit() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* row = new TraceRow(&window);
    auto* other = new QLineEdit(&window);
    row->setText(kDigits);
    row->setFixedSize(200, 20);
    layout->addWidget(row);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    const QImage unfocused = row->grab().toImage();
    QTest::mouseClick(row, Qt::LeftButton, Qt::NoModifier, {row->positionX(3), 10});
    QTRY_VERIFY(row->hasFocus());
    QVERIFY(row->grab().toImage() != unfocused);
    other->setFocus();
    QTRY_VERIFY(!row->hasFocus());
    QCOMPARE(row->grab().toImage(), unfocused);
}

QTEST_MAIN(TraceRowTest)
#include "test_trace_row.moc"
