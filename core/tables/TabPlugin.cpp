#include "core/tables/TabPlugin.h"

#include <cstdlib>

namespace {

template <typename T>
int AppendAll(const std::vector<T>& from, std::vector<T>& to)
{
    to.insert(to.end(), from.begin(), from.end());
    return static_cast<int>(from.size());
}

} // namespace

TabPlugin::TabPlugin(const std::string& path)
{
    Read(path);
}

TabPlugin::TabPlugin(std::istream& in)
{
    ReadLines(in);
}

int TabPlugin::GetProtocolVersions(std::vector<std::string>& list) const
{
    return AppendAll(protocolVersions_, list);
}

int TabPlugin::GetRadioSettings(std::vector<std::string>& list) const
{
    return AppendAll(radioSettings_, list);
}

int TabPlugin::GetFirmwareList(std::vector<FW_REC>& list) const
{
    return AppendAll(firmware_, list);
}

void TabPlugin::SetSection(const std::string& name)
{
    section_ = name;
}

int TabPlugin::ParseLine(const std::string& line)
{
    if (section_ == "Protocol_versions") {
        protocolVersions_.push_back(line);
        return 1;
    }
    if (section_ == "Radio_Settings") {
        radioSettings_.push_back(line);
        return 1;
    }
    if (section_ == "Firmware") {
        FW_REC entry;
        if (!ParseFirmwareLine(line, entry))
            return 0;
        firmware_.push_back(std::move(entry));
        return 1;
    }
    return 0;
}

bool TabPlugin::ParseFirmwareLine(const std::string& line, FW_REC& entry)
{
    const size_t equals = line.find('=');
    const size_t colons = line.find("::");
    std::string codeText;
    if (colons != std::string::npos) {
        codeText = line.substr(0, colons);
        const size_t choiceAt = colons + 7;
        const char choice = choiceAt < line.size() ? line[choiceAt] : '\0';
        if (choice != '0' && choice != '1')
            return false;
        entry.usartChoice = choice - '0';
    } else {
        codeText = line.substr(0, equals);
        entry.usartChoice = 1;
    }

    // The first two characters stand for "0x"; the rest is read like "%x".
    if (codeText.size() <= 2)
        return false;
    const char* digits = codeText.c_str() + 2;
    char* end = nullptr;
    const unsigned long code = std::strtoul(digits, &end, 16);
    if (end == digits)
        return false;
    entry.chipCode = static_cast<uint16_t>(code);
    entry.file = equals != std::string::npos ? line.substr(equals + 1) : line;
    return true;
}
