#include "support/Pty.h"

#include "platform/QtSerialPort.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

Pty::Pty() {
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return;
    const char* name = nullptr;
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || (name = ::ptsname(fd)) == nullptr) {
        ::close(fd);
        return;
    }
    m_master = fd;
    m_slave = QString::fromLocal8Bit(name);
}

Pty::~Pty() {
    closeMaster();
}

void Pty::closeMaster() {
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

qsizetype Pty::writeAll(const QByteArray& bytes, const std::atomic<bool>& stop) const {
    qsizetype done = 0;
    while (done < bytes.size() && !stop.load()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            break;
        pollfd waitFor{m_master, POLLOUT, 0};
        ::poll(&waitFor, 1, 20);
    }
    return done;
}

qsizetype Pty::writeAll(const QByteArray& bytes) const {
    const std::atomic<bool> never{false};
    return writeAll(bytes, never);
}

qsizetype Pty::writePaced(const QByteArray& bytes, double bytesPerSecond,
                          const std::atomic<bool>& stop) const {
    QElapsedTimer clock;
    clock.start();
    qsizetype done = 0;
    while (done < bytes.size() && !stop.load()) {
        const auto due =
            std::min(bytes.size(), qsizetype(clock.nsecsElapsed() * 1e-9 * bytesPerSecond));
        if (due > done)
            done += writeAll(bytes.mid(done, due - done), stop);
        else
            ::usleep(1000);
    }
    return done;
}

QByteArray Pty::read(qsizetype count, int timeoutMs) const {
    QByteArray result;
    QDeadlineTimer deadline(timeoutMs);
    char chunk[4096];
    while (result.size() < count && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const ssize_t n = ::read(m_master, chunk, sizeof chunk);
        if (n > 0)
            result.append(chunk, n);
        else
            ::usleep(1000);
    }
    return result;
}

SerialPort* PtySerialSystem::createPort(QObject* parent) {
    return new QtSerialPort(parent);
}

QByteArray traffic(qsizetype size, int step, int offset) {
    QByteArray result(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        result[i] = char((i * step + offset) % 256);
    return result;
}

QByteArray channel(const std::vector<int32_t>& buf, int32_t last) {
    QByteArray result;
    for (int32_t k = 1; k <= last; ++k) {
        if (buf[k] >= 0 && buf[k] <= 255)
            result.append(char(buf[k]));
    }
    return result;
}
