#include "launcher/PelagorIniFile.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

namespace {

constexpr size_t kMinimumTagLength = 2;

void Complain(const std::string& text)
{
    platform::ShowMessageBox(text, platform::MessageIcon::Exclamation);
}

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// The text between the first two double quotes at or after from; false without them. With
// notFirst, a first quote at the line's very start does not count either.
bool QuotedText(const std::string& line, size_t from, bool notFirst, std::string& text, size_t& closing)
{
    const size_t opening = line.find('"', from);
    if (opening == std::string::npos || (notFirst && opening == 0))
        return false;
    closing = line.find('"', opening + 1);
    if (closing == std::string::npos)
        return false;
    text = line.substr(opening + 1, closing - opening - 1);
    return true;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// One line without its line end (LF, or CR LF as a Windows text file has it); a zero byte
// ends the line's text as it would for the string functions.
bool NextLine(FILE* file, std::string& line)
{
    char* buffer = nullptr;
    size_t capacity = 0;
    const ssize_t length = getline(&buffer, &capacity, file);
    if (length < 0) {
        std::free(buffer);
        return false;
    }
    line.assign(buffer, static_cast<size_t>(length));
    std::free(buffer);
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    }
    if (const size_t zero = line.find('\0'); zero != std::string::npos)
        line.resize(zero);
    return true;
}

} // namespace

bool PelagorIniFile::Read(const std::string& path)
{
    entries_.clear();
    version_.clear();
    inStrings_ = false;
    complete_ = true;

    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "r"));
    struct stat status {};
    // A folder opens for reading here, but holds no lines.
    if (!file || fstat(fileno(file.get()), &status) != 0 || S_ISDIR(status.st_mode)) {
        Complain(platform::FormatText("Not able to open table: %s", path.c_str()));
        return false;
    }
    std::string line;
    while (NextLine(file.get(), line))
        if (ReadLine(line) == LineResult::Stop)
            return false;
    return complete_;
}

PelagorIniFile::LineResult PelagorIniFile::ReadLine(const std::string& line)
{
    if (line.empty() || line[0] == '#')
        return LineResult::Done;
    if (line.find("Version") != std::string::npos)
        return ReadVersion(line);
    if (line.find("AddSniffer") != std::string::npos)
        return ReadEntry(line);
    if (inStrings_) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos && equals != 0)
            return ReadText(line, equals);
    }
    if (line.find("[Strings]") != std::string::npos)
        inStrings_ = true;
    return LineResult::Done;
}

PelagorIniFile::LineResult PelagorIniFile::ReadVersion(const std::string& line)
{
    size_t closing = 0;
    if (!QuotedText(line, 0, true, version_, closing)) {
        Complain("Not able to find text for combobox");
        return LineResult::Stop;
    }
    return LineResult::Done;
}

PelagorIniFile::LineResult PelagorIniFile::ReadEntry(const std::string& line)
{
    INI_DATA_REC entry;
    size_t nameEnd = 0;
    if (!QuotedText(line, 0, true, entry.name, nameEnd)) {
        Complain("Not able to find text for combobox");
        return LineResult::Stop;
    }
    size_t parametersEnd = 0;
    if (!QuotedText(line, nameEnd + 1, false, entry.parameters, parametersEnd)) {
        Complain("Not able to find parameters");
        return LineResult::Stop;
    }
    const size_t comma = line.find(',', parametersEnd + 1);
    const size_t semicolon = comma == std::string::npos ? std::string::npos : line.find(';', comma + 1);
    if (semicolon != std::string::npos)
        entry.info = TrimBlanks(line.substr(comma + 1, semicolon - comma - 1));
    if (semicolon == std::string::npos || entry.info.size() < kMinimumTagLength) {
        Complain("Not able to find link to info string");
        return LineResult::Stop;
    }
    entries_.push_back(std::move(entry));
    return LineResult::Done;
}

PelagorIniFile::LineResult PelagorIniFile::ReadText(const std::string& line, size_t equals)
{
    const std::string tag = TrimBlanks(line.substr(0, equals));
    if (tag.size() < kMinimumTagLength) {
        Complain("Invalid tag for info string");
        return LineResult::Stop;
    }
    std::string text;
    size_t closing = 0;
    const bool quoted = QuotedText(line, 0, true, text, closing);
    for (INI_DATA_REC& entry : entries_) {
        if (entry.info != tag)
            continue;
        if (quoted) {
            entry.info = text;
        } else {
            Complain("Not able to find info string");
            complete_ = false;
        }
    }
    return LineResult::Done;
}

const INI_DATA_REC* PelagorIniFile::GetEntry(int index) const
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    return &entries_[static_cast<size_t>(index)];
}

std::string PelagorIniFile::GetName(int index) const
{
    const INI_DATA_REC* entry = GetEntry(index);
    return entry != nullptr ? entry->name : std::string();
}

std::string PelagorIniFile::GetParameters(int index) const
{
    const INI_DATA_REC* entry = GetEntry(index);
    return entry != nullptr ? entry->parameters : std::string();
}

std::string PelagorIniFile::GetInfo(int index) const
{
    const INI_DATA_REC* entry = GetEntry(index);
    return entry != nullptr ? entry->info : std::string();
}
