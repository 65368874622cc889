#include "files/CaptureFile.h"
#include "files/CaptureFileIO.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

using files::CaptureFileContent;
using files::ReadError;
using files::Settings;
using files::Slot;

Q_DECLARE_METATYPE(files::Settings)
Q_DECLARE_METATYPE(files::Slot)
Q_DECLARE_METATYPE(std::vector<files::Slot>)
Q_DECLARE_METATYPE(files::ReadError::Kind)

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// A capture state holding these slots at 1..n and these saved settings.
capture::CaptureState stateWith(const Settings& settings, const std::vector<Slot>& slotList) {
    capture::CaptureState state;
    state.HSpeedForSave = settings.highSpeed;
    state.TimeGapForSave = settings.timeGaps;
    state.GapTimeForSave = settings.gapTime;
    state.GapCharsForSave = settings.gapChars;
    for (const Slot& slot : slotList)
        state.appendSlot(slot.rxd, slot.txd, slot.mask);
    return state;
}

const Settings kExampleSettings{false, true, QStringLiteral("200"), QStringLiteral("- ")};
const std::vector<Slot> kExampleSlots{{256, 65, 0}, {66, 256, 2}, {257, 257, 2}};
const QByteArray kExampleFile("FALSE TRUE 200 '- '\r256 65 0\r66 256 2\r257 257 2\r");

// The content of an accepted file; fails the test when the file was refused.
CaptureFileContent accepted(const QByteArray& bytes) {
    files::ReadResult result = files::readCaptureFile(bytes);
    if (const auto* error = std::get_if<ReadError>(&result)) {
        QTest::qFail(qPrintable(QStringLiteral("refused: ") + error->message), __FILE__, __LINE__);
        return {};
    }
    return std::get<CaptureFileContent>(std::move(result));
}

QByteArray manySlotLines(int count, const char* line) {
    QByteArray bytes("FALSE FALSE  ''\r");
    for (int i = 0; i < count; ++i)
        bytes.append(line);
    return bytes;
}

QString asWritten(QString text) {
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

QString randomText(QRandomGenerator& random, const QStringList& pool) {
    QString text;
    const int length = int(random.bounded(6));
    for (int i = 0; i < length; ++i)
        text += pool[int(random.bounded(qsizetype(pool.size())))];
    return text;
}

} // namespace

class CaptureFileTest : public QObject {
    Q_OBJECT
private slots:
    void writesTheExampleByteForByte() {
        const QByteArray bytes =
            files::writeCaptureFile(stateWith(kExampleSettings, kExampleSlots));
        QCOMPARE(bytes, kExampleFile);
        QCOMPARE(bytes.size(), 48);
    }

    void writesSavedSettingsOfAFreshCapture() {
        // Before any acquisition both flags are false and both texts empty.
        const capture::CaptureState fresh;
        QCOMPARE(files::writeCaptureFile(fresh), QByteArray("FALSE FALSE  ''\r"));
    }

    void writesSlotLines_data() {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<std::vector<Slot>>("slotList");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("empty capture: the header alone")
            << Settings{true, true, QStringLiteral("50"), QStringLiteral("x")}
            << std::vector<Slot>{} << QByteArray("TRUE TRUE 50 'x'\r");
        QTest::newRow("no byte and gap markers as numbers")
            << Settings{} << std::vector<Slot>{{256, 256, 63}, {257, 0, 1}}
            << QByteArray("FALSE FALSE  ''\r256 256 63\r257 0 1\r");
        QTest::newRow("shortest decimal of any 32-bit value")
            << Settings{} << std::vector<Slot>{{kMin, kMax, -1}, {0, 10, 100}}
            << QByteArray("FALSE FALSE  ''\r-2147483648 2147483647 -1\r0 10 100\r");
        QTest::newRow("free texts unchanged, spaces and quotes included")
            << Settings{false, false, QStringLiteral(" 2 0 "), QStringLiteral("a'b ")}
            << std::vector<Slot>{} << QByteArray("FALSE FALSE  2 0  'a'b '\r");
        QTest::newRow("line ends and NUL in free texts become spaces")
            << Settings{false, false, QStringLiteral("1\n2"),
                        QStringLiteral("a\r1 2 3 ") + QChar(0) + QStringLiteral("\r\n")}
            << std::vector<Slot>{{4, 5, 6}} << QByteArray("FALSE FALSE 1 2 'a 1 2 3    '\r4 5 6\r");
        QTest::newRow("free texts as UTF-8")
            << Settings{false, true, QStringLiteral("µs"), QStringLiteral("\u2192\U0001F600")}
            << std::vector<Slot>{}
            << QByteArray("FALSE TRUE \xC2\xB5s '\xE2\x86\x92\xF0\x9F\x98\x80'\r");
    }
    void writesSlotLines() {
        QFETCH(Settings, settings);
        QFETCH(std::vector<Slot>, slotList);
        QFETCH(QByteArray, expected);
        QCOMPARE(files::writeCaptureFile(stateWith(settings, slotList)), expected);
    }

