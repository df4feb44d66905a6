// Saving and opening a data file through the main window's commands, headless, with the
// Tolvane plug-in: the store is filled with IEEE 802.15.4 traffic, saved with "Save data..."
// (temporary file, sync, rename) and opened again with "Open data..." until the reader's end
// message, the window refreshing meanwhile (auto-scroll on, so every tick shows the newest
// rows). Figures: seconds, packets a second, the open next to the store alone opening the same
// file, the worst stall of the GUI thread (the longest gap between two ticks of a 10 ms
// timer), resident memory before and after the open.
// Run: build/release/bench/data_file_window_bench [packets]   (default 1000000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench/BenchClock.h"
#include "bench/ResidentMemory.h"
#include "bench/StoreFill.h"
#include "bench/TolvaneTraffic.h"
#include "core/store/PacketManager.h"
#include "core/store/ReadFileThread.h"
#include "gui/CMarlinexDlg.h"
#include "gui/CTrueColorToolBar.h"
#include "gui/CommandIds.h"
#include "gui/FileDialog.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

namespace {

using benchsupport::Clock;
using benchsupport::Ms;

constexpr const char* kPlugin = PELAGOR_PROTOCOLS_DIR "/Tolvane/Tolvane.so";
constexpr const char* kSaveFirst = "Would you like to save the current data before proceeding?";
// The window's default cache, for the store alone too.
constexpr uint16_t kCacheMb = 20;

// The longest gap between two ticks of a 10 ms timer on the GUI thread while it runs.
class StallMeter : public QObject {
public:
    StallMeter()
    {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] {
            worst_ = std::max(worst_, Ms(Clock::now() - last_));
            last_ = Clock::now();
        });
    }
    void Start()
    {
        worst_ = 0;
        last_ = Clock::now();
        timer_.start();
    }
    // Counts the gap up to now as well: a phase that blocked the thread to its end.
    double Stop()
    {
        worst_ = std::max(worst_, Ms(Clock::now() - last_));
        timer_.stop();
        return worst_;
    }

private:
    QTimer timer_;
    Clock::time_point last_;
    double worst_ = 0;
};

// Runs the event loop until done() holds, looking every 5 ms.
void RunUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    if (!done())
        loop.exec();
}

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// Packets a second of the store alone reading the file to its end.
double OpenWithStoreAlone(PacketManager& alone, PluginHandler& host, const std::string& path)
{
    const auto start = Clock::now();
    alone.OpenFile(path, 0, true, host.ProtocolName(), 0);
    while (alone.FileReader() != nullptr && alone.FileReader()->Running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = Seconds(Clock::now() - start);
    alone.DeleteFileReader();
    return alone.GetPacketCount(0) / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t packets = argc > 1 ? std::atoi(argv[1]) : 1000000;
    if (packets < 1) {
        std::fprintf(stderr, "usage: data_file_window_bench [packets]\n");
        return 2;
    }
    testsupport::TempFolder home;
    testsupport::ScopedEnvironment config("XDG_CONFIG_HOME", home.Path().string().c_str());
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    PrepareGuiProcess();
    // "Save first?" is answered No; anything else goes to standard error.
    GuiPlatform platform([](const platform::MessageBoxRequest& request) {
        if (request.text == kSaveFirst)
            return platform::MessageAnswer::No;
        return GuiPlatform::WriteToStandardError(request);
    });
    testsupport::TempFolder files;
    const std::string path = (files.Path() / "capture.pld").string();
    SetFileDialogHandler([&](const FileDialogRequest&) { return path; });

    bool ok = true;
    {
        CMarlinexDlg window(nullptr, PELAGOR_PROGRAM_DIR "/");
        window.SetPluginPath(kPlugin);
        window.resize(1920, 1080);
        window.Create();
        window.show();
        QCoreApplication::processEvents();
        if (!window.PluginLoaded()) {
            std::fprintf(stderr, "the plug-in did not load\n");
            return 1;
        }
        window.ToolBar()->SetChecked(command::kAutoScroll, true);
        window.OnCommand(command::kAutoScroll);

        PacketManager& store = window.Store();
        const auto traffic = benchsupport::TrafficMix(20000);
        // The disk buffer is made by the first reset (or start).
        window.OnCommand(command::kReset);
        const auto fillStart = Clock::now();
        if (!benchsupport::FillStore(store, packets, traffic))
            return 1;
        QCoreApplication::processEvents();
        std::printf("store of %d Tolvane packets filled in %.1f s\n", packets, Seconds(Clock::now() - fillStart));

        StallMeter stalls;
        stalls.Start();
        const auto saveStart = Clock::now();
        window.OnCommand(command::kSaveData);
        const double saveSeconds = Seconds(Clock::now() - saveStart);
        QCoreApplication::processEvents();
        const double saveStall = stalls.Stop();
        const auto fileSize = std::filesystem::exists(path) ? std::filesystem::file_size(path) : 0;
        if (fileSize != static_cast<uintmax_t>(packets) * (1u + store.RawLength())) {
            std::fprintf(stderr, "the saved file has %ju bytes\n", static_cast<uintmax_t>(fileSize));
            return 1;
        }
        std::printf("Save data: %d packets (%.0f MB) in %.2f s, %.0f packets/s; worst GUI stall %.0f ms "
                    "(the save runs on the GUI thread)\n",
                    packets, fileSize / 1e6, saveSeconds, packets / saveSeconds, saveStall);

        const long residentBefore = benchsupport::ResidentKiB();
        stalls.Start();
        const auto openStart = Clock::now();
        window.OnCommand(command::kOpenData);
        const double commandMs = Ms(Clock::now() - openStart);
        RunUntil([&] { return store.FileReader() == nullptr; });
        const double openSeconds = Seconds(Clock::now() - openStart);
        const double openStall = stalls.Stop();
        const long residentAfter = benchsupport::ResidentKiB();
        if (store.GetPacketCount(0) != packets) {
            std::fprintf(stderr, "the window read %d packets\n", store.GetPacketCount(0));
            return 1;
        }
        const double windowRate = packets / openSeconds;

        // The store alone, on the window's plug-in, opens the same file from the same start: full
        // of the same packets, whose buffer the open empties. Twice, the faster run counts, so that
        // the page cache favours neither.
        PacketManager alone;
        PluginHandler& host = window.Host();
        if (!testsupport::SetUpStore(alone, &host, host.RawLength(), host.ParsedLength(),
                                     files.Path().string() + "/alone-", kCacheMb) ||
            !benchsupport::FillStore(alone, packets, traffic))
            return 1;
        const double aloneRate =
            std::max(OpenWithStoreAlone(alone, host, path), OpenWithStoreAlone(alone, host, path));
        const double ratio = aloneRate > 0 ? windowRate / aloneRate : 0;

        std::printf("Open data until the end message: %d packets in %.2f s, %.0f packets/s; store alone %.0f "
                    "packets/s; window/alone %.3f (goal at least 0.900)\n",
                    packets, openSeconds, windowRate, aloneRate, ratio);
        std::printf("  worst GUI stall %.1f ms (goal under 100 ms), the command itself %.1f ms; resident memory "
                    "%ld KiB before, %ld KiB after\n",
                    openStall, commandMs, residentBefore, residentAfter);
        ok = ratio >= 0.9 && openStall < 100;
        window.close();
    }
    // The figures are the result; a short or loaded run may miss the goals without a fault.
    std::printf("%s\n", ok ? "goals met" : "GOALS MISSED");
    return 0;
}
