#include "core/tables/TagTable.h"

#include <fstream>

#include "platform/MessageBox.h"
#include "platform/PathText.h"
#include "platform/TextFormat.h"

int TagTable::Read(const std::string& path)
{
    empty_ = true;
    std::ifstream in(platform::ToNativePath(path), std::ios::binary);
    if (!in) {
        platform::ShowMessageBox(platform::FormatText("Not able to open table: %s", path.c_str()));
        return 0;
    }
    ReadLines(in);
    return 1;
}

void TagTable::ReadLines(std::istream& in)
{
    std::string line;
    while (std::getline(in, line)) {
        // Text written with CR LF line ends reads as it would in text mode.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        TakeLine(line);
    }
}

void TagTable::TakeLine(const std::string& line)
{
    if (line.empty() || line[0] == '#')
        return;
    if (!sectionsBegun_) {
        size_t equals = line.find('=');
        if (equals != std::string::npos && equals >= 1) {
            header_[line.substr(0, equals)] = line.substr(equals + 1);
            empty_ = false;
            return;
        }
    }
    size_t open = line.find('[');
    size_t close = line.find(']');
    if (open != std::string::npos && close != std::string::npos) {
        if (close > open + 1) {
            SetSection(line.substr(open + 1, close - open - 1));
            sectionsBegun_ = true;
        }
        empty_ = false;
        return;
    }
    if (sectionsBegun_)
        ParseLine(line);
}

const char* TagTable::GetValue(const std::string& key) const
{
    auto found = header_.find(key);
    return found != header_.end() ? found->second.c_str() : nullptr;
}