    void writesOnlySlotsOneToBufIndex() {
        capture::CaptureState state = stateWith({}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
        state.BufIndex = 2;
        state.rxdBuf[0] = state.txdBuf[0] = state.pBuf[0] = 99;
        QCOMPARE(files::writeCaptureFile(state), QByteArray("FALSE FALSE  ''\r1 2 3\r4 5 6\r"));
    }

    void writesAFullCaptureInSlotOrder() {
        capture::CaptureState state;
        while (state.appendSlot(state.BufIndex % 256, 256, state.BufIndex % 64)) {
        }
        QCOMPARE(state.BufIndex, capture::kLastIndex);
        const QByteArray bytes = files::writeCaptureFile(state);
        const QList<QByteArray> lines = bytes.split('\r');
        QCOMPARE(lines.size(), capture::kLastIndex + 2); // header, slots, the empty rest
        QCOMPARE(lines[1], QByteArray("256 0 0"));
        QCOMPARE(lines[256], QByteArray("256 255 63"));
        QCOMPARE(lines[100000], QByteArray("256 159 31")); // 99999 % 256, 99999 % 64
        QVERIFY(lines.last().isEmpty());
        QVERIFY(!bytes.contains('\n'));
    }

    void readsTheExample() {
        const CaptureFileContent content = accepted(kExampleFile);
        QCOMPARE(content.settings, kExampleSettings);
        QCOMPARE(content.slotData, kExampleSlots);
    }

    void readsHeader_data() {
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<Settings>("expected");
        QTest::newRow("written before any acquisition")
            << QByteArray("FALSE FALSE  ''") << Settings{};
        QTest::newRow("both flags")
            << QByteArray("TRUE TRUE 200 '- '") << Settings{true, true, "200", "- "};
        QTest::newRow("flags compared with letter case")
            << QByteArray("true True 1 'x'") << Settings{false, false, "1", "x"};
        QTest::newRow("any other word clears")
            << QByteArray("YES  5 '") << Settings{false, false, "5", ""};
        QTest::newRow("fields after the third are ignored")
            << QByteArray("TRUE FALSE 200 extra 'ab'") << Settings{true, false, "200", "ab"};
        QTest::newRow("a gap time with a space comes back cut")
            << QByteArray("FALSE FALSE 2 00 'x'") << Settings{false, false, "2", "x"};
        QTest::newRow("gap characters holding a quote come back cut")
            << QByteArray("FALSE FALSE 200 'a'b'") << Settings{false, false, "200", "a"};
        QTest::newRow("a gap time holding a quote takes the gap characters with it")
            << QByteArray("FALSE FALSE 1'5 'x'") << Settings{false, false, "1'5", "5 "};
        QTest::newRow("no closing quote: gap characters to the end of the line")
            << QByteArray("FALSE FALSE 200 '- ") << Settings{false, false, "200", "- "};
        QTest::newRow("UTF-8 texts")
            << QByteArray("FALSE TRUE \xC2\xB5s '\xE2\x86\x92\xF0\x9F\x98\x80'")
            << Settings{false, true, QStringLiteral("µs"), QStringLiteral("\u2192\U0001F600")};
        QTest::newRow("a byte-order mark before the header")
            << QByteArray("\xEF\xBB\xBFTRUE FALSE 9 'q'") << Settings{true, false, "9", "q"};
    }
    void readsHeader() {
        QFETCH(QByteArray, header);
        QFETCH(Settings, expected);
        const CaptureFileContent content = accepted(header + "\r");
        QCOMPARE(content.settings, expected);
        QVERIFY(content.slotData.empty());
    }

    void readsLineEnds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR") << QByteArray("FALSE TRUE 200 '- '\r256 65 0\r66 256 2\r257 257 2\r");
        QTest::newRow("LF") << QByteArray("FALSE TRUE 200 '- '\n256 65 0\n66 256 2\n257 257 2\n");
        QTest::newRow("CR LF") << QByteArray(
            "FALSE TRUE 200 '- '\r\n256 65 0\r\n66 256 2\r\n257 257 2\r\n");
        QTest::newRow("mixed") << QByteArray(
            "FALSE TRUE 200 '- '\n256 65 0\r\n66 256 2\r257 257 2");
        QTest::newRow("no final line end")
            << QByteArray("FALSE TRUE 200 '- '\r256 65 0\r66 256 2\r257 257 2");
        QTest::newRow("empty lines at the end")
            << QByteArray("FALSE TRUE 200 '- '\r256 65 0\r66 256 2\r257 257 2\r\r\n\n\r");
    }
    void readsLineEnds() {
        QFETCH(QByteArray, bytes);
        const CaptureFileContent content = accepted(bytes);
        QCOMPARE(content.settings, kExampleSettings);
        QCOMPARE(content.slotData, kExampleSlots);
    }

