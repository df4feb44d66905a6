#pragma once

#include "gui/panels/CPanel.h"

class CPacketListCtrl;
class PacketManager;

// The "Display filter" tab: filter rows compiled into the store's filter.
class CDisplayFilterPnl : public CPanel {
public:
    explicit CDisplayFilterPnl(QWidget* parent);

    void SetPacketList(CPacketListCtrl* list) { list_ = list; }
    void SetPacketManager(PacketManager* store) { store_ = store; }
    void SetParsedLength(int parsedLength) { parsedLength_ = parsedLength; }
    int LoadFieldNames(const char* pluginFolder);

private:
    CPacketListCtrl* list_ = nullptr;
    PacketManager* store_ = nullptr;
    int parsedLength_ = 0;
};
