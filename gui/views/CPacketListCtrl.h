#pragma once

#include <QAbstractScrollArea>

class CPacketTimeLineCtrl;
class FieldInfo;
class PacketManager;
class PluginHandler;

// The scrolling list of packets, one row of field boxes each.
class CPacketListCtrl : public QAbstractScrollArea {
public:
    explicit CPacketListCtrl(QWidget* parent);

    void SetPacketManager(PacketManager* store) { store_ = store; }
    void SetPluginHandler(PluginHandler* host) { host_ = host; }
    void SetFieldInfo(FieldInfo* fields) { fields_ = fields; }
    void SetTimeLine(CPacketTimeLineCtrl* timeLine) { timeLine_ = timeLine; }
    void SetSmallFont(int small);
    void SetFieldBufferSize(int parsedLength);
    void SetAutoScroll(bool on) { autoScroll_ = on; }
    void UpdateScrollBars();
    void SelectPacket(int position);
    // Whether a row could not be drawn at the last paint because its packet was not loaded.
    bool RowsMissing() const { return rowsMissing_; }

private:
    PacketManager* store_ = nullptr;
    PluginHandler* host_ = nullptr;
    FieldInfo* fields_ = nullptr;
    CPacketTimeLineCtrl* timeLine_ = nullptr;
    bool smallFont_ = false;
    bool autoScroll_ = false;
    bool rowsMissing_ = false;
    int parsedLength_ = 0;
};
