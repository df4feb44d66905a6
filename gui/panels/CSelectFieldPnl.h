#pragma once

#include "gui/panels/CPanel.h"

class CPacketListCtrl;
class FieldInfo;

// The "Select fields" tab: which fields the packet list shows, and how.
class CSelectFieldPnl : public CPanel {
public:
    explicit CSelectFieldPnl(QWidget* parent);

    void SetPacketList(CPacketListCtrl* list) { list_ = list; }
    void BuildListBoxes(FieldInfo* fields);
    void ClearListBoxes();
    void SaveSettings();
    int ListBoxCount() const { return listBoxes_; }

private:
    CPacketListCtrl* list_ = nullptr;
    FieldInfo* fields_ = nullptr;
    int listBoxes_ = 0;
};
