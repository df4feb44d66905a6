#include "tests/e2e/agent/StepRunner.h"

#include <cstdlib>
#include <utility>

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>

#include "tests/e2e/agent/ReportWriter.h"
#include "tests/e2e/agent/UserHand.h"

namespace {

constexpr int kTickMs = 40;
// The exit status of a program whose road failed: none of its own.
constexpr int kFailedStatus = 97;

} // namespace

StepRunner::StepRunner(const ReportWriter& report, std::string screenPrefix, int homeControlId, QObject* parent)
    : QObject(parent), report_(report), screens_(std::move(screenPrefix)), homeControlId_(homeControlId)
{
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void StepRunner::Add(Step step)
{
    steps_.push_back(std::move(step));
}

void StepRunner::Start()
{
    clock_.start();
    timer_.start();
}

void StepRunner::Screen(QWidget* window, const std::string& name)
{
    report_.Write("screen", screens_.Save(window, name));
}

void StepRunner::Fail(const std::string& why)
{
    const std::string step = current_ < steps_.size() ? steps_[current_].name : std::string("after the last step");
    report_.Write("fail", step + ": " + why);
    QWidget* shown = QApplication::activeModalWidget();
    if (shown == nullptr)
        shown = QApplication::activeWindow();
    if (shown == nullptr)
        shown = userhand::MainWindow();
    if (shown != nullptr)
        Screen(shown, "failed");
    std::_Exit(kFailedStatus);
}

void StepRunner::Tick()
{
    // Past the last step no modal window is expected either: the program is closing.
    const bool modalExpected = current_ < steps_.size() && steps_[current_].modalExpected;
    if (!modalExpected) {
        QWidget* modal = QApplication::activeModalWidget();
        const bool home =
            modal != nullptr && homeControlId_ != 0 && userhand::Control<QWidget>(modal, homeControlId_) != nullptr;
        if (modal != nullptr && !home) {
            const auto* box = qobject_cast<QMessageBox*>(modal);
            const QString text = box != nullptr ? box->text() : modal->windowTitle();
            report_.Write("box", text.toStdString());
            Fail("a modal window nobody expected: " + text.toStdString());
        }
    }
    if (current_ >= steps_.size())
        return;
    const Step& step = steps_[current_];
    const qint64 now = clock_.elapsed();
    if (!acted_) {
        acted_ = true;
        stepStart_ = now;
        if (step.act)
            userhand::Later(step.act);
        return;
    }
    if (!step.done || step.done()) {
        report_.Write("step", step.name + " (" + std::to_string(now - stepStart_) + " ms)");
        ++current_;
        acted_ = false;
        if (current_ == steps_.size()) {
            report_.Write("end", std::to_string(now) + " ms");
            if (last_)
                userhand::Later(last_);
        }
        return;
    }
    if (now - stepStart_ > step.timeoutMs)
        Fail("not done in " + std::to_string(step.timeoutMs) + " ms");
}
