#include "platform/SerialPort.h"

#include <QSerialPort>

// The error codes of a port are QSerialPort's; the real port reports them unchanged.
QString SerialPort::openFailureHint(int code) {
    switch (code) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("The device is not there. Plug the adapter back in and choose the "
                              "port again; restart Quorvane to read the list of ports anew.");
    case QSerialPort::PermissionError:
        return QStringLiteral(
            "You may not use this port, or another program holds it. On Debian the serial "
            "devices belong to the group \"dialout\": run \"sudo adduser $USER dialout\", then "
            "log out and in again. If you are in that group already, close the program that "
            "uses the port.");
    case QSerialPort::OpenError:
        return QStringLiteral("The port is open already: choose each port under J4 or J5 only "
                              "once.");
    case QSerialPort::UnsupportedOperationError:
        return QStringLiteral("This device is not a serial port.");
    default:
        return {};
    }
}

QString SerialPort::closedAfterErrorHint() {
    return QStringLiteral("The port has been closed, most often because its adapter was "
                          "unplugged. Plug it in and choose the port again.");
}

void SerialPort::discardInput() {
    while (readByte() != kNoByte) {
    }
}
