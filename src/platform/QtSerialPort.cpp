#include "platform/QtSerialPort.h"

#include "platform/DriverRate.h"
#include "platform/PtyLinks.h"

#include <QSerialPortInfo>
#include <QTimer>

#if defined(Q_OS_UNIX)
#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>
#endif
#if defined(Q_OS_LINUX)
#include <linux/serial.h>
#endif

class QtSerialPort::Quiet {
public:
    explicit Quiet(QtSerialPort& port) : m_port(port) { ++m_port.m_quiet; }
    ~Quiet() { --m_port.m_quiet; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

private:
    QtSerialPort& m_port;
};

QtSerialPort::QtSerialPort(QObject* parent)
    : SerialPort(parent), m_port(new QSerialPort(this)), m_linePoll(new QTimer(this)) {
    m_port->setBaudRate(m_rate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    connect(m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onPortError);
    m_linePoll->setInterval(kLinePollMs);
    connect(m_linePoll, &QTimer::timeout, this, &QtSerialPort::pollLines);
}

QtSerialPort::~QtSerialPort() {
    closePort();
}

void QtSerialPort::setHostPort(const QString& name) {
    m_port->setPortName(name);
}

QString QtSerialPort::hostPort() const {
    return m_port->portName();
}

bool QtSerialPort::open() {
    closePort();
    ++m_session;
    bool opened = false;
    bool rateRefused = false;
    {
        Quiet quiet(*this);
        // On a closed port QSerialPort only stores the settings; open() applies them. No
        // driver takes a rate below 1, so such a rate is not even tried.
        rateRefused = m_rate < 1;
        m_port->setBaudRate(rateRefused ? kFallbackRate : m_rate);
        m_port->setDataBits(QSerialPort::Data8);
        m_port->setParity(QSerialPort::NoParity);
        m_port->setStopBits(QSerialPort::OneStop);
        m_port->setFlowControl(QSerialPort::NoFlowControl);
        opened = m_port->open(QIODevice::ReadWrite);
        if (!opened && !rateRefused && m_port->error() == QSerialPort::UnsupportedOperationError &&
            m_rate != kFallbackRate) {
            // The driver may refuse only the rate: open at the fallback rate and say so, as a
            // rate change on an open port would.
            m_port->setBaudRate(kFallbackRate);
            opened = m_port->open(QIODevice::ReadWrite);
            rateRefused = opened;
        }
    }
    if (!opened) {
        m_lastError = m_port->error();
        return false;
    }
    if (!rateRefused && !applyRate(m_rate)) {
        applyRate(kFallbackRate);
        rateRefused = true;
    }
    startLinePoll();
    if (rateRefused) {
        m_rate = kFallbackRate;
        reportRateRefused();
    }
    return true;
}

void QtSerialPort::close() {
    closePort();
}

void QtSerialPort::closePort() {
    m_linePoll->stop();
    m_lost = false;
    m_leftover.clear();
    m_leftoverPos = 0;
    if (m_port->isOpen()) {
        Quiet quiet(*this);
        m_port->close();
    }
}

bool QtSerialPort::isOpen() const {
    return m_port->isOpen();
}

void QtSerialPort::setBaudRate(qint32 rate) {
    if (!m_port->isOpen()) {
        // Stored; open() applies it.
        m_rate = rate;
        return;
    }
    const qint32 previous = m_rate;
    if (!applyRate(rate)) {
        // The port keeps running at its previous rate.
        applyRate(previous);
        reportRateRefused();
    }
}

bool QtSerialPort::applyRate(qint32 rate) {
    Quiet quiet(*this);
    if (rate < 1 || !m_port->setBaudRate(rate))
        return false;
    // Drivers clamp a rate beyond the hardware's reach instead of failing: a rate that comes
    // back far from the one asked for was refused. Small differences are the driver's rounding.
    const qint32 effective = platform::driverRate(m_port->handle());
    if (effective > 0 && !closeEnough(effective, rate))
        return false;
    m_rate = effective > 0 ? effective : rate;
    return true;
}

bool QtSerialPort::closeEnough(qint32 effective, qint32 requested) {
    return qAbs(qint64(effective) - qint64(requested)) * 100 <=
           qint64(requested) * kRateTolerancePercent;
}

qint32 QtSerialPort::baudRate() const {
    return m_rate;
}

void QtSerialPort::reset() {
    if (!m_port->isOpen())
        return;
    bool rateApplied = false;
    bool framingApplied = false;
    {
        Quiet quiet(*this);
        rateApplied = m_port->setBaudRate(m_rate);
        framingApplied = m_port->setDataBits(QSerialPort::Data8) &&
                         m_port->setParity(QSerialPort::NoParity) &&
                         m_port->setStopBits(QSerialPort::OneStop) &&
                         m_port->setFlowControl(QSerialPort::NoFlowControl);
    }
    if (!rateApplied) {
        reportRateRefused();
    } else if (!framingApplied) {
        m_lastError = m_port->error();
        emit errorOccurred();
    }
}

int QtSerialPort::readByte() {
    if (m_leftoverPos < m_leftover.size())
        return static_cast<unsigned char>(m_leftover.at(m_leftoverPos++));
    // Only QSerialPort's buffer is read: bytes reach it when the event loop runs, so a sampler
    // tick ends once it has taken what had arrived before it started.
    if (!m_port->isOpen() || m_port->bytesAvailable() <= 0)
        return kNoByte;
    char byte = 0;
    if (!m_port->getChar(&byte))
        return kNoByte;
    return static_cast<unsigned char>(byte);
}

void QtSerialPort::discardInput() {
    m_leftover.clear();
    m_leftoverPos = 0;
    if (!m_port->isOpen())
        return;
    // Both QSerialPort's buffer and what the driver holds but has not handed over yet.
    Quiet quiet(*this);
    m_port->clear(QSerialPort::Input);
}

void QtSerialPort::write(const QByteArray& bytes) {
    if (m_port->isOpen())
        m_port->write(bytes);
}

LineLevels QtSerialPort::lineLevels() {
    if (!m_port->isOpen() || m_levelsUnsupported)
        return {};
#if defined(Q_OS_UNIX)
    int bits = 0;
    if (::ioctl(m_port->handle(), TIOCMGET, &bits) == -1) {
        // ENOTTY/EINVAL: this driver never reports levels. Other failures (a device going away)
        // read as released this time.
        if (errno == ENOTTY || errno == EINVAL)
            m_levelsUnsupported = true;
        return {};
    }
    return {(bits & TIOCM_CTS) != 0, (bits & TIOCM_DSR) != 0, (bits & TIOCM_CD) != 0,
            (bits & TIOCM_RI) != 0};
#else
    QSerialPort::PinoutSignals pins;
    {
        Quiet quiet(*this);
        pins = m_port->pinoutSignals();
        if (m_port->error() != QSerialPort::NoError)
            m_port->clearError();
    }
    return {pins.testFlag(QSerialPort::ClearToSendSignal),
            pins.testFlag(QSerialPort::DataSetReadySignal),
            pins.testFlag(QSerialPort::DataCarrierDetectSignal),
            pins.testFlag(QSerialPort::RingIndicatorSignal)};
#endif
}

int QtSerialPort::lastErrorCode() const {
    return m_lastError;
}

void QtSerialPort::setWatchedLines(int lines) {
    SerialPort::setWatchedLines(lines);
    if (m_port->isOpen())
        startLinePoll();
}

void QtSerialPort::onPortError(QSerialPort::SerialPortError error) {
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || m_quiet > 0 ||
        m_lost)
        return;
    m_lastError = error;
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError) {
        // The device is gone, and QSerialPort repeats the error on every pass of the event loop
        // until the port is closed. Close it outside QSerialPort's own notification, then
        // report it once.
        m_lost = true;
        const quint64 session = m_session;
        QMetaObject::invokeMethod(
            this,
            [this, session] {
                if (m_lost && session == m_session)
                    closeLostDevice();
            },
            Qt::QueuedConnection);
        return;
    }
    emit errorOccurred();
}

