// Start-up time of the real programs, headless, each run in fresh folders: the launcher
// Startup until the main window it starts (Tolvane entry, Start pressed at the launcher's
// first paint) has painted, next to the main program Marlinex started alone with the same
// plug-in. A preloaded agent reports the paints; the times are from just before the spawn.
//
// Usage: startup_time_bench [runs]   (default 3 of each, alternating; every run and the
//                                     medians are printed, in ms)
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "bench/BenchClock.h"
#include "bench/startup_agent/StartupTimeReport.h"
#include "tests/e2e/ProcessTree.h"
#include "tests/e2e/RoadReport.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Far more than a start takes; a run that hangs is killed and the bench fails.
constexpr auto kRunLimit = 30s;
// What the launcher's Tolvane entry passes, from the main program's folder.
constexpr const char* kTolvaneFromProgramDir = "../Protocols/Tolvane/Tolvane.so";

enum class Road { ThroughLauncher, Alone };

struct Timing {
    // Through the launcher only: its first paint, and Start having spawned the main program.
    double launcherPaintMs = 0;
    double startedMs = 0;
    double mainPaintMs = 0;
};

class Run {
public:
    explicit Run(Road road) : road_(road)
    {
        for (const char* folder : {"home", "config", "tmp", "runtime"})
            fs::create_directories(root_.Path() / folder);
        fs::permissions(root_.Path() / "runtime", fs::perms::owner_all);
    }

    // The run to its end; false, with why, when it cannot count.
    bool Go(Timing& timing, std::string& why)
    {
        const std::string report = root_ / "report.txt";
        const std::vector<std::string> environment = e2e::Environment(
            {
                {"HOME", root_ / "home"},
                {"XDG_CONFIG_HOME", root_ / "config"},
                {"TMPDIR", root_ / "tmp"},
                {"XDG_RUNTIME_DIR", root_ / "runtime"},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"PELAGOR_BOXES", "stderr"},
                {"LD_PRELOAD", STARTUP_AGENT_PATH},
                {startupbench::kReportVariable, report},
            },
            {"QT_QPA_PLATFORMTHEME", "DISPLAY", "WAYLAND_DISPLAY"});
        const bool throughLauncher = road_ == Road::ThroughLauncher;
        const std::vector<std::string> arguments =
            throughLauncher ? std::vector<std::string>{STARTUP_PATH}
                            : std::vector<std::string>{MARLINEX_PATH, kTolvaneFromProgramDir};
        const std::string folder = fs::path(arguments[0]).parent_path().string();

        std::string error;
        const long long spawnedAt = startupbench::MonotonicNs();
        const pid_t started = tree_.Start(arguments[0], arguments, environment, folder, root_ / "output.txt", &error);
        if (started < 0) {
            why = arguments[0] + ": " + error;
            return false;
        }
        const bool gone = tree_.WaitUntilGone(std::chrono::steady_clock::now() + kRunLimit);
        const e2e::RoadReport read(report);
        if (!gone)
            tree_.KillAll(Pids(read, "Marlinex"));
        why = Check(read, gone, started);
        if (!why.empty()) {
            why += "\nreport:\n" + read.Text() + "output of the programs:\n" + e2e::ReadText(root_ / "output.txt");
            return false;
        }
        timing.mainPaintMs = (Paint(read, "Marlinex") - spawnedAt) / 1e6;
        if (throughLauncher) {
            timing.launcherPaintMs = (Paint(read, "Startup") - spawnedAt) / 1e6;
            timing.startedMs = (read.Number(startupbench::kStartedValue) - spawnedAt) / 1e6;
        }
        return true;
    }

