#pragma once

#include "platform/SerialPort.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <vector>

// One pseudo-terminal pair: the slave path is opened as a serial port, the test plays the far
// end of the link on the master. The master is non-blocking.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool isValid() const { return m_master >= 0; }
    const QString& slavePath() const { return m_slave; }
    int master() const { return m_master; }
    // The far end goes away: the slave side reads as hung up.
    void closeMaster();

    // Writes every byte to the master, waiting while the pty is full, until done or stop is set.
    // Safe to call from another thread. Returns the number of bytes written.
    qsizetype writeAll(const QByteArray& bytes, const std::atomic<bool>& stop) const;
    qsizetype writeAll(const QByteArray& bytes) const;
    // As writeAll, but no faster than bytesPerSecond.
    qsizetype writePaced(const QByteArray& bytes, double bytesPerSecond,
                         const std::atomic<bool>& stop) const;
    // Reads from the master until count bytes came or timeoutMs passed, running the event loop
    // meanwhile so that the port can send.
    QByteArray read(qsizetype count, int timeoutMs) const;

private:
    int m_master = -1;
    QString m_slave;
};

// A byte sequence that runs through every value, different for each step and offset.
QByteArray traffic(qsizetype size, int step, int offset);
// The bytes of one channel of slots 1..last, without the no-byte and gap-marker values.
QByteArray channel(const std::vector<int32_t>& buf, int32_t last);

// A host whose ports are the given pty slaves, opened through the real QSerialPort-backed port.
class PtySerialSystem final : public SerialSystem {
public:
    QStringList names;
    QStringList portNames() const override { return names; }
    SerialPort* createPort(QObject* parent) override;
};
