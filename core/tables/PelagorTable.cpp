#include "core/tables/PelagorTable.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/host/PluginHandler.h"
#include "platform/MessageBox.h"
#include "platform/PathText.h"
#include "platform/TextFormat.h"
#include "plugin/frame/HexText.h"

namespace {

std::atomic<PluginHandler*> pluginHandler{nullptr};

constexpr int kMaxWidth = 4096;     // far beyond any table's column
constexpr int kHexTokenLimit = 9;   // "0x" and eight digits, or 'x' and eight
constexpr int kSideNameLimit = 254; // table and column keys of Mnemonic.plt
constexpr int kSymbolLimit = 29;
constexpr int kValueLimit = 10;
constexpr size_t kSuffixLimit = 255;

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Reads one line as text mode gives it: CR LF reads as LF, the line end stays in the line.
// At most PelagorTable::kMaxLineChars characters are kept; the rest of a longer line is
// dropped, so that it is not taken for a line of its own. false at the end of the file.
bool ReadTextLine(std::FILE* file, std::string& line)
{
    constexpr size_t kKept = PelagorTable::kMaxLineChars + 1; // room to drop a CR before LF
    line.clear();
    size_t total = 0;
    bool lastWasCr = false;
    bool ended = false;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
        if (c == '\n') {
            ended = true;
            break;
        }
        ++total;
        lastWasCr = c == '\r';
        if (line.size() < kKept)
            line.push_back(static_cast<char>(c));
    }
    if (!ended && total == 0)
        return false;
    if (ended) {
        if (lastWasCr && total <= kKept)
            line.pop_back();
        line.push_back('\n');
    }
    if (line.size() > static_cast<size_t>(PelagorTable::kMaxLineChars))
        line.resize(PelagorTable::kMaxLineChars);
    return true;
}

// Cuts one field from cursor, reading at most limit characters (see PelagorTable::GetToken).
void CutToken(const char*& cursor, int limit, std::string& field)
{
    field.clear();
    const char* p = cursor;
    const size_t n = limit > 0 ? static_cast<size_t>(limit) : 0;

    for (size_t skipped = 0; skipped < n && IsBlank(*p); ++skipped)
        ++p;
    if (*p == '\\') {
        ++p; // a leading backslash only ends the blank skip
    } else if (*p == '|' || static_cast<unsigned char>(*p) < 0x20) {
        if (*p != '\0')
            ++p;
        cursor = p;
        return;
    }

    bool full = false;
    for (;;) {
        if (field.size() >= n) {
            full = true;
            break;
        }
        const char c = *p;
        if (c == '\0' || c == '|' || c == '\r' || c == '\n')
            break;
        if (c == '\\') {
            const char next = p[1];
            if (next == '\0') { // nothing left to escape
                ++p;
                break;
            }
            field.push_back(next == 'n' ? '\n' : next);
            p += 2;
            continue;
        }
        if (IsBlank(c)) {
            const char* after = p;
            while (IsBlank(*after))
                ++after;
            if (*after == '|') { // blanks before a separator are dropped
                p = after;
                break;
            }
            while (p < after && field.size() < n)
                field.push_back(*p++);
            continue;
        }
        field.push_back(c);
        ++p;
    }
    if (full) {
        while (*p != '\0' && *p != '|')
            p += (*p == '\\' && p[1] != '\0') ? 2 : 1;
    }
    if (*p == '|')
        ++p;
    cursor = p;
}

void StoreText(const std::string& field, size_t limit, char* target, size_t size)
{
    if (target == nullptr || size == 0)
        return;
    const size_t count = std::min({field.size(), limit, size - 1});
    std::memcpy(target, field.data(), count);
    std::memset(target + count, 0, size - count);
}

void WriteText(char* buffer, size_t size, const std::string& text)
{
    if (buffer != nullptr && size > 0)
        StoreText(text, text.size(), buffer, size);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (platform::IsPathSeparator(folder.back()))
        return folder + name;
    return folder + "/" + name;
}

} // namespace

PelagorTable::PelagorTable(const std::string& folder, const std::string& tableName)
    : folder_(folder), tableName_(tableName)
{
}

