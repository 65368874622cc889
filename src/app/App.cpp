#include "app/App.h"

#include "app/MenuBar1.h"

App::App(int& argc, char** argv) : QApplication(argc, argv), m_menuBar(MenuBar1::shared()) {
    setApplicationName(QStringLiteral("Quorvane"));
    setApplicationDisplayName(QStringLiteral("Quorvane"));
    setDesktopFileName(QStringLiteral("quorvane"));
    // Closing the main window, by its close box or by Quit, ends the program.
    setQuitOnLastWindowClosed(true);
}

MenuBar1* App::menuBar() const {
    return m_menuBar.data();
}
