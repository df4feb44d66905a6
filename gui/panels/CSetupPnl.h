#pragma once

#include <string>

#include "gui/panels/CPanel.h"

// The "Capturing device" tab: the attached capture devices and the USART choice.
class CSetupPnl : public CPanel {
public:
    explicit CSetupPnl(QWidget* parent);

    void SetPluginFolder(const std::string& folder) { pluginFolder_ = folder; }
    const std::string& PluginFolder() const { return pluginFolder_; }
    void RefreshDeviceList();
    void EnableDeviceList(bool on);
    // The chip name of the selected device; empty when none is selected.
    const std::string& SelectedChipName() const { return selectedChipName_; }
    int UsartChoice() const { return usartChoice_; }

private:
    std::string pluginFolder_;
    std::string selectedChipName_;
    int usartChoice_ = 0;
};