PelagorTable::~PelagorTable()
{
    Close();
}

void PelagorTable::SetPluginHandler(PluginHandler* host)
{
    pluginHandler.store(host);
}

PluginHandler* PelagorTable::GetPluginHandler()
{
    return pluginHandler.load();
}

int PelagorTable::AddColumn(const std::string& name, int type, int width)
{
    Column column;
    column.name = name;
    column.type = type;
    column.width = std::clamp(width, 0, kMaxWidth);
    columns_.push_back(std::move(column));
    if (type == kMnemonic)
        hasMnemonics_ = true;
    return 1;
}

int PelagorTable::Bind(int column, TargetKind kind, void* target, size_t size)
{
    if (column < 0 || static_cast<size_t>(column) >= columns_.size() || target == nullptr)
        return 0;
    Column& bound = columns_[static_cast<size_t>(column)];
    TargetKind fits = TargetKind::None;
    switch (bound.type) {
    case kString: fits = TargetKind::Text; break;
    case kUShort: fits = TargetKind::UShort; break;
    case kHex: fits = TargetKind::U32; break;
    case kMnemonic:
    case kBool: fits = TargetKind::Int; break;
    default: break;
    }
    if (kind != fits || (kind == TargetKind::Text && size == 0))
        return 0;
    bound.kind = kind;
    bound.target = target;
    bound.size = size;
    return 1;
}

int PelagorTable::SetColumnTarget(int column, char* text, size_t size)
{
    return Bind(column, TargetKind::Text, text, size);
}

int PelagorTable::SetColumnTarget(int column, uint16_t* value)
{
    return Bind(column, TargetKind::UShort, value, sizeof *value);
}

int PelagorTable::SetColumnTarget(int column, uint32_t* value)
{
    return Bind(column, TargetKind::U32, value, sizeof *value);
}

int PelagorTable::SetColumnTarget(int column, int* value)
{
    return Bind(column, TargetKind::Int, value, sizeof *value);
}

void PelagorTable::SetError(const std::string& text)
{
    StoreText(text, kErrorSize - 1, error_, sizeof error_);
    errorSet_ = true;
}

const char* PelagorTable::GetError()
{
    if (!errorSet_)
        return nullptr;
    errorSet_ = false;
    return error_;
}

bool PelagorTable::OpenFile(const std::string& path)
{
    path_ = path;
    file_ = std::fopen(platform::ToNativePath(path).c_str(), "rb");
    if (file_ == nullptr)
        return false;
    struct stat info;
    if (fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode)) { // a folder reads as no file
        Close();
        return false;
    }
    return true;
}

int PelagorTable::Open(const std::string& suffix)
{
    Close();
    if (columns_.empty()) {
        SetError(platform::FormatText("No columns declared for table: %s", tableName_.c_str()));
        return 0;
    }
    if (hasMnemonics_ && !LoadMnemonics())
        return 0;

    if (!suffix.empty()) {
        // A version name with a '/' still names a file of this folder.
        std::string version = suffix.substr(0, kSuffixLimit);
        const size_t slash = version.find('/');
        if (slash != std::string::npos)
            version[slash] = '_';
        std::string name = tableName_;
        const size_t extension = name.find(".plt");
        name.insert(extension != std::string::npos ? extension : name.size(), "_" + version);
        if (OpenFile(JoinPath(folder_, name)))
            return 1;
    }
    if (OpenFile(JoinPath(folder_, tableName_)))
        return 1;
    SetError(platform::FormatText("Not able to open table: %s", path_.c_str()));
    return 0;
}

void PelagorTable::Close()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

void PelagorTable::ClearTargets()
{
    for (const Column& column : columns_)
        if (column.target != nullptr)
            std::memset(column.target, 0, column.size);
}

