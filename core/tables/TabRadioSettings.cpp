#include "core/tables/TabRadioSettings.h"

#include <cstring>

namespace {

constexpr char kDeviceDirective[] = "$!RF_DEVICE=";

} // namespace

TabRadioSettings::TabRadioSettings(const std::string& folder, const std::string& fileName)
    : PelagorTableRows(folder, fileName)
{
    AddColumn("REGNAME", kString, 20);
    AddColumn("REGADDRESS", kHex, 6);
    AddColumn("REGVALUE", kHex, 4);
    AddColumn("REGDESCRIPTION", kString, 255);
    SetColumnTarget(0, row_.REGNAME, sizeof row_.REGNAME);
    SetColumnTarget(1, &row_.REGADDRESS);
    SetColumnTarget(2, &row_.REGVALUE);
    SetColumnTarget(3, row_.REGDESCRIPTION, sizeof row_.REGDESCRIPTION);
    // Hand-edited register files keep blank lines between their groups.
    SetSkipBlankLines(true);
}

int TabRadioSettings::Read()
{
    rfDevice_.clear();
    return ReadRows("", false, [this](const char* line) {
        const char* found = std::strstr(line, kDeviceDirective);
        if (found == nullptr)
            return;
        std::string device(found + sizeof kDeviceDirective - 1);
        while (!device.empty() && (device.back() == '\n' || device.back() == '\r'))
            device.pop_back();
        rfDevice_ = device;
    });
}
