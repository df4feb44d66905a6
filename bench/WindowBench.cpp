// The main window's start: time from process start to the first painted window with the
// Tolvane plug-in, and resident memory once it idles with the default 20 MB cache.
//
// Usage: window_bench [runs]   (default 3; each run is a fresh process, the median is printed)
//        window_bench --child  (one run, reports on standard output)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include "bench/ResidentMemory.h"
#include "gui/CMarlinexDlg.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"

extern char** environ;

namespace {

constexpr int kIdleMs = 3000;

int64_t MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

class FirstPaint : public QObject {
public:
    int64_t at = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && at == 0)
            at = MonotonicNs();
        return QObject::eventFilter(watched, event);
    }
};

int Child(int argc, char** argv)
{
    const int64_t mainAt = MonotonicNs();
    QApplication application(argc, argv);
    PrepareGuiProcess();
    GuiPlatform platform(&GuiPlatform::WriteToStandardError);
    FirstPaint paint;
    long idleKiB = 0;
    {
        CMarlinexDlg window(nullptr, PELAGOR_PROGRAM_DIR "/");
        window.SetPluginPath(PELAGOR_PROTOCOLS_DIR "/Tolvane/Tolvane.so");
        window.installEventFilter(&paint);
        QTimer::singleShot(kIdleMs, &window, [&] {
            idleKiB = benchsupport::ResidentKiB();
            window.close();
        });
        window.DoModal();
        if (!window.PluginLoaded()) {
            std::fprintf(stderr, "the plug-in did not load\n");
            return 1;
        }
    }
    std::printf("main %lld\npaint %lld\nrss %ld\n", static_cast<long long>(mainAt),
                static_cast<long long>(paint.at), idleKiB);
    return paint.at != 0 ? 0 : 1;
}

struct Run {
    double startToPaintMs;
    double mainToPaintMs;
    long idleKiB;
};

bool SpawnChild(const char* self, Run& run)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(self), const_cast<char*>("--child"), nullptr};
    const int64_t spawnedAt = MonotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, self, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return false;
    }
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(out[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    long long mainAt = 0;
    long long paintAt = 0;
    long rss = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text.c_str(), "main %lld\npaint %lld\nrss %ld", &mainAt, &paintAt, &rss) != 3)
        return false;
    run = {(paintAt - spawnedAt) / 1e6, (paintAt - mainAt) / 1e6, rss};
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return Child(argc, argv);

    // Defaults for every setting, and no display needed.
    char folder[] = "/tmp/pelagor-window-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 1;
    setenv("XDG_CONFIG_HOME", folder, 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::vector<Run> results;
    for (int i = 0; i < runs; ++i) {
        Run run{};
        if (!SpawnChild("/proc/self/exe", run)) {
            std::fprintf(stderr, "run %d failed\n", i + 1);
            return 1;
        }
        std::printf("run %d: process start to first paint %.1f ms (main() to first paint %.1f ms), "
                    "resident at idle %ld KiB\n",
                    i + 1, run.startToPaintMs, run.mainToPaintMs, run.idleKiB);
        results.push_back(run);
    }
    auto median = [&](auto member) {
        std::vector<double> values;
        for (const Run& run : results)
            values.push_back(static_cast<double>(run.*member));
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    std::printf("median of %d: process start to first paint %.1f ms, resident at idle %.0f KiB\n", runs,
                median(&Run::startToPaintMs), median(&Run::idleKiB));
    std::string remove = std::string("rm -rf '") + folder + "'";
    return std::system(remove.c_str()) == 0 ? 0 : 1;
}