int PelagorTable::ReadLine(char* buffer, size_t size)
{
    if (file_ == nullptr)
        return kEndOfFile;
    std::string line;
    if (!ReadTextLine(file_, line))
        return kEndOfFile;
    const char* text = line.c_str();
    if (text[0] == '$' && text[1] == '!') {
        WriteText(buffer, size, text);
        return kDirectiveLine;
    }
    if (text[0] == '#' || text[0] == '\0')
        return kCommentLine;
    if (skipBlankLines_ && line.find_first_not_of(" \t\r\n") == std::string::npos)
        return kCommentLine;

    ClearTargets();
    const char* cursor = text;
    for (const Column& column : columns_)
        if (!ReadField(column, cursor, buffer, size))
            return kLineRejected;
    return kRowRead;
}

int PelagorTable::ReadField(const Column& column, const char*& cursor, char* buffer, size_t size)
{
    const int limit = column.width + 1;
    switch (column.type) {
    case kString: {
        std::string field;
        CutToken(cursor, column.width, field);
        StoreText(field, static_cast<size_t>(column.width), static_cast<char*>(column.target), column.size);
        return 1;
    }
    case kUShort: {
        uint16_t value = 0;
        if (GetUShortField(cursor, limit, &value) && column.target != nullptr)
            *static_cast<uint16_t*>(column.target) = value;
        return 1;
    }
    case kHex: {
        uint32_t value = 0;
        if (!GetHexField(cursor, limit, &value)) {
            WriteText(buffer, size,
                      platform::FormatText("Not able to convert Hex value in field: %s", column.name.c_str()));
            return 0;
        }
        if (column.target != nullptr)
            *static_cast<uint32_t*>(column.target) = value;
        return 1;
    }
    case kMnemonic: {
        int value = 0;
        if (!LookupMnemonic(cursor, limit, column.name, &value)) {
            WriteText(buffer, size,
                      platform::FormatText("Not able to convert mnemonic in field: %s", column.name.c_str()));
            return 0;
        }
        if (column.target != nullptr)
            *static_cast<int*>(column.target) = value;
        return 1;
    }
    case kBool: {
        int value = 0;
        if (GetBoolField(cursor, limit, &value) && column.target != nullptr)
            *static_cast<int*>(column.target) = value;
        return 1;
    }
    default:
        WriteText(buffer, size, platform::FormatText("Unknown column type in field: %s", column.name.c_str()));
        return 0;
    }
}

int PelagorTable::GetToken(const char*& cursor, int limit, char* target, size_t size)
{
    std::string field;
    CutToken(cursor, limit, field);
    StoreText(field, field.size(), target, size);
    return static_cast<int>(field.size());
}

int PelagorTable::GetUShortField(const char*& cursor, int limit, uint16_t* target)
{
    std::string field;
    CutToken(cursor, limit, field);
    const long long value = std::strtoll(field.c_str(), nullptr, 10);
    if (value < 0 || value > 65535)
        return 0;
    if (target != nullptr)
        *target = static_cast<uint16_t>(value);
    return 1;
}

int PelagorTable::GetHexField(const char*& cursor, int limit, uint32_t* target)
{
    std::string field;
    CutToken(cursor, std::min(limit, kHexTokenLimit), field);
    if (field.empty() || field.find_first_of("xX") == std::string::npos)
        return 0;
    if (target != nullptr)
        *target = HexStrValue32(field.c_str(), kHexTokenLimit);
    return 1;
}

int PelagorTable::GetBoolField(const char*& cursor, int limit, int* target)
{
    std::string field;
    CutToken(cursor, limit, field);
    if (field.empty())
        return 0;
    if (target != nullptr)
        *target = field.find("TRUE") != std::string::npos ? 1 : 0;
    return 1;
}

int PelagorTable::LookupMnemonic(const char*& cursor, int limit, const std::string& column, int* target) const
{
    std::string token;
    CutToken(cursor, limit, token);
    if (token.empty())
        return 0;
    for (const MNEMONIC_REC& entry : mnemonics_) {
        const bool tableApplies = tableName_ == entry.table || std::strcmp(entry.table, "*") == 0;
        const bool columnApplies = column == entry.column || std::strcmp(entry.column, "*") == 0;
        if (tableApplies && columnApplies && token == entry.name) {
            if (target != nullptr)
                *target = entry.value;
            return 1;
        }
    }
    return 0;
}

