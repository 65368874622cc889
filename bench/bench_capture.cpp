// Capture throughput and sampler cost.
//
// 1. Real ports over pseudo-terminals: two writer threads push bytes into the pty masters as fast
//    as the ptys take them while the window acquires with the live display on, over a run of
//    acquisitions; the figure is the bytes per second per port that reached the captures, every
//    byte checked in order, against the 92160 B/s of a 921600 bit/s line. A second run paces
//    both writers at 92160 B/s through a single acquisition.
// 2. One sampler tick that files 1000 slots: with fake ports (the drain and snapshot alone) and
//    with the real ports over ptys (QSerialPort's buffer and the line-level reads).
#include "app/Window1.h"
#include "capture/Sampler.h"
#include "platform/QtSerialPort.h"
#include "support/FakeSerialPort.h"
#include "support/Pty.h"
#include "support/RecordingDialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/ioctl.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kLineBytesPerSecond = 92160.0; // 921600 bit/s, 10 bits a byte

// A shown window whose two ports are the slaves of two pty pairs, both chosen.
struct PtyRig {
    Pty pty1;
    Pty pty2;
    PtySerialSystem system;
    RecordingDialogs dialogs;
    std::unique_ptr<Window1> window;
    QPushButton* acquire = nullptr;

    PtyRig() {
        system.names = {pty1.slavePath(), pty2.slavePath()};
        window = std::make_unique<Window1>(system, dialogs);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            std::printf("window not exposed\n");
        window->findChild<QComboBox*>(QStringLiteral("SerialPortPopup"))->setCurrentIndex(1);
        window->findChild<QComboBox*>(QStringLiteral("SerialPortPopup2"))->setCurrentIndex(2);
        acquire = window->findChild<QPushButton*>(QStringLiteral("AcquirePB"));
    }
    void press() const { QTest::mouseClick(acquire, Qt::LeftButton); }
};

// How many bytes of one channel the capture holds (cheaper than extracting them).
qsizetype capturedBytes(const std::vector<int32_t>& buf, int32_t last) {
    qsizetype n = 0;
    for (int32_t k = 1; k <= last; ++k)
        n += buf[k] <= 255 ? 1 : 0;
    return n;
}

struct RunResult {
    double seconds = 0;
    bool intact = false;
    int32_t slotCount = 0;
};

// One acquisition over two ptys; perPort bytes on each, written at the given pace.
RunResult acquireOverPtys(qsizetype perPort, double bytesPerSecond) {
    PtyRig rig;
    rig.press(); // Acquire
    const QByteArray sent1 = traffic(perPort, 7, 0);
    const QByteArray sent2 = traffic(perPort, 13, 5);
    std::atomic<bool> stop{false};
    const capture::CaptureState& state = rig.window->capture();
    const auto start = Clock::now();
    std::thread writer1([&] { rig.pty1.writePaced(sent1, bytesPerSecond, stop); });
    std::thread writer2([&] { rig.pty2.writePaced(sent2, bytesPerSecond, stop); });
    RunResult result;
    while (Clock::now() - start < std::chrono::seconds(60)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (capturedBytes(state.rxdBuf, state.BufIndex) >= perPort &&
            capturedBytes(state.txdBuf, state.BufIndex) >= perPort)
            break;
    }
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    stop = true;
    writer1.join();
    writer2.join();
    QTest::qWait(30);
    rig.press(); // Stop
    result.intact = channel(state.rxdBuf, state.BufIndex) == sent1 &&
                    channel(state.txdBuf, state.BufIndex) == sent2;
    result.slotCount = state.BufIndex;
    return result;
}

// perPort bytes for each pty, far more than one capture holds, pushed as fast as the ptys take
// them in chunks of one acquisition each: Acquire, both chunks written, every byte of them in
// the capture, Stop. Acquire drops what waited in the ports before it, so the writers are idle
// between acquisitions; the time counted is the time the acquisitions ran, and the captures laid
// end to end must give back both streams exactly.
struct SustainedResult {
    double seconds = 0;
    int acquisitions = 0;
    bool intact = false;
};

SustainedResult sustainedOverPtys(qsizetype perPort) {
    // Both directions of a chunk fit one capture with room to spare.
    constexpr qsizetype kChunk = 30000;
    PtyRig rig;
    const capture::CaptureState& state = rig.window->capture();
    const QByteArray sent1 = traffic(perPort, 7, 0);
    const QByteArray sent2 = traffic(perPort, 13, 5);
    QByteArray received1;
    QByteArray received2;
    SustainedResult result;
    for (qsizetype offset = 0; offset < perPort; offset += kChunk) {
        const QByteArray part1 = sent1.mid(offset, kChunk);
        const QByteArray part2 = sent2.mid(offset, kChunk);
        rig.press(); // Acquire
        ++result.acquisitions;
        std::atomic<bool> stop{false};
        const auto start = Clock::now();
        std::thread writer1([&] { rig.pty1.writeAll(part1, stop); });
        std::thread writer2([&] { rig.pty2.writeAll(part2, stop); });
        while (Clock::now() - start < std::chrono::seconds(60)) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
            if (capturedBytes(state.rxdBuf, state.BufIndex) >= part1.size() &&
                capturedBytes(state.txdBuf, state.BufIndex) >= part2.size())
                break;
        }
        result.seconds += std::chrono::duration<double>(Clock::now() - start).count();
        stop = true;
        writer1.join();
        writer2.join();
        rig.press(); // Stop
        received1 += channel(state.rxdBuf, state.BufIndex);
        received2 += channel(state.txdBuf, state.BufIndex);
    }
    result.intact = received1 == sent1 && received2 == sent2;
    return result;
}

