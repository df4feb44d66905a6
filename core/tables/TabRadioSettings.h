#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabRadioSettingsRec.h"

// A radio register file "*.prs": one register a line and an optional "$!RF_DEVICE=" line
// naming the chip that the settings are for.
class TabRadioSettings : public PelagorTableRows<TAB_RADIO_SETTINGS_REC> {
public:
    TabRadioSettings(const std::string& folder, const std::string& fileName);

    // Reads the whole file: 1 when every line was read, else 0 with the reason in GetError
    // (a rejected line shows no message box here: the caller shows the text). The rows read
    // before a failure stay.
    int Read();

    // The device named by the last read file's "$!RF_DEVICE=" line; empty when it had none.
    const std::string& GetRfDevice() const { return rfDevice_; }

private:
    std::string rfDevice_;
};
