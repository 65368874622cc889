#pragma once

#include "app/Window1.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingDialogs.h"

#include <QTest>
#include <memory>

// A shown main window over fake ports and recording dialogs, with lookup of controls by name.
struct WindowFixture {
    explicit WindowFixture(QStringList hostPorts = {QStringLiteral("ttyFAKE0"),
                                                    QStringLiteral("ttyFAKE1")});

    template <typename T = QObject> T* find(const char* name) const {
        T* object = window->findChild<T*>(QString::fromLatin1(name));
        if (!object)
            qFatal("no object named %s", name);
        return object;
    }
    FakeSerialPort* port1() const { return find<FakeSerialPort>("Serial1"); }
    FakeSerialPort* port2() const { return find<FakeSerialPort>("Serial2"); }
    // Text of a trace row.
    QString row(const char* name) const;
    // Clicks a push button, check box or radio button by name.
    void click(const char* name) const;

    FakeSerialSystem serialSystem;
    RecordingDialogs dialogs;
    std::unique_ptr<Window1> window;
};
