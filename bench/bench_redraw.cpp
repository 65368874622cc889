// One full redraw of a capture at the slot limit, in both formats: building the eight row texts,
// setting them and painting the window. The project's trace rows are measured beside eight
// QLineEdits holding the same texts, in one run, together with the process's peak memory.
//
//   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/release --target bench_redraw
//   QT_QPA_PLATFORM=offscreen build/release/bench/bench_redraw
#include "display/Renderer.h"
#include "display/TraceRow.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int32_t kSlots = capture::kSlotLimit + 1;

// A capture of kSlots slots mixing every kind of slot: bytes on one or both ports (carriage
// returns and line feeds among them), slots without a byte, gap markers, and changing masks.
void fill(capture::CaptureState& state) {
    state.BufIndex = 0;
    for (int32_t i = 1; i <= kSlots; ++i) {
        const int32_t kind = i % 16;
        const int32_t rxd = kind == 15  ? capture::kGapMarker
                            : kind < 10 ? (i * 7) % 256
                                        : capture::kNoByte;
        const int32_t txd = kind == 15 ? capture::kGapMarker
                            : kind > 4 ? (i * 13) % 256
                                       : capture::kNoByte;
        state.appendSlot(rxd, txd, (i / 5) % 64);
    }
}

double milliseconds(qint64 nanoseconds) {
    return double(nanoseconds) / 1e6;
}

struct Times {
    double median;
    double fastest;
};

// Median and fastest time of runs calls of work, in ms. The fastest run is the one least
// disturbed by other processes on a busy machine.
Times measure(int runs, const std::function<void()>& work) {
    std::vector<qint64> times;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(clock.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    return {milliseconds(times[times.size() / 2]), milliseconds(times.front())};
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Changes the last slot, so every redraw sets texts that differ from the ones shown, as a
// growing capture does.
void touchLastSlot(capture::CaptureState& state) {
    state.rxdBuf[state.BufIndex] ^= 1;
    state.pBuf[state.BufIndex] ^= 1;
}

// Eight QLineEdits where the trace rows are, with the same font, in a window of the same size.
struct LineEditWindow {
    LineEditWindow() {
        window.resize(Window1::kWidth, Window1::kHeight);
        const QFont font = TraceRow().font();
        for (int r = 0; r < 8; ++r) {
            auto* edit = new QLineEdit(&window);
            edit->setReadOnly(true);
            edit->setFont(font);
            edit->setGeometry(112, 73 + 21 * r, 805, 20);
            edits[r] = edit;
        }
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("line-edit window not exposed");
    }
    void setTexts(const capture::CaptureState& s) {
        const QString* texts[8] = {&s.rxdStr, &s.txdStr, &s.rtsStr, &s.ctsStr,
                                   &s.dtrStr, &s.dsrStr, &s.dcdStr, &s.riStr};
        for (int r = 0; r < 8; ++r)
            edits[r]->setText(*texts[r]);
    }
    QWidget window;
    std::array<QLineEdit*, 8> edits{};
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    WindowFixture f;
    f.find<QComboBox>("SerialPortPopup")->setCurrentIndex(1);
    f.find<QComboBox>("SerialPortPopup2")->setCurrentIndex(1);
    Window1& window = *f.window;
    capture::CaptureState& state = window.capture();
    fill(state);
    LineEditWindow edits;
    capture::CaptureState scratch; // the QLineEdit variant renders into its own copy
    fill(scratch);

    constexpr int kProjectRuns = 41;
    constexpr int kLineEditRuns = 9;
    std::printf("capture of %d slots; medians of %d (project) and %d (QLineEdit) runs\n", kSlots,
                kProjectRuns, kLineEditRuns);
    std::printf("times in ms, median (fastest)\n");
    std::printf("%-6s %7s %15s %15s %15s %15s %15s %6s\n", "format", "cells", "render",
                "render+set", "paint", "project total", "QLineEdit total", "ratio");
    long projectPeak = 0;
    for (const char* button : {"ASCIIRB", "HexRB"}) {
        f.click(button);
        f.find<QTimer>("DisplayTimer")->stop();
        const display::Format format = f.find<QRadioButton>("ASCIIRB")->isChecked()
                                           ? display::Format::Ascii
                                           : display::Format::Hex;
        scratch.TGC = state.TGC;

        const Times render = measure(kProjectRuns, [&] {
            touchLastSlot(state);
            display::renderRows(state, format);
        });
        // The redraw handler: the eight texts built and set on the rows.
        const Times handler = measure(kProjectRuns, [&] {
            touchLastSlot(state);
            window.DisplayTimer_Action();
        });
        const Times paint = measure(kProjectRuns, [&] { window.repaint(); });
        const Times project = measure(kProjectRuns, [&] {
            touchLastSlot(state);
            window.DisplayTimer_Action();
            window.repaint();
        });
        projectPeak = std::max(projectPeak, peakKilobytes());

        const Times lineEdits = measure(kLineEditRuns, [&] {
            touchLastSlot(scratch);
            display::renderRows(scratch, format);
            edits.setTexts(scratch);
            edits.window.repaint();
        });
        auto cell = [](const Times& t) {
            return QString::asprintf("%.2f (%.2f)", t.median, t.fastest);
        };
        std::printf("%-6s %7lld %15s %15s %15s %15s %15s %5.1fx\n",
                    format == display::Format::Ascii ? "ASCII" : "hex",
                    static_cast<long long>(state.rxdStr.size()), qPrintable(cell(render)),
                    qPrintable(cell(handler)), qPrintable(cell(paint)), qPrintable(cell(project)),
                    qPrintable(cell(lineEdits)), lineEdits.median / project.median);
    }
    std::printf("peak memory (ru_maxrss): %ld KiB after the project's rows, %ld KiB at the end\n",
                projectPeak, peakKilobytes());
    return 0;
}
