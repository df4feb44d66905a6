#pragma once

#include <istream>
#include <string>
#include <vector>

#include "core/tables/FwRec.h"
#include "core/tables/TagTable.h"

// The plug-in description file and common.plt: header keys and the sections
// "Protocol_versions", "Radio_Settings" and "Firmware".
class TabPlugin : public TagTable {
public:
    // Reads the file at once; IsEmpty tells whether anything was taken.
    explicit TabPlugin(const std::string& path);
    explicit TabPlugin(std::istream& in);

    // Append the section's entries to the caller's list, in file order; return how many.
    int GetProtocolVersions(std::vector<std::string>& list) const;
    int GetRadioSettings(std::vector<std::string>& list) const;
    int GetFirmwareList(std::vector<FW_REC>& list) const;

    // "0x<code>[::<5 characters><0 or 1>]=<file>"; false for a rejected line.
    static bool ParseFirmwareLine(const std::string& line, FW_REC& entry);

protected:
    int ParseLine(const std::string& line) override;
    void SetSection(const std::string& name) override;

private:
    std::string section_;
    std::vector<std::string> protocolVersions_;
    std::vector<std::string> radioSettings_;
    std::vector<FW_REC> firmware_;
};
