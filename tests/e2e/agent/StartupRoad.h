#pragma once

#include <QObject>
#include <QPointer>

#include "tests/e2e/agent/StepRunner.h"

class QComboBox;
class ReportWriter;

// The launcher's part of the road: choose the Tolvane entry, press Start, see the main
// program come up (its own agent reports it), close the launcher.
class StartupRoad : public QObject {
public:
    StartupRoad(const ReportWriter& report, QObject* parent);
    void Start() { runner_.Start(); }

private:
    bool MainProgramUp() const;

    const ReportWriter& report_;
    StepRunner runner_;
    QPointer<QWidget> window_;
    QPointer<QComboBox> entries_;
};
