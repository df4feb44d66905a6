#pragma once

#include <cstdint>

#include "gui/panels/CPanel.h"

// The "Radio Configuration" tab for devices with register files.
class CRadioSettingsPnl : public CPanel {
public:
    explicit CRadioSettingsPnl(QWidget* parent);

    void SaveChannel();
    int GetChannel(uint8_t* channel) const;
    int TakeChannelChanged();
};
