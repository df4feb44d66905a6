#pragma once

#include "gui/panels/CPanel.h"

class CPacketTimeLineCtrl;

// The "Time line" tab: holds the time-line view.
class CTimeLinePnl : public CPanel {
public:
    explicit CTimeLinePnl(QWidget* parent);

    CPacketTimeLineCtrl* View() { return view_; }
    void SetAutoScroll(bool on);
    int LoadFrameDefinitions(const char* pluginFolder);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    CPacketTimeLineCtrl* view_;
};
