#include "app/MenuBar1.h"

#include "app/EditCommands.h"

#include <QAction>
#include <QApplication>
#include <QMenu>

QPointer<MenuBar1> MenuBar1::s_instance;

MenuBar1* MenuBar1::shared() {
    if (!s_instance)
        s_instance = new MenuBar1;
    return s_instance;
}

MenuBar1::MenuBar1() : QMenuBar(nullptr) {
    setObjectName(QStringLiteral("MenuBar1"));
    // Without a native global menu bar the bar belongs to the window that holds it.
    setNativeMenuBar(true);
    Untitled0();
    Untitled1();
}

QMenu* MenuBar1::menuNamed(const QString& name) const {
    return findChild<QMenu*>(name, Qt::FindDirectChildrenOnly);
}

QAction* MenuBar1::makeItem(const char* name, const QString& text, const QKeySequence& shortcut) {
    auto* item = new QAction(text, this);
    item->setObjectName(QString::fromLatin1(name));
    item->setShortcut(shortcut);
    return item;
}

void MenuBar1::Untitled0() {
    auto* fileMenu = new QMenu(QStringLiteral("&File"), this);
    fileMenu->setObjectName(QStringLiteral("FileMenu"));
    addMenu(fileMenu);

    // "Cmd+Q": Qt's Ctrl is the Command key on macOS and Control elsewhere.
    QAction* quit =
        makeItem("FileQuit", QStringLiteral("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    // Closing the windows runs the main window's close handling; the last one closed ends the
    // event loop.
    connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows);
    menuNamed(QStringLiteral("FileMenu"))->addAction(quit);
}

void MenuBar1::Untitled1() {
    auto* editMenu = new QMenu(QStringLiteral("&Edit"), this);
    editMenu->setObjectName(QStringLiteral("EditMenu"));
    addMenu(editMenu);
    QMenu* menu = menuNamed(QStringLiteral("EditMenu"));

    auto separator = [&](const char* name) {
        QAction* line = menu->addSeparator();
        line->setObjectName(QString::fromLatin1(name));
    };

    auto* commands = new EditCommands(this);
    menu->addAction(
        commands->bind(EditCommands::Undo, makeItem("EditUndo", QStringLiteral("&Undo"),
                                                    QKeySequence(Qt::CTRL | Qt::Key_Z))));
    separator("UntitledMenu1");
    menu->addAction(
        commands->bind(EditCommands::Cut, makeItem("EditCut", QStringLiteral("Cu&t"),
                                                   QKeySequence(Qt::CTRL | Qt::Key_X))));
    menu->addAction(
        commands->bind(EditCommands::Copy, makeItem("EditCopy", QStringLiteral("&Copy"),
                                                    QKeySequence(Qt::CTRL | Qt::Key_C))));
    menu->addAction(
        commands->bind(EditCommands::Paste, makeItem("EditPaste", QStringLiteral("&Paste"),
                                                     QKeySequence(Qt::CTRL | Qt::Key_V))));
    menu->addAction(
        commands->bind(EditCommands::Clear, makeItem("EditClear", QStringLiteral("Clear"), {})));
    separator("UntitledMenu0");
    menu->addAction(commands->bind(EditCommands::SelectAll,
                                   makeItem("EditSelectAll", QStringLiteral("Select &All"),
                                            QKeySequence(Qt::CTRL | Qt::Key_A))));
    connect(menu, &QMenu::aboutToShow, commands, &EditCommands::refresh);
}
