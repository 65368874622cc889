#pragma once

#include "platform/SerialPort.h"

#include <QSerialPort>

class QTimer;

// A host serial port through QSerialPort: 8 data bits, no parity, 1 stop bit, no flow control.
// The program never drives DTR or RTS.
//
// Errors: a bit rate the driver refuses, or replaces by a rate far from it, is reported as
// kRateTooHigh; a device that goes away
// while open (read or resource error) is reported once, after the port has been closed; every
// other QSerialPort error is reported with QSerialPort's own code. Errors that a call reports
// itself (a failed open()) and the "no error" and time-out notices raise nothing.
//
// Line levels are read straight from the driver (TIOCMGET on Linux) so that a closed port or a
// driver that cannot report them (a pseudo-terminal) reads all false without any notification.
// The watched lines are polled every kLinePollMs while the port is open.
class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    // The rate of a new port object, and the one an opening falls back to when the driver
    // refuses the requested rate.
    static constexpr qint32 kFallbackRate = 9600;
    // How far the rate a driver reports may lie from the one asked for before it counts as
    // refused.
    static constexpr int kRateTolerancePercent = 5;
    // Period of the line poll, in milliseconds.
    static constexpr int kLinePollMs = 5;

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
    void discardInput() override;
    void write(const QByteArray& bytes) override;
    LineLevels lineLevels() override;
    int lastErrorCode() const override;
    void setWatchedLines(int lines) override;

private:
    // Suppresses QSerialPort's own notifications while a call checks the result itself.
    class Quiet;

    void onPortError(QSerialPort::SerialPortError error);
    // Closes a port whose device went away, keeping the bytes it had already received.
    void closeLostDevice();
    void closePort();
    void reportRateRefused();
    // Sets the rate of the open port; false when the driver refuses it or runs at another rate.
    bool applyRate(qint32 rate);
    static bool closeEnough(qint32 effective, qint32 requested);
    // Asserted watched lines as kCts | kDsr | ... bits.
    int watchedBits(const LineLevels& levels) const;
    // Transition counts of the watched lines, when the driver keeps them; 0 otherwise.
    quint64 watchedTransitions();
    void startLinePoll();
    void pollLines();

    QSerialPort* m_port;
    QTimer* m_linePoll;
    qint32 m_rate = kFallbackRate;
    int m_lastError = 0;
    int m_quiet = 0;
    // The device went away; the port closes at the next pass of the event loop.
    bool m_lost = false;
    // Counts openings, so that a pending close of a lost device leaves a later opening alone.
    quint64 m_session = 0;
    // The driver answered TIOCMGET with "not supported" in this session.
    bool m_levelsUnsupported = false;
    int m_lastLines = 0;
    quint64 m_lastTransitions = 0;
    // Bytes received before the device went away, still to be read.
    QByteArray m_leftover;
    qsizetype m_leftoverPos = 0;
};

// The host's ports as QSerialPortInfo lists them.
class QtSerialSystem final : public SerialSystem {
public:
    QStringList portNames() const override;
    SerialPort* createPort(QObject* parent) override;
};
