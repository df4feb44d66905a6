#include "gui/panels/CRadioConfStandardPnl.h"

CRadioConfStandardPnl::CRadioConfStandardPnl(QWidget* parent) : CPanel(parent, 186) {}

void CRadioConfStandardPnl::FillChannelList(bool bluetoothLowEnergy, bool extendedChannels)
{
    bluetoothLowEnergy_ = bluetoothLowEnergy;
    extendedChannels_ = extendedChannels;
}

void CRadioConfStandardPnl::SaveSettings() {}

void CRadioConfStandardPnl::EnableControls(bool) {}

int CRadioConfStandardPnl::GetChannel(uint8_t* channel) const
{
    *channel = 0;
    return 0;
}

int CRadioConfStandardPnl::TakeChannelChanged()
{
    return 0;
}

void CRadioConfStandardPnl::OnWindowMessage(uint32_t, uint64_t, int64_t, const std::string&) {}