private:
    static std::vector<pid_t> Pids(const e2e::RoadReport& report, const std::string& program)
    {
        std::vector<pid_t> pids;
        for (const std::string& text : report.Texts("up", program))
            pids.push_back(static_cast<pid_t>(std::strtol(text.c_str(), nullptr, 10)));
        return pids;
    }

    static long long Paint(const e2e::RoadReport& report, const std::string& program)
    {
        const std::vector<std::string> paints = report.Texts(startupbench::kPaint, program);
        return paints.size() == 1 ? std::strtoll(paints[0].c_str(), nullptr, 10) : 0;
    }

    // What keeps the run from counting; "" when nothing does.
    std::string Check(const e2e::RoadReport& report, bool gone, pid_t started) const
    {
        if (!gone)
            return "the programs did not end within " +
                   std::to_string(std::chrono::duration_cast<std::chrono::seconds>(kRunLimit).count()) + " s; killed";
        if (const std::vector<std::string> fails = report.Texts("fail"); !fails.empty())
            return fails.front();
        std::vector<std::string> programs{"Marlinex"};
        if (road_ == Road::ThroughLauncher)
            programs.push_back("Startup");
        for (const std::string& program : programs) {
            const std::vector<pid_t> pids = Pids(report, program);
            if (pids.size() != 1 || Paint(report, program) == 0)
                return program + " did not report one first paint";
            const bool first = program == (road_ == Road::ThroughLauncher ? "Startup" : "Marlinex");
            if (first && pids[0] != started)
                return program + " painted in another process than the one started";
            const auto ended = tree_.Ended().find(pids[0]);
            if (ended == tree_.Ended().end())
                return program + " was not seen to end";
            if (ended->second != 0)
                return program + " ended with " + e2e::Describe(ended->second);
        }
        if (road_ == Road::ThroughLauncher && report.Number(startupbench::kStartedValue) <= 0)
            return "the launcher did not report Start";
        std::string left;
        for (const fs::directory_entry& entry : fs::directory_iterator(root_.Path() / "tmp"))
            left.append(" ").append(entry.path().filename().string());
        if (!left.empty())
            return "left in the temporary folder:" + left;
        return "";
    }

    Road road_;
    testsupport::TempFolder root_;
    // Declared after the folder: its processes end before the folder goes.
    e2e::ProcessTree tree_;
};

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<double> throughLauncher;
    std::vector<double> launcherPaint;
    std::vector<double> afterStart;
    std::vector<double> alone;
    for (int round = 0; round < runs; ++round) {
        // Each road goes first in every other round, so neither always finds the caches warm.
        const Road first = round % 2 == 0 ? Road::ThroughLauncher : Road::Alone;
        for (const Road road : {first, first == Road::Alone ? Road::ThroughLauncher : Road::Alone}) {
            Timing timing;
            std::string why;
            if (!Run(road).Go(timing, why)) {
                std::fprintf(stderr, "run %d (%s) failed: %s\n", round + 1,
                             road == Road::Alone ? "Marlinex alone" : "through Startup", why.c_str());
                return 1;
            }
            if (road == Road::Alone) {
                std::printf("run %d, Marlinex alone: main window painted %.1f ms after the spawn\n", round + 1,
                            timing.mainPaintMs);
                alone.push_back(timing.mainPaintMs);
            } else {
                std::printf("run %d, Startup -> main window: launcher painted %.1f ms, Start done %.1f ms, main "
                            "window painted %.1f ms after the spawn of Startup (%.1f ms after Start)\n",
                            round + 1, timing.launcherPaintMs, timing.startedMs, timing.mainPaintMs,
                            timing.mainPaintMs - timing.startedMs);
                throughLauncher.push_back(timing.mainPaintMs);
                launcherPaint.push_back(timing.launcherPaintMs);
                afterStart.push_back(timing.mainPaintMs - timing.startedMs);
            }
            std::fflush(stdout);
        }
    }
    const double viaLauncher = benchsupport::Median(throughLauncher);
    const double direct = benchsupport::Median(alone);
    std::printf("median of %d: Startup -> main window %.1f ms (launcher's first paint %.1f ms, Start -> main "
                "window %.1f ms), Marlinex alone %.1f ms, difference %.1f ms\n",
                runs, viaLauncher, benchsupport::Median(launcherPaint), benchsupport::Median(afterStart), direct,
                viaLauncher - direct);
    return 0;
}
