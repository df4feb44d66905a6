#pragma once

#include "gui/panels/CPanel.h"

// The "Packet details" tab: the selected packet's summary and bytes.
class CPacketDetailsPnl : public CPanel {
public:
    explicit CPacketDetailsPnl(QWidget* parent);
};
