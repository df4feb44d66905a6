// The whole window capturing from a simulated board, side by side with the engine alone, at
// the radio's maximum on one channel (about 2,840 frames a second), at ten times that, and
// unpaced: packets a second and their ratio to the engine alone, capture events, the refresh
// timer's tick with the paints it causes (median, 99th percentile, worst), the GUI thread's
// share of a core, and how long Pause takes.
// Run: build/release/bench/capture_window_bench [seconds a phase]   (default 10)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QApplication>
#include <QEventLoop>
#include <QListWidget>

#include "bench/BenchClock.h"
#include "bench/EngineCapture.h"
#include "gui/CMarlinexDlg.h"
#include "gui/CommandIds.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"
#include "gui/panels/CSetupPnl.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

namespace {

using benchsupport::Clock;
using benchsupport::Ms;

constexpr const char* kPlugin = PELAGOR_PROTOCOLS_DIR "/Tolvane/Tolvane.so";
// The window's default cache, so that both stores are alike.
constexpr uint16_t kWindowCacheMb = 20;

double ThreadCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// Times each tick of the window's refresh timer from its timer event until the paints it
// asked for are done.
class TickTimer : public QObject {
public:
    explicit TickTimer(CMarlinexDlg& window)
    {
        window.RefreshTimer().installEventFilter(this);
        // Connected after the window's own handler: runs when the tick's work is done.
        connect(&window.RefreshTimer(), &QTimer::timeout, this, [this] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
            if (started_)
                ticks.push_back(Ms(Clock::now() - start_));
            started_ = false;
        });
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Timer) {
            start_ = Clock::now();
            started_ = true;
        }
        return false;
    }

    std::vector<double> ticks;

private:
    Clock::time_point start_;
    bool started_ = false;
};

struct WindowResult {
    benchsupport::StoredCounts counts;
    double seconds = 0;
    std::vector<double> ticks;
    double guiCpuSeconds = 0;
    double pauseMs = 0;
};

WindowResult CaptureWithWindow(int framesPerSecond, uint32_t frameMicroseconds, double seconds)
{
    SimulatedBoardSource boards({benchsupport::IeeeBoard(framesPerSecond)});
    if (frameMicroseconds > 0)
        boards.SetFrameSourceFactory([frameMicroseconds](const SimulatedBoardConfig&, uint8_t) {
            return std::make_unique<benchsupport::PacedAcknowledgements>(frameMicroseconds);
        });
    InstallDravikBoardSource(&boards);

    WindowResult result;
    {
        CMarlinexDlg window(nullptr, PELAGOR_PROGRAM_DIR "/");
        window.SetPluginPath(kPlugin);
        window.resize(1920, 1080);
        window.Create();
        window.show();
        QCoreApplication::processEvents();
        QListWidget* devices = window.DevicePanel()->DeviceList();
        if (devices->count() < 1) {
            std::fprintf(stderr, "no device listed\n");
            std::exit(1);
        }
        devices->setCurrentRow(0);
        TickTimer ticks(window);
        window.OnCommand(command::kStart);
        if (!window.Capturing()) {
            std::fprintf(stderr, "the window did not start capturing\n");
            std::exit(1);
        }
        const double cpuBefore = ThreadCpuSeconds();
        const auto start = Clock::now();
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
        loop.exec();
        const auto pauseStart = Clock::now();
        window.OnCommand(command::kPause);
        result.pauseMs = Ms(Clock::now() - pauseStart);
        result.seconds = std::chrono::duration<double>(pauseStart - start).count();
        result.guiCpuSeconds = ThreadCpuSeconds() - cpuBefore;
        result.ticks = ticks.ticks;
        result.counts = benchsupport::CountStored(window.Store(), window.Host().RawLength());
        window.close();
    }
    InstallDravikBoardSource(nullptr);
    return result;
}

double Percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(fraction * values.size()))];
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    testsupport::TempFolder home;
    testsupport::ScopedEnvironment config("XDG_CONFIG_HOME", home.Path().string().c_str());
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    PrepareGuiProcess();
    GuiPlatform platform(&GuiPlatform::WriteToStandardError);

    struct Phase {
        const char* name;
        int rate;
        uint32_t frameMicroseconds;
    };
    const uint32_t onAir = benchsupport::PacedAcknowledgements::kOnAirMicroseconds;
    const Phase phases[] = {
        {"radio maximum", static_cast<int>(1000000 / onAir), onAir},
        {"ten times that", static_cast<int>(10000000 / onAir), onAir / 10},
        {"unpaced", 0, 0},
    };
    bool ok = true;
    for (const Phase& phase : phases) {
        const benchsupport::EngineCaptureResult alone =
            benchsupport::CaptureWithEngine(kPlugin, phase.rate, phase.frameMicroseconds, seconds, kWindowCacheMb);
        const WindowResult window = CaptureWithWindow(phase.rate, phase.frameMicroseconds, seconds);
        const double aloneRate = alone.packets / alone.seconds;
        const double windowRate = window.counts.packets / window.seconds;
        const double ratio = aloneRate > 0 ? windowRate / aloneRate : 0;
        std::printf("%s (%d frames/s): engine alone %.0f packets/s, %d events; window %.0f packets/s, %d events; "
                    "ratio %.3f\n",
                    phase.name, phase.rate, aloneRate, alone.events, windowRate, window.counts.events, ratio);
        std::printf("  timer tick with its paints: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms (%zu ticks); "
                    "GUI thread %.1f %% of a core; Pause %.1f ms\n",
                    benchsupport::Median(window.ticks), Percentile(window.ticks, 0.99),
                    window.ticks.empty() ? 0.0 : *std::max_element(window.ticks.begin(), window.ticks.end()),
                    window.ticks.size(), 100.0 * window.guiCpuSeconds / window.seconds, window.pauseMs);
        if (ratio < 0.9 || (phase.rate > 0 && window.counts.events > 0))
            ok = false;
    }
    // The figures are the result; a short or loaded run may miss the goals without a fault.
    std::printf("%s\n", ok ? "goals met" : "GOALS MISSED");
    return 0;
}
