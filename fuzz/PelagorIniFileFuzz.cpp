// The launcher's table reader on arbitrary bytes, its message boxes answered by default.
// It stops at the first problem that stops a read and names only the table's own problems;
// what it keeps holds no quote or line end where the grammar cannot put one; a file written
// with CR LF line ends reads as the same file with LF ones.
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFolder.h"
#include "launcher/PelagorIniFile.h"
#include "platform/MessageBoxRecorder.h"

namespace {

struct Read {
    bool result = false;
    std::vector<INI_DATA_REC> entries;
    std::string version;
    std::vector<std::string> boxes;
};

bool SameEntries(const std::vector<INI_DATA_REC>& a, const std::vector<INI_DATA_REC>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].parameters != b[i].parameters || a[i].info != b[i].info)
            return false;
    return true;
}

bool IsStop(const std::string& text)
{
    return text == "Not able to find text for combobox" || text == "Not able to find parameters" ||
           text == "Not able to find link to info string" || text == "Invalid tag for info string";
}

bool HoldsNone(const std::string& text, const char* characters)
{
    return text.find_first_of(characters, 0, 3) == std::string::npos;
}

Read ReadTable(const std::string& bytes)
{
    const std::string path = FuzzFolder() + "/Pelagor.ini";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << bytes;
        Check(static_cast<bool>(out));
    }
    platform::MessageBoxRecorder recorder;
    PelagorIniFile ini;
    Read read;
    read.result = ini.Read(path);
    read.entries = ini.Entries();
    read.version = ini.GetVersion();
    for (const platform::MessageBoxRequest& box : recorder.Requests()) {
        Check(box.icon == platform::MessageIcon::Exclamation);
        Check(box.buttons == platform::MessageButtons::Ok);
        read.boxes.push_back(box.text);
    }
    Check(ini.GetCount() == static_cast<int>(read.entries.size()));
    Check(ini.GetEntry(-1) == nullptr && ini.GetEntry(ini.GetCount()) == nullptr);
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const Read read = ReadTable(input);

    Check(read.result == read.boxes.empty());
    for (size_t i = 0; i < read.boxes.size(); ++i) {
        const std::string& text = read.boxes[i];
        Check(IsStop(text) || text == "Not able to find info string");
        Check(!IsStop(text) || i + 1 == read.boxes.size());
    }
    size_t lines = 1;
    for (char c : input)
        lines += c == '\n' ? 1 : 0;
    Check(read.entries.size() <= lines);
    Check(HoldsNone(read.version, "\"\n\0"));
    for (const INI_DATA_REC& entry : read.entries) {
        Check(HoldsNone(entry.name, "\"\n\0"));
        Check(HoldsNone(entry.parameters, "\"\n\0"));
        Check(HoldsNone(entry.info, "\n\0\0"));
    }

    if (input.find('\r') == std::string::npos) {
        std::string crlf;
        for (char c : input) {
            if (c == '\n')
                crlf += '\r';
            crlf += c;
        }
        const Read windows = ReadTable(crlf);
        Check(windows.result == read.result);
        Check(SameEntries(windows.entries, read.entries));
        Check(windows.version == read.version);
        Check(windows.boxes == read.boxes);
    }
    return 0;
}
