#include "bench/startup_agent/MainWindowRole.h"

#include <unistd.h>

#include <string>

#include <QMainWindow>

#include "bench/startup_agent/FirstPaintWatch.h"
#include "bench/startup_agent/ProcessProgram.h"
#include "bench/startup_agent/StartupTimeReport.h"
#include "tests/e2e/agent/ReportWriter.h"

namespace {

constexpr int kPollMs = 20;
// Less than the bench's limit for a run, so the program still ends by itself.
constexpr int kLauncherWaitMs = 20000;

} // namespace

MainWindowRole::MainWindowRole(const ReportWriter& report, QObject* parent) : QObject(parent), report_(report)
{
    if (startupbench::ProcessProgram(getppid()) == "Startup")
        launcher_ = getppid();
    new FirstPaintWatch([](QWidget* window) { return qobject_cast<QMainWindow*>(window) != nullptr; },
                        [this](QWidget* window, long long at) { Painted(window, at); }, this);
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { CloseOnceLauncherGone(); });
}

void MainWindowRole::Painted(QWidget* window, long long atNs)
{
    report_.Write(startupbench::kPaint, std::to_string(atNs));
    report_.Write("up", std::to_string(getpid()));
    const QString title = window->windowTitle();
    report_.Value("main.title", title.toStdString());
    // A window painted without its plug-in would be quicker, and not the program's start.
    if (!title.contains(QLatin1String("Tolvane")) || title.contains(QLatin1String("not loaded"), Qt::CaseInsensitive))
        report_.Write("fail", "the Tolvane plug-in was not loaded at the first paint: " + title.toStdString());
    window_ = window;
    waited_.start();
    CloseOnceLauncherGone();
}

void MainWindowRole::CloseOnceLauncherGone()
{
    // Once the launcher has gone, this process has another parent.
    const bool launcherGone = launcher_ == 0 || getppid() != launcher_;
    if (!launcherGone && waited_.elapsed() < kLauncherWaitMs) {
        poll_.start();
        return;
    }
    poll_.stop();
    if (!launcherGone)
        report_.Write("fail", "the launcher did not end");
    if (window_ != nullptr)
        window_->close();
}
