// The menu bar, the Edit commands on the focused field, the text file type, and what the window
// does when it opens and closes.
#include "app/FileTypes.h"
#include "app/MenuBar1.h"
#include "display/TraceRow.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>

namespace {

struct Item {
    QString name;
    QString text; // "-" for a separator
    QKeySequence shortcut;
};

QList<Item> itemsOf(const QMenu* menu) {
    QList<Item> items;
    for (QAction* action : menu->actions())
        items.push_back({action->objectName(),
                         action->isSeparator() ? QStringLiteral("-") : action->text(),
                         action->shortcut()});
    return items;
}

QAction* action(const Window1& window, const char* name) {
    return window.menuBar()->findChild<QAction*>(QString::fromLatin1(name));
}

void focus(QWidget* widget) {
    widget->window()->activateWindow();
    QApplication::setActiveWindow(widget->window());
    widget->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), widget);
}

} // namespace

class AppShellTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void menuTree() {
        WindowFixture f;
        auto* bar = qobject_cast<MenuBar1*>(f.window->menuBar());
        QVERIFY(bar);
        QCOMPARE(bar, MenuBar1::shared());
        const QList<QAction*> titles = bar->actions();
        QCOMPARE(titles.size(), 2);
        QCOMPARE(titles[0]->menu()->objectName(), QStringLiteral("FileMenu"));
        QCOMPARE(titles[0]->text(), QStringLiteral("&File"));
        QCOMPARE(titles[1]->menu()->objectName(), QStringLiteral("EditMenu"));
        QCOMPARE(titles[1]->text(), QStringLiteral("&Edit"));

        const QList<Item> file = itemsOf(bar->menuNamed("FileMenu"));
        QCOMPARE(file.size(), 1);
        QCOMPARE(file[0].name, QStringLiteral("FileQuit"));
        QCOMPARE(file[0].text, QStringLiteral("Quit"));
        QCOMPARE(file[0].shortcut, QKeySequence(QStringLiteral("Ctrl+Q")));
        QCOMPARE(action(*f.window, "FileQuit")->menuRole(), QAction::QuitRole);

