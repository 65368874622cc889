#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// Levels of the four modem-status inputs of one port; true means asserted.
struct LineLevels {
    bool cts = false;
    bool dsr = false;
    bool dcd = false;
    bool ri = false;
    friend bool operator==(const LineLevels&, const LineLevels&) = default;
};

// One host serial port as the window uses it. The Qt-backed implementation wraps QSerialPort;
// tests use a scripted fake. Every notification is delivered on the UI thread.
class SerialPort : public QObject {
    Q_OBJECT
public:
    // Error code reported when the driver refuses a bit rate.
    static constexpr int kRateTooHigh = 102;
    // Value of readByte() when no byte is waiting.
    static constexpr int kNoByte = 256;
    // Input lines, as bits of a watched-lines set and as entries of lineStateChanged's list.
    static constexpr int kCts = 1;
    static constexpr int kDsr = 2;
    static constexpr int kDcd = 4;
    static constexpr int kRi = 8;

    using QObject::QObject;

    // What the user can do when open() failed with this error code; empty for unknown codes.
    static QString openFailureHint(int code);
    // What the user can do when an error closed the port.
    static QString closedAfterErrorHint();
    ~SerialPort() override = default;

    // The host port (a name from SerialSystem::portNames()) used at the next open().
    virtual void setHostPort(const QString& name) = 0;
    virtual QString hostPort() const = 0;
    // Opens the assigned port; on failure lastErrorCode() says why.
    virtual bool open() = 0;
    // Harmless when the port is not open; reports nothing.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual void setBaudRate(qint32 rate) = 0;
    virtual qint32 baudRate() const = 0;
    // Makes an open port use its current settings.
    virtual void reset() = 0;

    // The next waiting byte (0..255), or kNoByte when none is waiting or the port is closed.
    virtual int readByte() = 0;
    // Drops every byte that has arrived and not been read yet.
    virtual void discardInput();
    virtual void write(const QByteArray& bytes) = 0;

    // Input levels; all false for a closed port or a driver that cannot report them. Never raises
    // an error notification.
    virtual LineLevels lineLevels() = 0;
    virtual int lastErrorCode() const = 0;

    // The inputs (kCts | kDsr | ...) whose changes raise lineStateChanged while the port is
    // open; none at creation.
    virtual void setWatchedLines(int lines) { m_watchedLines = lines; }
    int watchedLines() const { return m_watchedLines; }

signals:
    // The port detected an error; lastErrorCode() says which. Not raised for failures that
    // the call itself reports (open()).
    void errorOccurred();
    // Input lines changed; the list names the changed lines and is informational only.
    void lineStateChanged(const QList<qint32>& changed);

private:
    int m_watchedLines = 0;
};

// The host's serial ports: enumeration and creation of port objects.
class SerialSystem {
public:
    virtual ~SerialSystem() = default;
    // Display names in a stable order; each one can be passed to SerialPort::setHostPort().
    virtual QStringList portNames() const = 0;
    // A new, closed port object with no host port assigned, owned by parent.
    virtual SerialPort* createPort(QObject* parent) = 0;
};
