#include "platform/QtSerialPort.h"

#include <QSerialPort>
#include <QSerialPortInfo>

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent), m_port(new QSerialPort(this)) {}

QtSerialPort::~QtSerialPort() {
    close();
}

void QtSerialPort::setHostPort(const QString& name) {
    m_port->setPortName(name);
}

QString QtSerialPort::hostPort() const {
    return m_port->portName();
}

bool QtSerialPort::open() {
    if (!m_port->open(QIODevice::ReadWrite)) {
        m_lastError = m_port->error();
        return false;
    }
    return true;
}

void QtSerialPort::close() {
    if (m_port->isOpen())
        m_port->close();
}

bool QtSerialPort::isOpen() const {
    return m_port->isOpen();
}

void QtSerialPort::setBaudRate(qint32 rate) {
    m_rate = rate;
}

qint32 QtSerialPort::baudRate() const {
    return m_rate;
}

void QtSerialPort::reset() {}

int QtSerialPort::readByte() {
    char byte = 0;
    if (m_port->isOpen() && m_port->getChar(&byte))
        return static_cast<unsigned char>(byte);
    return kNoByte;
}

void QtSerialPort::write(const QByteArray& bytes) {
    if (m_port->isOpen())
        m_port->write(bytes);
}

LineLevels QtSerialPort::lineLevels() {
    return {};
}

int QtSerialPort::lastErrorCode() const {
    return m_lastError;
}

QStringList QtSerialSystem::portNames() const {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

SerialPort* QtSerialSystem::createPort(QObject* parent) {
    return new QtSerialPort(parent);
}