bool PelagorTable::IsDecimal(const char* text)
{
    if (text == nullptr || *text == '\0')
        return false;
    for (; *text != '\0'; ++text)
        if (*text < '0' || *text > '9')
            return false;
    return true;
}

int PelagorTable::LoadMnemonics()
{
    mnemonics_.clear();
    const std::string path = JoinPath(folder_, "Mnemonic.plt");
    std::FILE* file = std::fopen(platform::ToNativePath(path).c_str(), "rb");
    if (file == nullptr) {
        SetError(platform::FormatText("Not able to open table: %s\n", path.c_str()));
        return 0;
    }
    int lineNumber = 0;
    std::string line;
    std::string failure;
    while (failure.empty() && ReadTextLine(file, line)) {
        ++lineNumber;
        const char* cursor = line.c_str();
        if (cursor[0] == '#')
            continue;
        if (cursor[0] != ' ') {
            failure = platform::FormatText("Error reading table %s.\nInvalid character (%c) at first position on line %d",
                                           path.c_str(), cursor[0], lineNumber);
            break;
        }
        MNEMONIC_REC entry{};
        char value[kValueLimit + 1];
        GetToken(cursor, kSideNameLimit, entry.table, sizeof entry.table);
        GetToken(cursor, kSideNameLimit, entry.column, sizeof entry.column);
        GetToken(cursor, kSymbolLimit, entry.name, sizeof entry.name);
        GetToken(cursor, kValueLimit, value, sizeof value);
        if (std::strncmp(value, "0x", 2) == 0) {
            uint8_t digits[kHexTokenLimit];
            int count = kHexTokenLimit;
            HexStrToDigits(value, &count, digits);
            if (count == 0) { // "0x" and no digit is no value
                failure = platform::FormatText("Error reading table %s.\nNot able to convert Hex value (%s) on line %d",
                                               path.c_str(), value, lineNumber);
                break;
            }
            entry.value = static_cast<int>(HexStrValue32(value, kHexTokenLimit));
        } else {
            const long long number = IsDecimal(value) ? std::strtoll(value, nullptr, 10) : -1;
            if (number < 0 || number > INT_MAX) {
                failure = platform::FormatText("Error reading table %s.\nNot able to convert value (%s) on line %d",
                                               path.c_str(), value, lineNumber);
                break;
            }
            entry.value = static_cast<int>(number);
        }
        mnemonics_.push_back(entry);
    }
    std::fclose(file);
    if (!failure.empty()) {
        mnemonics_.clear();
        SetError(failure);
        return 0;
    }
    AddPluginMnemonics();
    return 1;
}

void PelagorTable::AddPluginMnemonics()
{
    PluginHandler* host = GetPluginHandler();
    if (host == nullptr)
        return;
    const char* const* names = host->GetFieldIndexTable();
    if (names == nullptr)
        return;
    for (int i = 0; i < INT_MAX && names[i] != nullptr; ++i) {
        MNEMONIC_REC entry{};
        std::strcpy(entry.table, "*");
        std::strcpy(entry.column, "*");
        std::strncpy(entry.name, names[i], sizeof entry.name - 1);
        entry.value = i;
        mnemonics_.push_back(entry);
    }
}

int PelagorTable::ReadTable(const std::string& suffix, bool showRejection, const std::function<void()>& takeRow,
                            const std::function<void(const char*)>& takeDirective)
{
    if (!Open(suffix))
        return 0;
    char buffer[512];
    int lineNumber = 0;
    for (;;) {
        const int result = ReadLine(buffer, sizeof buffer);
        if (result == kEndOfFile)
            break;
        ++lineNumber;
        if (result == kRowRead) {
            takeRow();
        } else if (result == kLineRejected) {
            const std::string text = platform::FormatText("Error reading table %s.\nInvalid value on line %d\n%s",
                                                          tableName_.c_str(), lineNumber, buffer);
            Close();
            if (showRejection)
                platform::ShowMessageBox(text, platform::MessageIcon::Exclamation);
            else
                SetError(text);
            return 0;
        } else if (result == kDirectiveLine && takeDirective) {
            takeDirective(buffer);
        }
    }
    Close();
    return 1;
}
