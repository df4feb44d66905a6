#include "gui/panels/CRadioSettingsPnl.h"

CRadioSettingsPnl::CRadioSettingsPnl(QWidget* parent) : CPanel(parent, 176) {}

void CRadioSettingsPnl::SaveChannel() {}

int CRadioSettingsPnl::GetChannel(uint8_t* channel) const
{
    *channel = 0;
    return 0;
}

int CRadioSettingsPnl::TakeChannelChanged()
{
    return 0;
}
