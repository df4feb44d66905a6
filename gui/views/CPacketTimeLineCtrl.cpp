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

void CPacketTimeLineCtrl::RemoveNode(uint32_t) {}

void CPacketTimeLineCtrl::SetNodeName(uint32_t, const char*) {}

void CPacketTimeLineCtrl::AddNodes(uint32_t, uint32_t) {}

void CPacketTimeLineCtrl::UpdateScrollBars() {}

void CPacketTimeLineCtrl::ScrollTo(int packet)
{
    firstPacket_ = std::max(0, packet);
}

void CPacketTimeLineCtrl::RefreshNewPackets() {}

void CPacketTimeLineCtrl::AddNode(int32_t) {}
