#include "core/tables/RegisterFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/PathText.h"
#include "platform/TextFormat.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A first character that the reader would not copy as the start of the field: blanks are
// skipped, '|' and control characters end it, '\' is dropped; '#' and "$!" at the start of
// the line would make it a comment or a directive. A leading '\' (which the reader drops)
// puts the field's copying in charge of it.
bool NeedsLeadingBackslash(const std::string& name)
{
    if (name.empty())
        return false;
    const unsigned char first = static_cast<unsigned char>(name[0]);
    return first < 0x20 || IsBlank(name[0]) || name[0] == '\\' || name[0] == '|' || name[0] == '#' ||
           (name[0] == '$' && name.size() > 1 && name[1] == '!');
}

std::string SystemText(int error)
{
    return std::strerror(error);
}

} // namespace

std::string RegisterFileWriter::CheckRow(const TAB_RADIO_SETTINGS_REC& row)
{
    const size_t length = strnlen(row.REGNAME, sizeof row.REGNAME);
    const std::string name(row.REGNAME, std::min(length, kMaxNameLength));
    if (length > kMaxNameLength)
        return platform::FormatText("Register name %s is longer than %zu characters.", name.c_str(), kMaxNameLength);
    if (row.REGADDRESS > kMaxAddress)
        return platform::FormatText("Register %s: the address 0x%X does not fit into 16 bits (0x0000 - 0xFFFF).",
                                    name.c_str(), row.REGADDRESS);
    if (row.REGVALUE > kMaxValue)
        return platform::FormatText("Register %s: the value 0x%X does not fit into a register byte (0x00 - 0xFF).",
                                    name.c_str(), row.REGVALUE);
    return std::string();
}

std::string RegisterFileWriter::EscapeName(const std::string& name)
{
    std::string escaped;
    if (NeedsLeadingBackslash(name))
        escaped.push_back('\\');
    // Blanks are kept by the reader unless only blanks follow them up to the separator.
    size_t trailingBlanks = name.size();
    while (trailingBlanks > 0 && IsBlank(name[trailingBlanks - 1]))
        --trailingBlanks;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        switch (c) {
        case '|':
        case '\\':
        case '\r':
            escaped.push_back('\\');
            escaped.push_back(c);
            break;
        case '\n':
            escaped += "\\n";
            break;
        default:
            if (IsBlank(c) && i >= trailingBlanks)
                escaped.push_back('\\');
            escaped.push_back(c);
            break;
        }
    }
    return escaped;
}

bool RegisterFileWriter::Format(const std::vector<TAB_RADIO_SETTINGS_REC>& rows, std::string* text,
                                std::string* error)
{
    std::vector<std::string> names;
    names.reserve(rows.size());
    size_t width = 0;
    for (const TAB_RADIO_SETTINGS_REC& row : rows) {
        std::string reason = CheckRow(row);
        if (!reason.empty()) {
            if (error != nullptr)
                *error = std::move(reason);
            return false;
        }
        names.push_back(EscapeName(std::string(row.REGNAME, strnlen(row.REGNAME, sizeof row.REGNAME))));
        width = std::max(width, names.back().size());
    }
    std::string file;
    for (size_t i = 0; i < rows.size(); ++i) {
        file += names[i];
        file.append(width - names[i].size(), ' ');
        file += platform::FormatText("|0x%4.4X|0x%2.2X\r\n", rows[i].REGADDRESS, rows[i].REGVALUE);
    }
    if (text != nullptr)
        *text = std::move(file);
    return true;
}

int RegisterFileWriter::Write(const std::string& path, const std::vector<TAB_RADIO_SETTINGS_REC>& rows,
                              std::string* error)
{
    std::string text;
    std::string reason;
    if (!Format(rows, &text, &reason)) {
        if (error != nullptr)
            *error = reason;
        return 0;
    }
    std::FILE* file = std::fopen(platform::ToNativePath(path).c_str(), "wb");
    if (file == nullptr) {
        if (error != nullptr)
            *error = platform::FormatText("Could not open file: %s", SystemText(errno).c_str());
        return 0;
    }
    // A full disk often shows only when the buffer is flushed or the file closed.
    int failure = 0;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0)
        failure = errno != 0 ? errno : EIO;
    errno = 0;
    if (std::fclose(file) != 0 && failure == 0)
        failure = errno != 0 ? errno : EIO;
    if (failure != 0) {
        if (error != nullptr)
            *error = "Can't write to file: " + SystemText(failure);
        return 0;
    }
    return 1;
}
