// Loads a capture file into the main window the way a user would (both ports chosen, "Load",
// then the display format) and writes a PNG of the window.
//   quorvane_capture_shot CAPTURE_FILE ascii|hex OUT.png
#include "app/Window1.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QTest>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 4 || (qstrcmp(argv[2], "ascii") != 0 && qstrcmp(argv[2], "hex") != 0)) {
        std::fprintf(stderr, "usage: quorvane_capture_shot CAPTURE_FILE ascii|hex OUT.png\n");
        return 2;
    }
    FakeSerialSystem ports;
    ports.names = {QStringLiteral("ttyUSB0"), QStringLiteral("ttyUSB1")};
    RecordingDialogs dialogs;
    dialogs.openReplies.push_back(QString::fromLocal8Bit(argv[1]));
    Window1 window(ports, dialogs);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "capture_shot: the window was not exposed\n");

    window.findChild<QComboBox*>(QStringLiteral("SerialPortPopup"))->setCurrentIndex(1);
    window.findChild<QComboBox*>(QStringLiteral("SerialPortPopup2"))->setCurrentIndex(2);
    const char* format = qstrcmp(argv[2], "ascii") == 0 ? "ASCIIRB" : "HexRB";
    QTest::mouseClick(window.findChild<QAbstractButton*>(QStringLiteral("LoadPB")), Qt::LeftButton);
    if (!dialogs.messages.isEmpty()) {
        std::fprintf(stderr, "capture_shot: %s\n", qPrintable(dialogs.messages.join(u'\n')));
        return 1;
    }
    QTest::mouseClick(window.findChild<QAbstractButton*>(QString::fromLatin1(format)),
                      Qt::LeftButton);
    // The load and the format switch each ask for one redraw, half a second later.
    QTest::qWait(800);
    if (!window.grab().save(QString::fromLocal8Bit(argv[3]))) {
        std::fprintf(stderr, "capture_shot: could not write %s\n", argv[3]);
        return 1;
    }
    std::printf("capture_shot: wrote %s\n", argv[3]);
    return 0;
}