        const QList<Item> expected{{"EditUndo", "&Undo", QKeySequence("Ctrl+Z")},
                                   {"UntitledMenu1", "-", {}},
                                   {"EditCut", "Cu&t", QKeySequence("Ctrl+X")},
                                   {"EditCopy", "&Copy", QKeySequence("Ctrl+C")},
                                   {"EditPaste", "&Paste", QKeySequence("Ctrl+V")},
                                   {"EditClear", "Clear", {}},
                                   {"UntitledMenu0", "-", {}},
                                   {"EditSelectAll", "Select &All", QKeySequence("Ctrl+A")}};
        const QList<Item> edit = itemsOf(bar->menuNamed("EditMenu"));
        QCOMPARE(edit.size(), expected.size());
        for (int i = 0; i < edit.size(); ++i) {
            QCOMPARE(edit[i].name, expected[i].name);
            QCOMPARE(edit[i].text, expected[i].text);
            QCOMPARE(edit[i].shortcut, expected[i].shortcut);
        }
    }

    void textFileType() {
        const FileType& type = FileTypes::pTextPlain();
        QCOMPARE(type.name, QStringLiteral("text/plain"));
        QCOMPARE(type.extensionList().size(), 17);
        QCOMPARE(type.extensionList().first(), QStringLiteral(".asc"));
        QCOMPARE(type.extensionList().last(), QStringLiteral(".txt"));
        QCOMPARE(type.macType, QStringLiteral("TEXT"));
        QCOMPARE(type.macCreator, QStringLiteral("????"));
        QVERIFY(type.dialogFilter().startsWith(QStringLiteral("text/plain (*.asc *.ascii *.bas")));
        QVERIFY(type.dialogFilter().endsWith(QStringLiteral("*.text *.txt)")));
    }

    void editCommandsActOnTheFocusedField() {
        WindowFixture f;
        auto* field = f.find<QLineEdit>("TimeGapCharEF");
        focus(field);
        QAction* selectAll = action(*f.window, "EditSelectAll");
        QAction* cut = action(*f.window, "EditCut");
        QAction* paste = action(*f.window, "EditPaste");
        QAction* undo = action(*f.window, "EditUndo");
        QAction* clear = action(*f.window, "EditClear");
        QVERIFY(selectAll->isEnabled());
        QVERIFY(!cut->isEnabled()); // nothing selected yet

        selectAll->trigger();
        QCOMPARE(field->selectedText(), QStringLiteral("- "));
        QVERIFY(cut->isEnabled());
        cut->trigger();
        QCOMPARE(field->text(), QString());
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("- "));
        QVERIFY(undo->isEnabled());
        QVERIFY(paste->isEnabled());
        paste->trigger();
        paste->trigger();
        QCOMPARE(field->text(), QStringLiteral("- - "));
        undo->trigger();
        QCOMPARE(field->text(), QStringLiteral("- "));

        // Another field takes the commands with the focus.
        auto* gapTime = f.find<QLineEdit>("GapTimeEF");
        focus(gapTime);
        QVERIFY(!clear->isEnabled());
        selectAll->trigger();
        QVERIFY(clear->isEnabled());
        clear->trigger();
        QCOMPARE(gapTime->text(), QString());
        QCOMPARE(field->text(), QStringLiteral("- "));
    }

    void editCommandsOnTheRateBoxAndOnARow() {
        WindowFixture f;
        auto* baud = f.find<QComboBox>("Baud1");
        focus(baud);
        action(*f.window, "EditSelectAll")->trigger();
        QCOMPARE(baud->lineEdit()->selectedText(), QStringLiteral("110"));

        // A trace row is read-only: only Copy and Select All apply there.
        auto* row = f.find<TraceRow>("rxd");
        row->setText(QStringLiteral("ABC"));
        focus(row);
        QVERIFY(action(*f.window, "EditSelectAll")->isEnabled());
        for (const char* name : {"EditUndo", "EditCut", "EditPaste", "EditClear"})
            QVERIFY2(!action(*f.window, name)->isEnabled(), name);
        QVERIFY(!action(*f.window, "EditCopy")->isEnabled());
        action(*f.window, "EditSelectAll")->trigger();
        QVERIFY(action(*f.window, "EditCopy")->isEnabled());
        action(*f.window, "EditCopy")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ABC"));
    }

    void openingTheWindow() {
        WindowFixture f({QStringLiteral("ttyUSB0"), QStringLiteral("ttyUSB1")});
        QVERIFY(f.find<QRadioButton>("HexRB")->isChecked());
        QCOMPARE(f.find<QScrollBar>("ScrollBar1")->maximum(), 1000);
        // Selecting "Hex" at opening is not a format switch: the gap text stays empty.
        QVERIFY(f.window->capture().TGC.isEmpty());
        for (const char* name : {"SerialPortPopup", "SerialPortPopup2"}) {
            auto* popup = f.find<QComboBox>(name);
            QCOMPARE(popup->count(), 3);
            QCOMPARE(popup->itemText(0), QStringLiteral("none"));
            QCOMPARE(popup->itemText(1), QStringLiteral("ttyUSB0"));
            QCOMPARE(popup->currentIndex(), 0);
        }
        QVERIFY(!f.port1()->isOpen());
        QVERIFY(!f.port2()->isOpen());
        // Showing the window again does not fill the pop-ups twice.
        f.window->hide();
        f.window->show();
        QCOMPARE(f.find<QComboBox>("SerialPortPopup")->count(), 3);
    }

    void closingTheWindowClosesBothPorts() {
        WindowFixture f;
        f.find<QComboBox>("SerialPortPopup")->setCurrentIndex(1);
        QVERIFY(f.port1()->isOpen());
        f.click("AcquirePB");
        const int closes1 = f.port1()->closes;
        const int closes2 = f.port2()->closes;
        QVERIFY(f.window->close());
        QVERIFY(!f.port1()->isOpen());
        QCOMPARE(f.port1()->closes, closes1 + 1);
        QCOMPARE(f.port2()->closes, closes2 + 1); // closed although never opened
        QVERIFY(f.dialogs.messages.isEmpty());    // no question on closing
    }

    void quitClosesTheWindow() {
        WindowFixture f;
        const int closes = f.port2()->closes;
        action(*f.window, "FileQuit")->trigger();
        QVERIFY(!f.window->isVisible());
        QCOMPARE(f.port2()->closes, closes + 1);
    }
};

QTEST_MAIN(AppShellTest)
#include "test_app_shell.moc"