    void readsSlotFields_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<Slot>("expected");
        QTest::newRow("ends of the 32-bit range")
            << QByteArray("-2147483648 2147483647 0") << Slot{kMin, kMax, 0};
        QTest::newRow("leading zeros and minus zero") << QByteArray("007 -0 00") << Slot{7, 0, 0};
        QTest::newRow("fields after the third are ignored")
            << QByteArray("1 2 3 4 five, anything") << Slot{1, 2, 3};
        QTest::newRow("a space after the third field") << QByteArray("1 2 3 ") << Slot{1, 2, 3};
    }
    void readsSlotFields() {
        QFETCH(QByteArray, line);
        QFETCH(Slot, expected);
        const CaptureFileContent content = accepted("FALSE FALSE  ''\r" + line + "\r");
        QCOMPARE(content.slotData, std::vector<Slot>{expected});
    }

    void refusesMalformedFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ReadError::Kind>("kind");
        QTest::addColumn<int>("line");
        const auto shape = ReadError::Kind::Shape;
        const auto notText = ReadError::Kind::NotText;
        const QByteArray header("FALSE FALSE  ''\r");
        QTest::newRow("empty file") << QByteArray() << shape << 0;
        QTest::newRow("only a byte-order mark") << QByteArray("\xEF\xBB\xBF") << shape << 0;
        QTest::newRow("empty header line") << QByteArray("\r1 2 3\r") << shape << 1;
        QTest::newRow("header of two fields") << QByteArray("FALSE FALSE'x'\r") << shape << 1;
        QTest::newRow("header without a quote") << QByteArray("FALSE FALSE 200 x\r") << shape << 1;
        QTest::newRow("slot line of two fields") << header + "1 2\r" << shape << 2;
        QTest::newRow("slot line of one field") << header + "1 2 3\r456\r" << shape << 3;
        QTest::newRow("empty line before a slot line") << header + "\r1 2 3\r" << shape << 2;
        QTest::newRow("empty field") << header + "1  2 3\r" << shape << 2;
        QTest::newRow("leading space") << header + " 1 2 3\r" << shape << 2;
        QTest::newRow("tabs are not separators") << header + "1\t2\t3\r" << shape << 2;
        QTest::newRow("letters") << header + "1 2 x\r" << shape << 2;
        QTest::newRow("fraction") << header + "1.5 2 3\r" << shape << 2;
        QTest::newRow("exponent") << header + "1 2e1 3\r" << shape << 2;
        QTest::newRow("plus sign") << header + "+1 2 3\r" << shape << 2;
        QTest::newRow("lone minus") << header + "- 2 3\r" << shape << 2;
        QTest::newRow("hexadecimal") << header + "0x41 2 3\r" << shape << 2;
        QTest::newRow("above 32 bits") << header + "1 2147483648 3\r" << shape << 2;
        QTest::newRow("below 32 bits") << header + "1 2 -2147483649\r" << shape << 2;
        QTest::newRow("far above 32 bits")
            << header + "1 2 99999999999999999999999999\r" << shape << 2;
        QTest::newRow("NUL in the header") << QByteArray("FALSE FALSE \0 ''\r", 17) << notText << 0;
        QTest::newRow("NUL in a slot line") << header + QByteArray("1 2 3\0\r", 7) << notText << 0;
        QTest::newRow("invalid UTF-8 in the header")
            << QByteArray("FALSE FALSE 200 '\xFF'\r") << notText << 0;
        QTest::newRow("overlong UTF-8")
            << QByteArray("FALSE FALSE 200 '\xC0\xAF'\r") << notText << 0;
        QTest::newRow("UTF-8 surrogate")
            << QByteArray("FALSE FALSE 200 '\xED\xA0\x80'\r") << notText << 0;
        QTest::newRow("truncated UTF-8 at the end")
            << QByteArray("FALSE FALSE 200 '\xE2\x86") << notText << 0;
        QTest::newRow("binary in a slot line") << header + "1 2 \x80\r" << notText << 0;
        QTest::newRow("one slot line too many") << manySlotLines(capture::kLastIndex + 1, "1 2 3\r")
                                                << shape << capture::kLastIndex + 2;
    }
    void refusesMalformedFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(ReadError::Kind, kind);
        QFETCH(int, line);
        const files::ReadResult result = files::readCaptureFile(bytes);
        const auto* error = std::get_if<ReadError>(&result);
        QVERIFY(error);
        QCOMPARE(error->kind, kind);
        QCOMPARE(error->line, line);
        if (kind == ReadError::Kind::NotText) {
            QCOMPARE(error->message, QStringLiteral("The selected file is not a text file."));
        } else {
            QVERIFY(error->message.startsWith(QStringLiteral("The file was not loaded. ")));
            if (line > 0)
                QVERIFY2(error->message.contains(QStringLiteral("Line %1: ").arg(line)),
                         qPrintable(error->message));
        }
    }

    void namesTheFaultyField() {
        const files::ReadResult result =
            files::readCaptureFile("FALSE FALSE  ''\r1 2 3\r4 abc 6\r");
        const auto* error = std::get_if<ReadError>(&result);
        QVERIFY(error);
        QCOMPARE(error->message,
                 QStringLiteral("The file was not loaded. Line 3: field 2 (\"abc\") "
                                "is not a whole decimal number within 32 bits."));
    }

    void shortensALongFaultyField() {
        const QByteArray field =
            "1234567890123456789" + QStringLiteral("\U0001F600").toUtf8() + "xyz";
        const files::ReadResult result = files::readCaptureFile("FALSE FALSE  ''\r1 2 " + field);
        const auto* error = std::get_if<ReadError>(&result);
        QVERIFY(error);
        QVERIFY2(error->message.contains(QStringLiteral("(\"1234567890123456789\u2026\")")),
                 qPrintable(error->message));
    }

    void acceptsAsManySlotsAsTheArraysHold() {
        const CaptureFileContent content =
            accepted(manySlotLines(capture::kLastIndex, "257 256 63\r") + "\r\r");
        QCOMPARE(content.slotData.size(), size_t(capture::kLastIndex));
        QCOMPARE(content.slotData.back(), (Slot{257, 256, 63}));
    }

    void roundTripsRandomCaptures() {
        QRandomGenerator random(20261211);
        const QStringList timePool{"0", "5",      "9",      ".",          "-",  "e",  "µ",
                                   " ", "\u00A0", "\u2192", "\U0001F600", "\"", "\t", "\r"};
        const QStringList charPool{"-",  " ",  "'",  "x",    "\u00E9", "\u2014", "\U0001F600",
                                   "\\", "\"", "\t", "\x01", "\n",     "\r\n"};
        for (int round = 0; round < 300; ++round) {
            const Settings settings{random.bounded(2) == 1, random.bounded(2) == 1,
                                    randomText(random, timePool), randomText(random, charPool)};
            std::vector<Slot> slotList(random.bounded(round % 50 == 0 ? 100000 : 300));
            for (Slot& slot : slotList)
                slot = {int32_t(random.bounded(258)), int32_t(random.bounded(258)),
                        int32_t(random.bounded(64))};
            const capture::CaptureState state = stateWith(settings, slotList);
            const CaptureFileContent content = accepted(files::writeCaptureFile(state));
            // What the file can carry: the gap time up to its first space, the gap characters
            // up to their first quote.
            // Line ends in them are written as spaces.
            Settings expected = settings;
            expected.gapTime = asWritten(settings.gapTime).section(u' ', 0, 0);
            expected.gapChars = asWritten(settings.gapChars).section(u'\'', 0, 0);
            QCOMPARE(content.settings, expected);
            QCOMPARE(content.slotData, slotList);
        }
    }

    void storesSlotsLeavingTheRestAlone() {
        capture::CaptureState state = stateWith({}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
        state.txdBuf[0] = 11;
        state.OldBufIndex = 3;
        state.TGC = "~~~";
        state.rxdStr = QStringLiteral("row");
        files::storeSlots(state, {{256, 65, 0}});
        QCOMPARE(state.BufIndex, 1);
        QCOMPARE(state.txdBuf[1], 256);
        QCOMPARE(state.rxdBuf[1], 65);
        QCOMPARE(state.pBuf[1], 0);
        // The longer capture's entries above the new count stay, as does everything else.
        QCOMPARE(state.txdBuf[2], 4);
        QCOMPARE(state.rxdBuf[3], 8);
        QCOMPARE(state.pBuf[3], 9);
        QCOMPARE(state.txdBuf[0], 11);
        QCOMPARE(state.OldBufIndex, 3);
        QCOMPARE(state.TGC, QByteArray("~~~"));
        QCOMPARE(state.rxdStr, QStringLiteral("row"));
    }

    void savesOverALongerFileCompletely() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("capture"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(1000, 'z'));
        old.close();
        QVERIFY(files::saveCaptureFile(path, stateWith(kExampleSettings, kExampleSlots)));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), kExampleFile);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"capture"});
    }

    void loadsOnlyReadableRegularFiles_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << QStringLiteral("no-such-file");
        QTest::newRow("a folder") << QStringLiteral(".");
        QTest::newRow("a device") << QStringLiteral("/dev/zero");
    }
    void loadsOnlyReadableRegularFiles() {
        QFETCH(QString, path);
        QTemporaryDir dir;
        const QString full = path.startsWith(u'/') ? path : dir.filePath(path);
        const files::ReadResult result = files::loadCaptureFile(full);
        const auto* error = std::get_if<ReadError>(&result);
        QVERIFY(error);
        QCOMPARE(error->kind, ReadError::Kind::NotText);
        QCOMPARE(error->message, QStringLiteral("The selected file is not a text file."));
    }

    void refusesAFileTooLargeToBeACapture() {
        QTemporaryDir dir;
        QFile big(dir.filePath(QStringLiteral("big")));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(files::kMaxFileBytes + 1)); // sparse: costs no disk space
        big.close();
        const files::ReadResult result = files::loadCaptureFile(big.fileName());
        const auto* error = std::get_if<ReadError>(&result);
        QVERIFY(error);
        QCOMPARE(error->kind, ReadError::Kind::Shape);
        QVERIFY(error->message.contains(QStringLiteral("too large")));
    }
};

QTEST_GUILESS_MAIN(CaptureFileTest)
#include "test_capture_file.moc"
