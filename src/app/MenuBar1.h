#pragma once

#include <QMenuBar>
#include <QPointer>

class QAction;
class QMenu;

// The application's single menu bar: File (Quit) and Edit (the standard text-editing commands
// acting on the focused text field). Made the first time it is needed and shared by the
// application object and the main window.
class MenuBar1 : public QMenuBar {
    Q_OBJECT
public:
    // The one instance, made on first use (or again after the window that held it was deleted).
    static MenuBar1* shared();

    // Finds a menu title of the bar by its name ("FileMenu", "EditMenu").
    QMenu* menuNamed(const QString& name) const;

private:
    MenuBar1();
    void Untitled0(); // File menu
    void Untitled1(); // Edit menu
    // Makes an item with its name, caption and shortcut, auto-enabled.
    QAction* makeItem(const char* name, const QString& text, const QKeySequence& shortcut);

    static QPointer<MenuBar1> s_instance;
};
