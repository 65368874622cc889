#pragma once

#include <QApplication>
#include <QPointer>

class MenuBar1;

// The application object: the event loop and the shared menu bar.
class App : public QApplication {
    Q_OBJECT
public:
    App(int& argc, char** argv);
    MenuBar1* menuBar() const;

private:
    QPointer<MenuBar1> m_menuBar;
};