void benchPtyThroughput() {
    Pty probe;
    if (!probe.isValid()) {
        std::printf("pty throughput: skipped, no pseudo-terminals on this host\n");
        return;
    }
    constexpr qsizetype kPerPort = 4'000'000;
    const SustainedResult s = sustainedOverPtys(kPerPort);
    const double rate = double(kPerPort) / s.seconds;
    std::printf("pty sustained throughput, live display on: %lld bytes per port in %.2f s over "
                "%d acquisitions = %.0f B/s per port = %.1f x 92160 B/s; every byte in order, "
                "none lost or duplicated: %s\n",
                static_cast<long long>(kPerPort), s.seconds, s.acquisitions, rate,
                rate / kLineBytesPerSecond, s.intact ? "yes" : "NO");

    const qsizetype paced = qsizetype(kLineBytesPerSecond * 0.75);
    const RunResult r = acquireOverPtys(paced, kLineBytesPerSecond);
    std::printf("pty paced at 92160 B/s per port for 0.75 s, one acquisition: %lld bytes per port "
                "in %.3f s, %d slots; every byte in order, none lost or duplicated: %s\n",
                static_cast<long long>(paced), r.seconds, r.slotCount, r.intact ? "yes" : "NO");
}

void benchFakeTick() {
    FakeSerialPort one;
    FakeSerialPort two;
    capture::CaptureState state;
    const QByteArray bytes = traffic(1000, 3, 1);
    constexpr int kTicks = 2000;
    std::vector<double> micros;
    micros.reserve(kTicks);
    for (int i = 0; i < kTicks; ++i) {
        one.queue(bytes);
        two.queue(bytes);
        capture::startCapture(state);
        const auto start = Clock::now();
        capture::drainPorts(state, one, two);
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(micros.begin(), micros.end());
    std::printf("sampler tick, fake ports, 1000 slots (1000 bytes on each port): median %.1f us "
                "(%.1f ns a slot), 99th percentile %.1f us; budget 5000 us\n",
                micros[micros.size() / 2], micros[micros.size() / 2] * 1000.0 / 1000.0,
                micros[micros.size() * 99 / 100]);
}

void benchRealTick() {
    Pty pty1;
    Pty pty2;
    if (!pty1.isValid() || !pty2.isValid())
        return;
    QtSerialPort one;
    QtSerialPort two;
    one.setWatchedLines(SerialPort::kCts | SerialPort::kDsr | SerialPort::kDcd | SerialPort::kRi);
    two.setWatchedLines(SerialPort::kDcd | SerialPort::kDsr);
    one.setHostPort(pty1.slavePath());
    two.setHostPort(pty2.slavePath());
    if (!one.open() || !two.open()) {
        std::printf("sampler tick, real ports: could not open the ptys\n");
        return;
    }
    capture::CaptureState state;
    const QByteArray bytes = traffic(1000, 3, 1);
    constexpr int kTicks = 200;
    std::vector<double> micros;
    for (int i = 0; i < kTicks; ++i) {
        pty1.writeAll(bytes);
        pty2.writeAll(bytes);
        QTest::qWait(3); // let QSerialPort take the bytes into its buffer
        capture::startCapture(state);
        const auto start = Clock::now();
        capture::drainPorts(state, one, two);
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        if (state.BufIndex == 1000)
            micros.push_back(us);
    }
    if (micros.empty()) {
        std::printf("sampler tick, real ports: no tick held exactly 1000 slots\n");
        return;
    }
    std::sort(micros.begin(), micros.end());
    std::printf("sampler tick, real ports over ptys, 1000 slots: median %.1f us, 99th percentile "
                "%.1f us (%zu of %d ticks measured)\n",
                micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.size(), kTicks);

    // A driver that reports levels answers TIOCMGET on every snapshot: two calls a slot.
    constexpr int kCalls = 100000;
    int bits = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kCalls; ++i)
        ::ioctl(pty1.master(), TIOCMGET, &bits);
    const double ns =
        std::chrono::duration<double, std::nano>(Clock::now() - start).count() / kCalls;
    std::printf("one TIOCMGET system call on this host: %.0f ns, so about %.2f ms more per "
                "1000-slot tick on ports whose driver reports levels\n",
                ns, 2 * 1000 * ns / 1e6);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    benchFakeTick();
    benchRealTick();
    benchPtyThroughput();
    return 0;
}
