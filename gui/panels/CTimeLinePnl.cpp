#include "gui/panels/CTimeLinePnl.h"

#include "gui/views/CPacketTimeLineCtrl.h"

CTimeLinePnl::CTimeLinePnl(QWidget* parent) : CPanel(parent, 148), view_(new CPacketTimeLineCtrl(this))
{
    view_->setGeometry(0, 0, 600, 200);
}

void CTimeLinePnl::SetAutoScroll(bool on)
{
    view_->SetAutoScroll(on);
}

int CTimeLinePnl::LoadFrameDefinitions(const char* pluginFolder)
{
    return view_->LoadFrameDefinitions(pluginFolder);
}

void CTimeLinePnl::resizeEvent(QResizeEvent* event)
{
    CPanel::resizeEvent(event);
    view_->setGeometry(rect());
}
