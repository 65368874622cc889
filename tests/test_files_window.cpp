#include "app/FileTypes.h"
#include "app/TimerMode.h"
#include "files/CaptureFile.h"
#include "support/WindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <sys/resource.h>

namespace {

const QByteArray kExampleFile("FALSE TRUE 200 '- '\r256 65 0\r66 256 2\r257 257 2\r");
const QString kNotCreated = QStringLiteral("The text file could not be created.");
const QString kNotText = QStringLiteral("The selected file is not a text file.");

QByteArray contents(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Everything of the window that a save must not change and a refused load must leave alone.
struct WindowState {
    std::vector<int32_t> rxd, txd, masks;
    int32_t bufIndex = 0;
    int32_t oldBufIndex = 0;
    QByteArray tgc;
    bool hSpeedForSave = false, timeGapForSave = false;
    QString gapTimeForSave, gapCharsForSave;
    bool hSpeedBox = false, timeGapsBox = false;
    QString gapTimeText, gapCharText;
    QColor gapTimeColour;
    TimerMode timer1 = TimerMode::Off, display = TimerMode::Off, gapTimer = TimerMode::Off;
    QString acquireCaption;

    bool operator==(const WindowState&) const = default;
};

WindowState snapshot(const WindowFixture& f) {
    const capture::CaptureState& c = f.window->capture();
    WindowState s;
    s.rxd = c.rxdBuf;
    s.txd = c.txdBuf;
    s.masks = c.pBuf;
    s.bufIndex = c.BufIndex;
    s.oldBufIndex = c.OldBufIndex;
    s.tgc = c.TGC;
    s.hSpeedForSave = c.HSpeedForSave;
    s.timeGapForSave = c.TimeGapForSave;
    s.gapTimeForSave = c.GapTimeForSave;
    s.gapCharsForSave = c.GapCharsForSave;
    s.hSpeedBox = f.find<QCheckBox>("HSpeedCB")->isChecked();
    s.timeGapsBox = f.find<QCheckBox>("ShowTimeGapsCB")->isChecked();
    s.gapTimeText = f.find<QLineEdit>("GapTimeEF")->text();
    s.gapCharText = f.find<QLineEdit>("TimeGapCharEF")->text();
    s.gapTimeColour = f.find<QLineEdit>("GapTimeEF")->palette().color(QPalette::Text);
    s.timer1 = timerMode(*f.find<QTimer>("Timer1"));
    s.display = timerMode(*f.find<QTimer>("DisplayTimer"));
    s.gapTimer = timerMode(*f.find<QTimer>("TimeGapTimer"));
    s.acquireCaption = f.find<QPushButton>("AcquirePB")->text();
    return s;
}

// Puts slots and saved settings straight into the window's capture.
void setCapture(WindowFixture& f, const std::vector<files::Slot>& slotList,
                const files::Settings& settings) {
    capture::CaptureState& c = f.window->capture();
    files::storeSlots(c, slotList);
    c.HSpeedForSave = settings.highSpeed;
    c.TimeGapForSave = settings.timeGaps;
    c.GapTimeForSave = settings.gapTime;
    c.GapCharsForSave = settings.gapChars;
}

// Loads a file through the Load button.
void load(WindowFixture& f, const QString& path) {
    f.dialogs.openReplies.push_back(path);
    f.click("LoadPB");
}

// Saves through the Save button.
void save(WindowFixture& f, const QString& path) {
    f.dialogs.saveReplies.push_back(path);
    f.click("SavePB");
}

// Raises the file-size limit of the process again when it goes out of scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_active = false;
};

} // namespace

class FilesWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Saving

    void savesTheSavedSettingsNotTheControls() {
        WindowFixture f;
        QTemporaryDir dir;
        // The controls hold their start values and more; the capture's saved settings are
        // still those of a window that has neither acquired nor loaded.
        f.find<QCheckBox>("HSpeedCB")->setChecked(true);
        f.find<QLineEdit>("GapTimeEF")->setText(QStringLiteral("999"));
        const WindowState before = snapshot(f);
        save(f, dir.filePath("fresh"));
        QCOMPARE(contents(dir.filePath("fresh")), QByteArray("FALSE FALSE  ''\r"));
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(snapshot(f) == before);
    }

    void savesTheCaptureTheSameEachTime() {
        WindowFixture f;
        QTemporaryDir dir;
        setCapture(f, {{256, 65, 0}, {66, 256, 2}, {257, 257, 2}},
                   {false, true, QStringLiteral("200"), QStringLiteral("- ")});
        const WindowState before = snapshot(f);
        save(f, dir.filePath("one"));
        save(f, dir.filePath("two"));
        QCOMPARE(contents(dir.filePath("one")), kExampleFile);
        QCOMPARE(contents(dir.filePath("two")), kExampleFile);
        // The chosen name is used as it is: no extension is added.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"one", "two"}));
        QVERIFY(snapshot(f) == before);
        QCOMPARE(f.dialogs.saveAsked, 2);
    }

    void replacesAnExistingFile() {
        WindowFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("capture.txt");
        QVERIFY(writeFile(path, QByteArray(500, 'x')));
        setCapture(f, {{256, 65, 0}, {66, 256, 2}, {257, 257, 2}},
                   {false, true, QStringLiteral("200"), QStringLiteral("- ")});
        save(f, path);
        QCOMPARE(contents(path), kExampleFile);
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void cancelledSaveDoesNothing() {
        WindowFixture f;
        setCapture(f, {{1, 2, 3}}, {});
        const WindowState before = snapshot(f);
        f.click("SavePB"); // no reply queued: the user cancels
        QCOMPARE(f.dialogs.saveAsked, 1);
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(snapshot(f) == before);
    }

    void savesDuringAnAcquisitionWithoutStoppingIt() {
        WindowFixture f;
        QTemporaryDir dir;
        f.click("AcquirePB");
        f.port1()->queue("AB");
        f.port2()->queue("c");
        f.window->Timer1_Action();
        QCOMPARE(f.window->capture().BufIndex, 2);
        const WindowState before = snapshot(f);
        QCOMPARE(before.acquireCaption, QStringLiteral("Stop"));
        QCOMPARE(before.timer1, TimerMode::Repeating);
        QCOMPARE(before.display, TimerMode::Repeating);
        save(f, dir.filePath("live"));
        QVERIFY(snapshot(f) == before);
        // The saved settings are the controls' at the start: "200" and "- ".
        QCOMPARE(contents(dir.filePath("live")),
                 QByteArray("FALSE FALSE 200 '- '\r99 65 0\r256 66 0\r"));
        f.port1()->queue("C");
        f.window->Timer1_Action();
        QCOMPARE(f.window->capture().BufIndex, 3);
    }

    void savesLineEndsInTheFieldsAsSpaces() {
        // A pasted text can hold line ends; in the file they would start lines of their own.
        WindowFixture f;
        QTemporaryDir dir;
        f.find<QLineEdit>("GapTimeEF")->setText(QStringLiteral("300\n"));
        f.find<QLineEdit>("TimeGapCharEF")->setText(QStringLiteral("-\r1 2 3 "));
        f.click("AcquirePB");
        f.port1()->queue("AB");
        f.window->Timer1_Action();
        f.click("AcquirePB");
        save(f, dir.filePath("pasted"));
        QCOMPARE(contents(dir.filePath("pasted")),
                 QByteArray("FALSE FALSE 300  '- 1 2 3 '\r256 65 0\r256 66 0\r"));
        load(f, dir.filePath("pasted"));
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.window->capture().BufIndex, 2);
        QCOMPARE(f.find<QLineEdit>("GapTimeEF")->text(), QStringLiteral("300"));
        QCOMPARE(f.find<QLineEdit>("TimeGapCharEF")->text(), QStringLiteral("- 1 2 3 "));
    }

    void reportsALocationThatCannotBeWritten_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("folder does not exist") << QStringLiteral("missing/capture");
        QTest::newRow("parent is a regular file") << QStringLiteral("plain/capture");
        QTest::newRow("the name of a folder") << QStringLiteral("folder");
        QTest::newRow("empty name") << QString();
    }
    void reportsALocationThatCannotBeWritten() {
        QFETCH(QString, name);
        WindowFixture f;
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("plain"), "old"));
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        setCapture(f, {{1, 2, 3}}, {});
        const WindowState before = snapshot(f);
        save(f, name.isEmpty() ? name : dir.filePath(name));
        QCOMPARE(f.dialogs.messages, QStringList{kNotCreated});
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 (QStringList{"folder", "plain"}));
        QCOMPARE(contents(dir.filePath("plain")), QByteArray("old"));
        QVERIFY(QDir(dir.filePath("folder")).isEmpty());
        QVERIFY(snapshot(f) == before);
    }

    void failedWriteKeepsTheOldFile_data() {
        QTest::addColumn<int>("slotCount");
        QTest::newRow("small enough to be buffered") << 200;
        QTest::newRow("written past the buffer") << 20000;
    }
    void failedWriteKeepsTheOldFile() {
        QFETCH(int, slotCount);
        WindowFixture f;
        QTemporaryDir dir;
        const QString path = dir.filePath("capture");
        QVERIFY(writeFile(path, "the old capture\r"));
        std::vector<files::Slot> slotList(slotCount, files::Slot{256, 65, 0});
        setCapture(f, slotList, {});
        const WindowState before = snapshot(f);
        {
            // The file system refuses every byte past the first 64 of a file.
            FileSizeLimit limit(64);
            QVERIFY(limit.active());
            save(f, path);
        }
        QCOMPARE(contents(path), QByteArray("the old capture\r"));
        QCOMPARE(f.dialogs.messages, QStringList{kNotCreated});
        // No half-written temporary file is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"capture"});
        QVERIFY(snapshot(f) == before);
        // With room again the same save succeeds.
        save(f, path);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(contents(path).size(), qsizetype(16 + slotCount * 9));
    }

    // Loading

    void loadOffersTextFilesAndAllFiles() {
        WindowFixture f;
        f.click("LoadPB");
        QCOMPARE(f.dialogs.openAsked, 1);
        QCOMPARE(f.dialogs.lastOpenFilters,
                 (QStringList{FileTypes::pTextPlain().dialogFilter(), "All files (*)"}));
        QVERIFY(f.dialogs.lastOpenFilters.first().startsWith("text/plain (*.asc "));
    }

    void cancelledLoadDoesNothing() {
        WindowFixture f;
        setCapture(f, {{1, 2, 3}}, {true, true, "7", "x"});
        const WindowState before = snapshot(f);
        f.click("LoadPB");
        QCOMPARE(f.dialogs.openAsked, 1);
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(snapshot(f) == before);
    }

    void loadsTheExample() {
        WindowFixture f;
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("example"), kExampleFile));
        f.find<QCheckBox>("HSpeedCB")->setChecked(true);
        f.find<QLineEdit>("TimeGapCharEF")->setText("*");
        f.window->capture().TGC = "~";
        f.window->capture().OldBufIndex = 17;
        load(f, dir.filePath("example"));
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(!f.find<QCheckBox>("HSpeedCB")->isChecked());
        QVERIFY(f.find<QCheckBox>("ShowTimeGapsCB")->isChecked());
        QCOMPARE(f.find<QLineEdit>("GapTimeEF")->text(), QStringLiteral("200"));
        QCOMPARE(f.find<QLineEdit>("TimeGapCharEF")->text(), QStringLiteral("- "));
        const capture::CaptureState& c = f.window->capture();
        QCOMPARE(c.BufIndex, 3);
        QCOMPARE((std::vector<int32_t>(c.txdBuf.begin() + 1, c.txdBuf.begin() + 4)),
                 (std::vector<int32_t>{256, 66, 257}));
        QCOMPARE((std::vector<int32_t>(c.rxdBuf.begin() + 1, c.rxdBuf.begin() + 4)),
                 (std::vector<int32_t>{65, 256, 257}));
        QCOMPARE((std::vector<int32_t>(c.pBuf.begin() + 1, c.pBuf.begin() + 4)),
                 (std::vector<int32_t>{0, 2, 2}));
        QCOMPARE(c.HSpeedForSave, false);
        QCOMPARE(c.TimeGapForSave, true);
        QCOMPARE(c.GapTimeForSave, QStringLiteral("200"));
        QCOMPARE(c.GapCharsForSave, QStringLiteral("- "));
        // The gap text and the gap bookkeeping are not the file's.
        QCOMPARE(c.TGC, QByteArray("~"));
        QCOMPARE(c.OldBufIndex, 17);
        // One redraw is due.
        QCOMPARE(timerMode(*f.find<QTimer>("DisplayTimer")), TimerMode::Once);
    }

    void loadsTheHeaderOfAFreshWindowsSave() {
        WindowFixture f;
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("fresh"), "FALSE FALSE  ''\r"));
        setCapture(f, {{1, 2, 3}}, {true, true, "7", "x"});
        f.find<QCheckBox>("HSpeedCB")->setChecked(true);
        f.find<QCheckBox>("ShowTimeGapsCB")->setChecked(true);
        load(f, dir.filePath("fresh"));
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(!f.find<QCheckBox>("HSpeedCB")->isChecked());
        QVERIFY(!f.find<QCheckBox>("ShowTimeGapsCB")->isChecked());
        QCOMPARE(f.find<QLineEdit>("GapTimeEF")->text(), QString());
        QCOMPARE(f.find<QLineEdit>("TimeGapCharEF")->text(), QString());
        QCOMPARE(f.window->capture().BufIndex, 0);
        QCOMPARE(f.window->capture().GapTimeForSave, QString());
        QCOMPARE(f.window->capture().HSpeedForSave, false);
    }

    void loadedGapTimeRunsTheColourWarning_data() {
        QTest::addColumn<QByteArray>("gapTime");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("below 50 ms") << QByteArray("20") << QColor(0xFF, 0x00, 0x00);
        QTest::newRow("50 ms") << QByteArray("50") << QColor(0x00, 0x00, 0x00);
        QTest::newRow("empty") << QByteArray() << QColor(0xFF, 0x00, 0x00);
    }
    void loadedGapTimeRunsTheColourWarning() {
        QFETCH(QByteArray, gapTime);
        QFETCH(QColor, colour);
        WindowFixture f;
        QTemporaryDir dir;
        // Start from the other colour, so that only the load can have set this one.
        const bool red = colour == QColor(0xFF, 0x00, 0x00);
        f.find<QLineEdit>("GapTimeEF")->setText(red ? QStringLiteral("500") : QStringLiteral("1"));
        QVERIFY(f.find<QLineEdit>("GapTimeEF")->palette().color(QPalette::Text) != colour);
        QVERIFY(writeFile(dir.filePath("f"), "TRUE TRUE " + gapTime + " '-'\r"));
        load(f, dir.filePath("f"));
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.find<QLineEdit>("GapTimeEF")->palette().color(QPalette::Text), colour);
    }

    void loadsAShortCaptureAfterALongOne() {
        WindowFixture f;
        QTemporaryDir dir;
        QVERIFY(
            writeFile(dir.filePath("long"), "FALSE FALSE 1 ''\r1 2 3\r4 5 6\r7 8 9\r10 11 12\r"));
        QVERIFY(writeFile(dir.filePath("short"), "FALSE FALSE 1 ''\r256 65 0\r"));
        load(f, dir.filePath("long"));
        load(f, dir.filePath("short"));
        QVERIFY(f.dialogs.messages.isEmpty());
        const capture::CaptureState& c = f.window->capture();
        QCOMPARE(c.BufIndex, 1);
        QCOMPARE(c.txdBuf[1], 256);
        QCOMPARE(c.rxdBuf[1], 65);
        // The long capture's entries above the new count are still there, and are not saved.
        QCOMPARE(c.txdBuf[4], 10);
        QCOMPARE(c.rxdBuf[4], 11);
        QCOMPARE(c.pBuf[4], 12);
        save(f, dir.filePath("again"));
        QCOMPARE(contents(dir.filePath("again")), QByteArray("FALSE FALSE 1 ''\r256 65 0\r"));
    }

    void loadsDuringAnAcquisitionWithoutStoppingIt() {
        WindowFixture f;
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("example"), kExampleFile));
        f.click("AcquirePB");
        f.port1()->queue("xyz");
        f.window->Timer1_Action();
        QCOMPARE(timerMode(*f.find<QTimer>("DisplayTimer")), TimerMode::Repeating);
        load(f, dir.filePath("example"));
        QCOMPARE(f.find<QPushButton>("AcquirePB")->text(), QStringLiteral("Stop"));
        QCOMPARE(timerMode(*f.find<QTimer>("Timer1")), TimerMode::Repeating);
        // The live display ends with the one redraw the load asks for.
        QCOMPARE(timerMode(*f.find<QTimer>("DisplayTimer")), TimerMode::Once);
        QCOMPARE(f.window->capture().BufIndex, 3);
        // The acquisition goes on after the loaded slots.
        f.port1()->queue("A");
        f.window->Timer1_Action();
        QCOMPARE(f.window->capture().BufIndex, 4);
        QCOMPARE(f.window->capture().rxdBuf[4], 65);
    }

    void roundTripsThroughSaveAndLoad() {
        WindowFixture f;
        QTemporaryDir dir;
        std::vector<files::Slot> slotList;
        for (int i = 0; i < 1000; ++i)
            slotList.push_back({i % 258, (i * 7) % 258, (i * 5) % 64});
        const files::Settings settings{true, false, QStringLiteral("12\u00B5"),
                                       QStringLiteral("\u00E9\u2014 ")};
        setCapture(f, slotList, settings);
        const capture::CaptureState saved = f.window->capture();
        save(f, dir.filePath("round"));
        // Replace everything with another capture, then load the saved one back.
        QVERIFY(writeFile(dir.filePath("other"), "FALSE TRUE 5 'q'\r1 1 1\r"));
        load(f, dir.filePath("other"));
        load(f, dir.filePath("round"));
        QVERIFY(f.dialogs.messages.isEmpty());
        const capture::CaptureState& c = f.window->capture();
        QCOMPARE(c.BufIndex, 1000);
        QVERIFY(
            std::equal(c.rxdBuf.begin() + 1, c.rxdBuf.begin() + 1001, saved.rxdBuf.begin() + 1));
        QVERIFY(
            std::equal(c.txdBuf.begin() + 1, c.txdBuf.begin() + 1001, saved.txdBuf.begin() + 1));
        QVERIFY(std::equal(c.pBuf.begin() + 1, c.pBuf.begin() + 1001, saved.pBuf.begin() + 1));
        QCOMPARE(files::savedSettings(c), settings);
        QVERIFY(f.find<QCheckBox>("HSpeedCB")->isChecked());
        QVERIFY(!f.find<QCheckBox>("ShowTimeGapsCB")->isChecked());
        QCOMPARE(f.find<QLineEdit>("GapTimeEF")->text(), settings.gapTime);
        QCOMPARE(f.find<QLineEdit>("TimeGapCharEF")->text(), settings.gapChars);
    }

    void drawsValuesOutsideTheUsualRange() {
        WindowFixture f;
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("odd"), "FALSE FALSE 200 '-'\r300 -1 99999\r"
                                               "2147483647 -2147483648 -64\r"));
        load(f, dir.filePath("odd"));
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(f.window->capture().BufIndex, 2);
        f.click("ASCIIRB");
        f.window->DisplayTimer_Action();
        QCOMPARE(f.window->capture().rxdStr.size(), 2);
        f.click("HexRB");
        f.window->DisplayTimer_Action();
        QCOMPARE(f.window->capture().txdStr, QStringLiteral("2C FF "));
    }

    void refusesAndChangesNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray header("TRUE TRUE 20 'z'\r");
        QTest::newRow("empty file") << QByteArray()
                                    << "The file was not loaded. It is empty: a capture file "
                                       "starts with a header line.";
        QTest::newRow("header of two fields")
            << QByteArray("TRUE TRUE\r1 2 3\r")
            << "The file was not loaded. Line 1: the header line needs at least three fields "
               "separated by spaces.";
        QTest::newRow("header without a quote")
            << QByteArray("TRUE TRUE 20 z\r")
            << "The file was not loaded. Line 1: the header line has no \"'\" before the gap "
               "characters.";
        QTest::newRow("slot line of two fields")
            << header + "1 2 3\r4 5\r"
            << "The file was not loaded. Line 3: a slot line needs three numbers separated by "
               "spaces.";
        QTest::newRow("not a number")
            << header + "1 2 3\r4 5 6\r7 8 nine\r"
            << "The file was not loaded. Line 4: field 3 (\"nine\") is not a whole decimal "
               "number within 32 bits.";
        QTest::newRow("above 32 bits")
            << header + "4294967296 2 3\r"
            << "The file was not loaded. Line 2: field 1 (\"4294967296\") is not a whole "
               "decimal number within 32 bits.";
        QByteArray tooMany = header;
        for (int i = 0; i <= capture::kLastIndex; ++i)
            tooMany += "256 65 1\r";
        QTest::newRow("more slots than the arrays hold")
            << tooMany
            << "The file was not loaded. Line 100002: the file holds more than 100000 slots, "
               "more than a capture can.";
        QTest::newRow("NUL bytes") << QByteArray("TRUE TRUE 20 'z\0'\r", 18) << kNotText;
        QTest::newRow("invalid UTF-8") << QByteArray("TRUE TRUE 20 '\xFE'\r") << kNotText;
        QTest::newRow("an image") << QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16) << kNotText;
    }
    void refusesAndChangesNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        WindowFixture f;
        QTemporaryDir dir;
        // A loaded capture with settings unlike those of the bad file.
        QVERIFY(writeFile(dir.filePath("good"), "FALSE FALSE 300 '#'\r9 8 7\r6 5 4\r"));
        load(f, dir.filePath("good"));
        QVERIFY(f.dialogs.messages.isEmpty());
        const WindowState before = snapshot(f);
        QVERIFY(writeFile(dir.filePath("bad"), bytes));
        load(f, dir.filePath("bad"));
        QCOMPARE(f.dialogs.messages, QStringList{message});
        QVERIFY(snapshot(f) == before);
    }

    void refusesWhatCannotBeOpened_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << QStringLiteral("missing");
        QTest::newRow("a folder") << QStringLiteral("folder");
        QTest::newRow("a device") << QStringLiteral("/dev/null");
    }
    void refusesWhatCannotBeOpened() {
        QFETCH(QString, name);
        WindowFixture f;
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        setCapture(f, {{1, 2, 3}}, {true, false, "80", "+"});
        const WindowState before = snapshot(f);
        load(f, name.startsWith(u'/') ? name : dir.filePath(name));
        QCOMPARE(f.dialogs.messages, QStringList{kNotText});
        QVERIFY(snapshot(f) == before);
    }
};

QTEST_MAIN(FilesWindowTest)
#include "test_files_window.moc"
