#include "gui/views/CPacketTimeLineCtrl.h"

#include <algorithm>

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

void CPacketTimeLineCtrl::ScrollTo(int packet)
{
    firstPacket_ = std::max(0, packet);
}

void CPacketTimeLineCtrl::RefreshNewPackets() {}

void CPacketTimeLineCtrl::AddNode(int32_t) {}
