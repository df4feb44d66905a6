#include "platform/RegistryFile.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <unordered_map>

#include "platform/HexDigit.h"

namespace platform {

namespace {

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = LowerAscii(c);
    return lower;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::string_view StripTrailingZeros(std::string_view data)
{
    while (!data.empty() && data.back() == '\0')
        data.remove_suffix(1);
    return data;
}

void AppendQuoted(std::string& out, std::string_view bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            out += c;
        } else {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    out += '"';
}

// Reads the parts of one line from left to right; every failure leaves the line invalid.
class LineReader {
public:
    explicit LineReader(std::string_view line) : rest_(line) {}

    bool SkipBlanks()
    {
        const size_t before = rest_.size();
        while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t'))
            rest_.remove_prefix(1);
        return rest_.size() != before;
    }

    std::string_view Word()
    {
        size_t length = 0;
        while (length < rest_.size() && rest_[length] != ' ' && rest_[length] != '\t')
            ++length;
        std::string_view word = rest_.substr(0, length);
        rest_.remove_prefix(length);
        return word;
    }

    std::optional<std::string> Quoted(size_t limit)
    {
        if (rest_.empty() || rest_.front() != '"')
            return std::nullopt;
        rest_.remove_prefix(1);
        std::string bytes;
        while (!rest_.empty()) {
            const char c = rest_.front();
            rest_.remove_prefix(1);
            if (c == '"')
                return bytes;
            if (bytes.size() >= limit)
                return std::nullopt;
            if (c != '\\') {
                bytes += c;
                continue;
            }
            if (rest_.empty())
                return std::nullopt;
            const char escaped = rest_.front();
            rest_.remove_prefix(1);
            if (escaped == '"' || escaped == '\\') {
                bytes += escaped;
            } else if (escaped == 'x' && rest_.size() >= 2 && platform::HexDigit(rest_[0]) >= 0 && platform::HexDigit(rest_[1]) >= 0) {
                bytes += static_cast<char>(platform::HexDigit(rest_[0]) * 16 + platform::HexDigit(rest_[1]));
                rest_.remove_prefix(2);
            } else {
                return std::nullopt;
            }
        }
        return std::nullopt;
    }

    bool AtEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

std::optional<uint64_t> Number(std::string_view word, uint64_t limit)
{
    uint64_t value = 0;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        if (word.size() > 8)
            return std::nullopt;
        for (char c : word) {
            const int digit = platform::HexDigit(c);
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(digit);
        }
    } else {
        if (word.empty() || word.size() > 10)
            return std::nullopt;
        for (char c : word) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + static_cast<uint64_t>(c - '0');
        }
    }
    if (value > limit)
        return std::nullopt;
    return value;
}

struct ParsedLine {
    std::string name;
    RegistryType type;
    std::string data;
    size_t size;
};

std::optional<ParsedLine> ParseLine(std::string_view line)
{
    LineReader reader(line);
    const std::string_view type = reader.Word();
    if (!reader.SkipBlanks())
        return std::nullopt;
    std::optional<std::string> name = reader.Quoted(RegistryFile::kMaxNameBytes);
    if (!name || !reader.SkipBlanks())
        return std::nullopt;
    ParsedLine parsed{std::move(*name), RegistryType::Sz, {}, 0};
    if (type == "dword") {
        const std::optional<uint64_t> value = Number(reader.Word(), UINT32_MAX);
        if (!value)
            return std::nullopt;
        parsed.type = RegistryType::Dword;
        for (int shift = 0; shift < 32; shift += 8)
            parsed.data += static_cast<char>((*value >> shift) & 0xFF);
        parsed.size = 4;
    } else if (type == "sz") {
        const std::optional<uint64_t> size = Number(reader.Word(), RegistryFile::kMaxValueBytes);
        if (!size || !reader.SkipBlanks())
            return std::nullopt;
        std::optional<std::string> data = reader.Quoted(static_cast<size_t>(*size));
        if (!data)
            return std::nullopt;
        parsed.data = std::move(*data);
        parsed.size = static_cast<size_t>(*size);
    } else {
        return std::nullopt;
    }
    reader.SkipBlanks();
    if (!reader.AtEnd())
        return std::nullopt;
    return parsed;
}

} // namespace

RegistryFile RegistryFile::Parse(std::string_view text)
{
    RegistryFile file;
    std::unordered_map<std::string, size_t> byName;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string_view::npos; start = end + 1, end = text.find('\n', start)) {
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        std::optional<ParsedLine> parsed = ParseLine(line);
        if (!parsed)
            continue;
        Entry entry{std::move(parsed->name), parsed->type, std::string(StripTrailingZeros(parsed->data)),
                    parsed->size};
        auto [slot, added] = byName.try_emplace(LowerAscii(entry.name), file.entries_.size());
        if (added)
            file.entries_.push_back(std::move(entry));
        else
            file.entries_[slot->second] = std::move(entry);
    }
    return file;
}

std::string RegistryFile::Format(std::string_view keyPath) const
{
    std::string text = "# Pelagor registry key ";
    AppendQuoted(text, keyPath);
    text += '\n';
    for (const Entry& entry : entries_) {
        if (entry.type == RegistryType::Dword) {
            uint32_t value = 0;
            for (size_t i = 0; i < entry.head.size() && i < 4; ++i)
                value |= static_cast<uint32_t>(static_cast<unsigned char>(entry.head[i])) << (8 * i);
            char number[16];
            std::snprintf(number, sizeof number, "0x%08X", static_cast<unsigned>(value));
            text += "dword ";
            AppendQuoted(text, entry.name);
            text += ' ';
            text += number;
        } else {
            text += "sz ";
            AppendQuoted(text, entry.name);
            text += ' ';
            text += std::to_string(entry.size);
            text += ' ';
            AppendQuoted(text, entry.head);
        }
        text += '\n';
    }
    return text;
}

const RegistryFile::Entry* RegistryFile::Find(std::string_view name) const
{
    for (const Entry& entry : entries_)
        if (SameName(entry.name, name))
            return &entry;
    return nullptr;
}

RegistryStatus RegistryFile::Query(std::string_view name, size_t capacity, RegistryValue& value) const
{
    const Entry* entry = Find(name);
    if (entry == nullptr)
        return kRegistryNotFound;
    if (entry->size > capacity)
        return kRegistryMoreData;
    value.type = entry->type;
    value.data = entry->head;
    value.data.resize(entry->size, '\0');
    return kRegistryOk;
}

bool RegistryFile::Set(std::string_view name, RegistryType type, std::string_view data)
{
    const std::string_view head = StripTrailingZeros(data);
    for (Entry& entry : entries_) {
        if (!SameName(entry.name, name))
            continue;
        if (entry.type == type && entry.size == data.size() && entry.head == head)
            return false;
        entry.type = type;
        entry.head = std::string(head);
        entry.size = data.size();
        return true;
    }
    entries_.push_back(Entry{std::string(name), type, std::string(head), data.size()});
    return true;
}

bool RegistryFile::Remove(std::string_view name)
{
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (SameName(it->name, name)) {
            entries_.erase(it);
            return true;
        }
    }
    return false;
}

std::vector<std::string> RegistryFile::Names() const
{
    std::vector<std::string> names;
    names.reserve(entries_.size());
    for (const Entry& entry : entries_)
        names.push_back(entry.name);
    return names;
}

} // namespace platform
