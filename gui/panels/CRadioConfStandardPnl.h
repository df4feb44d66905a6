#pragma once

#include <cstdint>
#include <string>

#include "gui/WindowMessageTarget.h"
#include "gui/panels/CPanel.h"

// The "Radio Configuration" tab for devices without register files: the channel list and the
// keys. Receives the plug-in's new key texts.
class CRadioConfStandardPnl : public CPanel, public WindowMessageTarget {
public:
    explicit CRadioConfStandardPnl(QWidget* parent);

    void FillChannelList(bool bluetoothLowEnergy, bool extendedChannels);
    void SaveSettings();
    void EnableControls(bool on);
    int GetChannel(uint8_t* channel) const;
    int TakeChannelChanged();

    void OnWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam, const std::string& text) override;

private:
    bool bluetoothLowEnergy_ = false;
    bool extendedChannels_ = false;
};
