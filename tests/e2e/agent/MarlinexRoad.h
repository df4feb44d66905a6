#pragma once

#include <cstdint>
#include <string>

#include <QObject>
#include <QPointer>
#include <QString>

#include "tests/e2e/agent/StepRunner.h"

class QAbstractScrollArea;
class QMainWindow;
class QWidget;
class ReportWriter;

// The main program's part of the road: a capture on the simulated IEEE 802.15.4 dongle, the
// views that fill, a display filter, saving, opening again, saving again, closing.
class MarlinexRoad : public QObject {
public:
    MarlinexRoad(const ReportWriter& report, QObject* parent);
    void Start() { runner_.Start(); }

private:
    void AddWindowSteps();
    void AddCaptureSteps();
    void AddViewSteps(const std::string& when);
    void AddFilterSteps();
    void AddFileSteps();
    // Save data... into the file name, typed into the save dialog.
    void AddSaveSteps(const std::string& what, const QString& fileName);
    // Types the file name into the open file dialog and presses its button (a
    // QDialogButtonBox::StandardButton).
    void AddFileNameSteps(const std::string& what, const QString& fileName, int button);

    long long Packets() const;
    long long FilteredPackets() const;
    // Whether the toolbar button is enabled; fails the road when there is none.
    bool ToolEnabled(int id);
    // The display-filter tab: the parent of its field-name box.
    QWidget* FilterPanel() const;
    // The list of packets (the view named CPacketListCtrl).
    QAbstractScrollArea* PacketList() const;
    // The time line, while its tab is shown: the shown view that is a scroll area drawn by
    // itself with no class name of its own (the list and the address book have theirs).
    QAbstractScrollArea* TimeLine() const;
    bool ChooseTab(const QString& caption);
    // Reports what the views show and writes a screen of the window.
    void ReportViews(const std::string& when, const std::string& screen);
    QString File(const QString& name) const;
    // true once the value has stayed the same over a few ticks of this step.
    bool Settled(long long value);

    const ReportWriter& report_;
    StepRunner runner_;
    QPointer<QMainWindow> window_;
    long long wanted_ = 500;
    long long captured_ = -1;
    long long filtered_ = -1;
    size_t settlingStep_ = SIZE_MAX;
    long long lastSeen_ = 0;
    int sameTicks_ = 0;
    QString files_;
};
