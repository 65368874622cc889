#pragma once

#include "platform/SerialPort.h"

class QSerialPort;

// A host serial port through QSerialPort: 8 data bits, no parity, 1 stop bit, no flow control.
// The program never drives DTR or RTS.
class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setHostPort(const QString& name) override;
    QString hostPort() const override;
    bool open() override;
    void close() override;
    bool isOpen() const override;
    void setBaudRate(qint32 rate) override;
    qint32 baudRate() const override;
    void reset() override;
    int readByte() override;
    void write(const QByteArray& bytes) override;
    LineLevels lineLevels() override;
    int lastErrorCode() const override;

private:
    QSerialPort* m_port;
    qint32 m_rate = 9600;
    int m_lastError = 0;
};

// The host's ports as QSerialPortInfo lists them.
class QtSerialSystem final : public SerialSystem {
public:
    QStringList portNames() const override;
    SerialPort* createPort(QObject* parent) override;
};
