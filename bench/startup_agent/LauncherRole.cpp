#include "bench/startup_agent/LauncherRole.h"

#include <unistd.h>

#include <string>

#include <QComboBox>
#include <QPushButton>

#include "bench/startup_agent/FirstPaintWatch.h"
#include "bench/startup_agent/StartupTimeReport.h"
#include "tests/e2e/RoadReport.h"
#include "tests/e2e/agent/ReportWriter.h"
#include "tests/e2e/agent/UserHand.h"

namespace {

constexpr int kEntryListId = 1001;
constexpr int kStartButtonId = 1000;
constexpr const char* kEntry = "TOLVANE";
constexpr int kPollMs = 20;
// Less than the bench's limit for a run, so the launcher still ends by itself.
constexpr int kMainWaitMs = 20000;

} // namespace

LauncherRole::LauncherRole(const ReportWriter& report, QObject* parent) : QObject(parent), report_(report)
{
    new FirstPaintWatch([](QWidget* window) { return userhand::Control<QComboBox>(window, kEntryListId) != nullptr; },
                        [this](QWidget* window, long long at) { Painted(window, at); }, this);
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, [this] { CloseOnceMainPainted(); });
}

void LauncherRole::Painted(QWidget* window, long long atNs)
{
    window_ = window;
    report_.Write(startupbench::kPaint, std::to_string(atNs));
    report_.Write("up", std::to_string(getpid()));
    auto* entries = userhand::Control<QComboBox>(window, kEntryListId);
    auto* start = userhand::Control<QPushButton>(window, kStartButtonId);
    if (start == nullptr || !userhand::ChooseEntry(entries, QString::fromLatin1(kEntry))) {
        report_.Write("fail", start == nullptr ? "no Start button" : "no entry of the list names TOLVANE");
        Close();
        return;
    }
    report_.Value("launcher.chosen", entries->currentText().toStdString());
    userhand::Click(start);
    // Start returns once the main program is spawned.
    report_.Value(startupbench::kStartedValue, startupbench::MonotonicNs());
    waited_.start();
    poll_.start();
}

void LauncherRole::CloseOnceMainPainted()
{
    const e2e::RoadReport report(report_.Path());
    const bool answered = !report.Texts(startupbench::kPaint, "Marlinex").empty() ||
                          !report.Texts("fail", "Marlinex").empty();
    if (!answered && waited_.elapsed() < kMainWaitMs)
        return;
    if (!answered)
        report_.Write("fail", "the main program did not paint its window");
    Close();
}

void LauncherRole::Close()
{
    poll_.stop();
    if (window_ == nullptr)
        return;
    // "Exit" is the dialog's cancel button.
    if (!userhand::ClickButton(window_, QStringLiteral("Exit")))
        window_->close();
}
