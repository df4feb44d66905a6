#pragma once

#include "gui/panels/CPanel.h"
#include "gui/views/HelpTip.h"

class CPacketTimeLineCtrl;
class QEvent;
class QResizeEvent;

// The "Time line" tab: holds the time-line view, which fills it, and the view's help tip.
class CTimeLinePnl : public CPanel {
public:
    static const char* const kViewTip;

    explicit CTimeLinePnl(QWidget* parent);
    ~CTimeLinePnl() override;

    CPacketTimeLineCtrl* View() { return view_; }
    void SetAutoScroll(bool on);
    int LoadFrameDefinitions(const char* pluginFolder);

    HelpTip& Tips() { return helpTip_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Escape is the panel's own: the view never sees it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    HelpTip helpTip_;
    CPacketTimeLineCtrl* view_;
};
