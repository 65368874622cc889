// Reading typed texts as numbers, and making whole rates and periods of them.
#include "capture/TextNumber.h"

#include <QTest>
#include <cmath>
#include <limits>

class TextNumberTest : public QObject {
    Q_OBJECT
private slots:
    void textToNumber_data();
    void textToNumber();
    void wholeNumbers_data();
    void wholeNumbers();
};

void TextNumberTest::textToNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("number");
    QTest::newRow("integer") << "9600" << 9600.0;
    QTest::newRow("blanks around") << "  \t300 " << 300.0;
    QTest::newRow("words after") << "4800 baud" << 4800.0;
    QTest::newRow("fraction") << "2400.75" << 2400.75;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "12." << 12.0;
    QTest::newRow("sign") << "-20" << -20.0;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("exponent") << "1e5" << 100000.0;
    QTest::newRow("signed exponent") << "25E-1" << 2.5;
    QTest::newRow("exponent without digits") << "12e" << 12.0;
    QTest::newRow("exponent sign without digits") << "12e+x" << 12.0;
    QTest::newRow("comma is not a point") << "1,5" << 1.0;
    QTest::newRow("second point ends it") << "1.2.3" << 1.2;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("blank") << "   " << 0.0;
    QTest::newRow("word") << "fast" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("word first") << "x50" << 0.0;
    QTest::newRow("inf is a word") << "inf" << 0.0;
    QTest::newRow("nan is a word") << "nan" << 0.0;
    QTest::newRow("hex is not read") << "0x10" << 0.0;
    QTest::newRow("beyond a double") << "1e400" << std::numeric_limits<double>::infinity();
    QTest::newRow("below a double") << "-1e400" << -std::numeric_limits<double>::infinity();
    QTest::newRow("too small for a double") << "1e-400" << 0.0;
}

void TextNumberTest::textToNumber() {
    QFETCH(QString, text);
    QFETCH(double, number);
    QCOMPARE(capture::textToNumber(text), number);
}

void TextNumberTest::wholeNumbers_data() {
    constexpr double inf = std::numeric_limits<double>::infinity();
    constexpr int32_t max = std::numeric_limits<int32_t>::max();
    constexpr int32_t min = std::numeric_limits<int32_t>::min();
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("floored");
    QTest::addColumn<int>("rounded");
    QTest::newRow("whole") << 9600.0 << 9600 << 9600;
    QTest::newRow("below half") << 80.4 << 80 << 80;
    QTest::newRow("half") << 2.5 << 2 << 3;
    QTest::newRow("above half") << 2400.9 << 2400 << 2401;
    QTest::newRow("negative half") << -2.5 << -3 << -3;
    QTest::newRow("too large") << 1e11 << max << max;
    QTest::newRow("too small") << -1e11 << min << min;
    QTest::newRow("infinite") << inf << max << max;
    QTest::newRow("minus infinite") << -inf << min << min;
    QTest::newRow("not a number") << std::nan("") << 0 << 0;
    QTest::newRow("huge text") << capture::textToNumber("1e400") << max << max;
    QTest::newRow("tiny text") << capture::textToNumber("-1e-400") << 0 << 0;
}

void TextNumberTest::wholeNumbers() {
    QFETCH(double, value);
    QFETCH(int, floored);
    QFETCH(int, rounded);
    QCOMPARE(capture::floorToInt32(value), floored);
    QCOMPARE(capture::roundToInt32(value), rounded);
}

QTEST_MAIN(TextNumberTest)
#include "test_text_number.moc"
