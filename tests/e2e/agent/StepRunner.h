#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include "tests/e2e/agent/ScreenSeries.h"

class QWidget;
class ReportWriter;

// Drives a program step by step from its own event loop, as a user would: each step does
// its action once, from the event loop, then is looked at on every tick until it is done.
// A step that is not done in its time, or a modal window that no step expects, stops the
// road: the reason goes to the report, what the program shows to a screen, and the process
// ends at once.
class StepRunner : public QObject {
public:
    struct Step {
        std::string name;
        std::function<void()> act;   // may be empty
        std::function<bool()> done;  // empty: done once acted
        int timeoutMs = 15000;
        bool modalExpected = false;  // a modal window may be open during this step
    };

    // homeControlId: a control of the program's own window where that window is modal itself
    // (a dialog program); 0 for none.
    StepRunner(const ReportWriter& report, std::string screenPrefix, int homeControlId, QObject* parent = nullptr);

    void Add(Step step);
    // What is done once every step is through and the end is reported: closing the program,
    // after which no tick comes any more.
    void Finally(std::function<void()> last) { last_ = std::move(last); }
    void Start();

    // The step being done: its place in the road.
    size_t CurrentStep() const { return current_; }

    // Writes a screen of window and reports it.
    void Screen(QWidget* window, const std::string& name);

    // Ends the road with a failure (also from within a step).
    [[noreturn]] void Fail(const std::string& why);

private:
    void Tick();

    const ReportWriter& report_;
    ScreenSeries screens_;
    int homeControlId_;
    std::vector<Step> steps_;
    std::function<void()> last_;
    size_t current_ = 0;
    bool acted_ = false;
    qint64 stepStart_ = 0;
    QElapsedTimer clock_;
    QTimer timer_;
};
