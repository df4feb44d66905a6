#include "gui/views/CPacketTimeLineCtrl.h"

CPacketTimeLineCtrl::CPacketTimeLineCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::StyledPanel);
}

int CPacketTimeLineCtrl::LoadFrameDefinitions(const char*)
{
    return 1;
}

void CPacketTimeLineCtrl::RemoveAllNodes() {}

void CPacketTimeLineCtrl::UpdateScrollBars() {}

void CPacketTimeLineCtrl::ScrollTo(int) {}

void CPacketTimeLineCtrl::RefreshNewPackets() {}

void CPacketTimeLineCtrl::AddNode(int32_t) {}
