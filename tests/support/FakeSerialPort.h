#pragma once

#include "platform/SerialPort.h"

#include <QList>
#include <deque>
#include <functional>

// A scripted port: tests queue bytes, set input levels, read what was written and raise errors.
class FakeSerialPort final : public SerialPort {
    Q_OBJECT
public:
    using SerialPort::SerialPort;

    void setHostPort(const QString& name) override { m_hostPort = name; }
    QString hostPort() const override { return m_hostPort; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void setBaudRate(qint32 rate) override;
    qint32 baudRate() const override { return m_rate; }
    void reset() override { ++resets; }
    int readByte() override;
    void write(const QByteArray& bytes) override { writes << bytes; }
    LineLevels lineLevels() override {
        ++levelReads;
        return levels;
    }
    int lastErrorCode() const override { return errorCode; }

    // Bytes waiting to be read; readByte() takes them from the front.
    void queue(const QByteArray& bytes);
    // Raises the error notification with this code.
    void raiseError(int code);
    // Raises the line-change notification.
    void raiseLineChange() { emit lineStateChanged({}); }

    // Test controls and records.
    std::deque<int> pending;
    LineLevels levels;
    int errorCode = 0;
    bool failOpen = false; // open() fails with errorCode
    qint32 maxRate = 0;    // above this setBaudRate() raises error 102 (0: no limit)
    int opens = 0;
    int closes = 0;
    int resets = 0;
    int levelReads = 0;
    QList<QByteArray> writes;
    // Called on every readByte(), before a byte is taken: lets a test feed bytes mid-drain.
    std::function<void()> onRead;

private:
    QString m_hostPort;
    bool m_open = false;
    qint32 m_rate = 0;
};

// A host with the given port names; the ports it makes are FakeSerialPorts.
class FakeSerialSystem final : public SerialSystem {
public:
    QStringList names;
    QList<FakeSerialPort*> made;

    QStringList portNames() const override { return names; }
    SerialPort* createPort(QObject* parent) override;
};
