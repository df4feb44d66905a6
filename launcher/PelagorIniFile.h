#pragma once

#include <string>
#include <vector>

#include "launcher/INI_DATA_REC.h"

// The launcher's table of protocol and chip entries ("Pelagor.ini"):
//   Version = "text"
//   AddSniffer "display name", "parameters", TAG;
//   [Strings]
//   TAG = "information text"
// Problems are shown in message boxes.
class PelagorIniFile {
public:
    static constexpr const char* kDefaultFileName = "Pelagor.ini";

    PelagorIniFile() = default;
    virtual ~PelagorIniFile() = default;
    PelagorIniFile(const PelagorIniFile&) = delete;
    PelagorIniFile& operator=(const PelagorIniFile&) = delete;

    // True when the file was read without a problem; the entries read before a problem that
    // stopped the read are kept.
    bool Read(const std::string& path = kDefaultFileName);

    int GetCount() const { return static_cast<int>(entries_.size()); }
    // The entry at index; nullptr outside the entries.
    const INI_DATA_REC* GetEntry(int index) const;
    // The entry's texts; empty outside the entries.
    std::string GetName(int index) const;
    std::string GetParameters(int index) const;
    std::string GetInfo(int index) const;
    const std::string& GetVersion() const { return version_; }
    const std::vector<INI_DATA_REC>& Entries() const { return entries_; }

private:
    enum class LineResult { Done, Stop };

    LineResult ReadLine(const std::string& line);
    LineResult ReadVersion(const std::string& line);
    LineResult ReadEntry(const std::string& line);
    LineResult ReadText(const std::string& line, size_t equals);

    std::vector<INI_DATA_REC> entries_;
    std::string version_;
    bool inStrings_ = false;
    bool complete_ = true;
};
