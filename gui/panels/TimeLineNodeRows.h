#pragma once

#include "gui/panels/NodeRowSink.h"
#include "gui/views/CPacketTimeLineCtrl.h"

// The node rows of the time-line view, as the address-book panel mirrors them.
class TimeLineNodeRows : public NodeRowSink {
public:
    explicit TimeLineNodeRows(CPacketTimeLineCtrl* view) : view_(view) {}

    void AddNodes(uint32_t source, uint32_t destination) override { view_->AddNodes(source, destination); }
    void SetNodeName(uint32_t value, const char* name) override { view_->SetNodeName(value, name); }
    void RemoveNode(uint32_t value) override { view_->RemoveNode(value); }
    void RemoveAllNodes() override { view_->RemoveAllNodes(); }
    void Refresh() override { view_->viewport()->update(); }

private:
    CPacketTimeLineCtrl* view_;
};
