#include "gui/views/CPacketListCtrl.h"

CPacketListCtrl::CPacketListCtrl(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::StyledPanel);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
}

void CPacketListCtrl::SetSmallFont(int small)
{
    smallFont_ = small != 0;
}

void CPacketListCtrl::SetFieldBufferSize(int parsedLength)
{
    parsedLength_ = parsedLength;
}

void CPacketListCtrl::UpdateScrollBars() {}

void CPacketListCtrl::SelectPacket(int) {}
