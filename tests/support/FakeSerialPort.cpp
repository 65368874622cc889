#include "support/FakeSerialPort.h"

bool FakeSerialPort::open() {
    ++opens;
    if (failOpen)
        return false;
    m_open = true;
    return true;
}

void FakeSerialPort::close() {
    ++closes;
    m_open = false;
}

void FakeSerialPort::setBaudRate(qint32 rate) {
    m_rate = rate;
    if (maxRate > 0 && rate > maxRate)
        raiseError(kRateTooHigh);
}

int FakeSerialPort::readByte() {
    if (onRead)
        onRead();
    if (pending.empty())
        return kNoByte;
    const int byte = pending.front();
    pending.pop_front();
    return byte;
}

void FakeSerialPort::queue(const QByteArray& bytes) {
    for (char c : bytes)
        pending.push_back(static_cast<unsigned char>(c));
}

void FakeSerialPort::raiseError(int code) {
    errorCode = code;
    emit errorOccurred();
}

SerialPort* FakeSerialSystem::createPort(QObject* parent) {
    auto* port = new FakeSerialPort(parent);
    made << port;
    return port;
}