void QtSerialPort::closeLostDevice() {
    const QByteArray received = m_port->read(m_port->bytesAvailable());
    const QByteArray unread = m_leftover.mid(m_leftoverPos);
    closePort();
    m_leftover = unread + received;
    emit errorOccurred();
}

void QtSerialPort::reportRateRefused() {
    m_lastError = kRateTooHigh;
    emit errorOccurred();
}

int QtSerialPort::watchedBits(const LineLevels& levels) const {
    int bits = 0;
    if (levels.cts)
        bits |= kCts;
    if (levels.dsr)
        bits |= kDsr;
    if (levels.dcd)
        bits |= kDcd;
    if (levels.ri)
        bits |= kRi;
    return bits & watchedLines();
}

quint64 QtSerialPort::watchedTransitions() {
#if defined(Q_OS_LINUX)
    // Catches pulses shorter than the poll period, on drivers that count transitions.
    serial_icounter_struct counts{};
    if (::ioctl(m_port->handle(), TIOCGICOUNT, &counts) == -1)
        return 0;
    quint64 sum = 0;
    if (watchedLines() & kCts)
        sum += static_cast<unsigned>(counts.cts);
    if (watchedLines() & kDsr)
        sum += static_cast<unsigned>(counts.dsr);
    if (watchedLines() & kDcd)
        sum += static_cast<unsigned>(counts.dcd);
    if (watchedLines() & kRi)
        sum += static_cast<unsigned>(counts.rng);
    return sum;
#else
    return 0;
#endif
}

void QtSerialPort::startLinePoll() {
    m_linePoll->stop();
    m_levelsUnsupported = false;
    m_lastLines = watchedBits(lineLevels());
    m_lastTransitions = watchedTransitions();
    if (watchedLines() != 0 && !m_levelsUnsupported)
        m_linePoll->start();
}

void QtSerialPort::pollLines() {
    if (!m_port->isOpen() || m_lost)
        return;
    const int lines = watchedBits(lineLevels());
    if (m_levelsUnsupported) {
        m_linePoll->stop();
        return;
    }
    const quint64 transitions = watchedTransitions();
    const int changed = lines ^ m_lastLines;
    const bool pulsed = transitions != m_lastTransitions;
    m_lastLines = lines;
    m_lastTransitions = transitions;
    if (changed == 0 && !pulsed)
        return;
    QList<qint32> list;
    for (int line : {kCts, kDsr, kDcd, kRi}) {
        if (changed & line)
            list << line;
    }
    emit lineStateChanged(list);
}

QStringList QtSerialSystem::portNames() const {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    // Qt lists no pseudo-terminals: offer the virtual ports that tools such as socat link into
    // /dev after the real ones.
    names << ptyLinks();
    return names;
}

SerialPort* QtSerialSystem::createPort(QObject* parent) {
    return new QtSerialPort(parent);
}
