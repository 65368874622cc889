#include "app/App.h"
#include "app/FileTypes.h"
#include "app/Window1.h"
#include "platform/Dialogs.h"
#include "platform/QtSerialPort.h"

int main(int argc, char** argv) {
    FileTypes::pTextPlain();
    App app(argc, argv);
    QtSerialSystem serialSystem;
    QtDialogs dialogs;
    Window1 window(serialSystem, dialogs);
    window.show();
    return app.exec();
}
