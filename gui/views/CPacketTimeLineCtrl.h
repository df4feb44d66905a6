#pragma once

#include <QAbstractScrollArea>

#include "core/store/NodeSink.h"

class CPacketListCtrl;
class PacketManager;

// The time line of packets against their nodes. The store tells it of new nodes on its
// reader or file thread.
class CPacketTimeLineCtrl : public QAbstractScrollArea, public NodeSink {
public:
    explicit CPacketTimeLineCtrl(QWidget* parent);

    void SetPacketList(CPacketListCtrl* list) { list_ = list; }
    void SetPacketManager(PacketManager* store) { store_ = store; }
    int LoadFrameDefinitions(const char* pluginFolder);
    void SetAutoScroll(bool on) { autoScroll_ = on; }
    void RemoveAllNodes();
    void RemoveNode(uint32_t address);
    void SetNodeName(uint32_t address, const char* name);
    // Rows for the packet's source and destination node (0xFFFFFFFF: none); any thread.
    void AddNodes(uint32_t source, uint32_t destination);
    void UpdateScrollBars();
    void ScrollTo(int packet);
    void RefreshNewPackets();
    // The packets the view shows: the first one's position and how many columns fit.
    int FirstVisiblePacket() const { return firstPacket_; }
    int VisiblePacketColumns() const { return 0; }

    // Any thread.
    void AddNode(int32_t nodeId) override;

private:
    CPacketListCtrl* list_ = nullptr;
    PacketManager* store_ = nullptr;
    bool autoScroll_ = false;
    int firstPacket_ = 0;
};
