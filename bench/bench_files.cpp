// Saving and loading a full capture (100000 slots): time per operation and the process's peak
// memory, for the plain writer and reader and for the window's Save and Load buttons.
#include "files/CaptureFile.h"
#include "files/CaptureFileIO.h"
#include "support/WindowFixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs the operation `rounds` times; prints the median and the fastest time and how much the
// peak resident size grew over the whole series.
void measure(const char* what, int rounds, const std::function<void()>& operation) {
    const long peakBefore = peakKiB();
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        operation();
        const auto stop = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-36s median %8.2f ms  min %8.2f ms  peak RSS %6ld KiB (+%ld KiB)\n", what,
                ms[ms.size() / 2], ms.front(), peakKiB(), peakKiB() - peakBefore);
}

void fillFull(capture::CaptureState& state) {
    QRandomGenerator random(42);
    state.BufIndex = 0;
    while (state.appendSlot(int32_t(random.bounded(258)), int32_t(random.bounded(258)),
                            int32_t(random.bounded(64)))) {
    }
    state.HSpeedForSave = true;
    state.TimeGapForSave = true;
    state.GapTimeForSave = QStringLiteral("200");
    state.GapCharsForSave = QStringLiteral("- ");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("full.txt"));
    constexpr int kRounds = 20;
    std::printf("peak RSS at start: %ld KiB\n", peakKiB());

    {
        capture::CaptureState state;
        fillFull(state);
        std::printf("capture: %d slots\n", state.BufIndex);
        measure("writeCaptureFile (bytes in memory)", kRounds,
                [&] { (void)files::writeCaptureFile(state); });
        measure("saveCaptureFile (to disk, atomic)", kRounds, [&] {
            if (!files::saveCaptureFile(path, state))
                std::printf("save failed\n");
        });
        std::printf("file size: %lld bytes\n", static_cast<long long>(QFileInfo(path).size()));
        const QByteArray bytes = files::writeCaptureFile(state);
        measure("readCaptureFile (bytes in memory)", kRounds, [&] {
            if (!std::holds_alternative<files::CaptureFileContent>(files::readCaptureFile(bytes)))
                std::printf("read failed\n");
        });
        capture::CaptureState target;
        measure("loadCaptureFile + storeSlots", kRounds, [&] {
            const files::ReadResult result = files::loadCaptureFile(path);
            files::storeSlots(target, std::get<files::CaptureFileContent>(result).slotData);
        });
    }

    WindowFixture f;
    fillFull(f.window->capture());
    measure("SavePB_Action", kRounds, [&] {
        f.dialogs.saveReplies.push_back(path);
        f.window->SavePB_Action();
    });
    measure("LoadPB_Action", kRounds, [&] {
        f.dialogs.openReplies.push_back(path);
        f.window->LoadPB_Action();
    });
    if (!f.dialogs.messages.isEmpty() || f.window->capture().BufIndex != capture::kLastIndex)
        std::printf("unexpected: %d messages, BufIndex %d\n", int(f.dialogs.messages.size()),
                    f.window->capture().BufIndex);
    return 0;
}
