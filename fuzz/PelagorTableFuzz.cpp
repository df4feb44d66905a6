// The protocol-table reader on arbitrary table lines and an arbitrary Mnemonic.plt. The input
// is the table; when it holds a line "%%", what stands before it is Mnemonic.plt instead of
// the fixed one. Every line must give a row, a rejected line with its reason, a comment or
// directive line, or the end of the file; never a write past a target.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/tables/PelagorTable.h"
#include "core/tables/TabFieldDef.h"
#include "core/tables/TabRadioSettings.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzFolder.h"
#include "platform/MessageBoxRecorder.h"

namespace {

const char* const kMnemonics = " *|*|ONE|1\n *|*|HEXED|0x1F\n Fuzz.plt|M|ONLY_M|7\n FieldDef.plt|INDEX|FI|3\n";
constexpr size_t kGuard = 16;

void WriteFile(const std::string& name, const std::string& bytes)
{
    std::ofstream out(FuzzFolder() + "/" + name, std::ios::binary | std::ios::trunc);
    out << bytes;
    Check(static_cast<bool>(out));
}

// A string target of size bytes followed by guard bytes that no read may touch.
struct TextTarget {
    explicit TextTarget(size_t size) : size(size), bytes(size + kGuard, '\x5A') {}
    bool Intact() const
    {
        for (size_t i = size; i < bytes.size(); ++i)
            if (bytes[i] != '\x5A')
                return false;
        return std::memchr(bytes.data(), '\0', size) != nullptr;
    }
    size_t size;
    std::vector<char> bytes;
};

void ReadEveryLine(size_t inputSize)
{
    PelagorTable table(FuzzFolder(), "Fuzz.plt");
    table.AddColumn("S", PelagorTable::kString, 5);
    table.AddColumn("U", PelagorTable::kUShort, 3);
    table.AddColumn("H", PelagorTable::kHex, 6);
    table.AddColumn("M", PelagorTable::kMnemonic, 10);
    table.AddColumn("B", PelagorTable::kBool, 5);
    table.AddColumn("NARROW", PelagorTable::kString, 20); // a record field smaller than the width
    table.AddColumn("WIDE", PelagorTable::kString, 255);
    TextTarget s(6), narrow(10), wide(256);
    uint16_t u = 0;
    uint32_t h = 0;
    int m = 0, b = 0;
    Check(table.SetColumnTarget(0, s.bytes.data(), s.size) == 1);
    Check(table.SetColumnTarget(1, &u) == 1);
    Check(table.SetColumnTarget(2, &h) == 1);
    Check(table.SetColumnTarget(3, &m) == 1);
    Check(table.SetColumnTarget(4, &b) == 1);
    Check(table.SetColumnTarget(5, narrow.bytes.data(), narrow.size) == 1);
    Check(table.SetColumnTarget(6, wide.bytes.data(), wide.size) == 1);

    if (!table.Open()) {
        const char* error = table.GetError();
        Check(error != nullptr && std::strlen(error) < PelagorTable::kErrorSize);
        return;
    }
    for (const MNEMONIC_REC& entry : table.Mnemonics())
        Check(std::memchr(entry.name, '\0', sizeof entry.name) != nullptr);

    char buffer[PelagorTable::kMinLineBuffer + kGuard];
    std::memset(buffer, 0x5A, sizeof buffer);
    size_t lines = 0;
    for (;;) {
        const int result = table.ReadLine(buffer, PelagorTable::kMinLineBuffer);
        Check(result >= PelagorTable::kRowRead && result <= PelagorTable::kEndOfFile);
        for (size_t i = PelagorTable::kMinLineBuffer; i < sizeof buffer; ++i)
            Check(buffer[i] == 0x5A);
        if (result == PelagorTable::kEndOfFile)
            break;
        Check(++lines <= inputSize + 1); // every line takes at least one byte
        if (result == PelagorTable::kLineRejected)
            Check(std::strncmp(buffer, "Not able to convert ", 20) == 0);
        if (result == PelagorTable::kDirectiveLine)
            Check(buffer[0] == '$' && buffer[1] == '!' && std::strlen(buffer) <= PelagorTable::kMaxLineChars);
        if (result == PelagorTable::kRowRead) {
            Check(s.Intact() && std::strlen(s.bytes.data()) <= 5);
            Check(narrow.Intact() && std::strlen(narrow.bytes.data()) <= 9);
            Check(wide.Intact() && std::strlen(wide.bytes.data()) <= 255);
            Check(b == 0 || b == 1);
        }
    }
    char again[PelagorTable::kMinLineBuffer];
    Check(table.ReadLine(again, sizeof again) == PelagorTable::kEndOfFile);
}

// The same bytes read by two table classes, with their message box and error text.
void ReadAsTables(const std::string& table)
{
    WriteFile("FieldDef.plt", table);
    WriteFile("regs.prs", table);
    platform::MessageBoxRecorder recorder;
    TabFieldDef fields(FuzzFolder());
    if (fields.Read() == 0)
        Check(recorder.Requests().size() <= 1);
    TabRadioSettings registers(FuzzFolder(), "regs.prs");
    if (registers.Read() == 0) {
        const char* error = registers.GetError();
        Check(error != nullptr && std::strlen(error) < PelagorTable::kErrorSize);
    }
    Check(registers.GetRfDevice().find('\n') == std::string::npos);
    for (const TAB_RADIO_SETTINGS_REC& row : registers.Rows())
        Check(std::memchr(row.REGNAME, '\0', sizeof row.REGNAME) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string mnemonics = kMnemonics;
    std::string table = input;
    size_t mark = std::string::npos;
    if (input.rfind("%%\n", 0) == 0)
        mark = 0;
    else if ((mark = input.find("\n%%\n")) != std::string::npos)
        ++mark;
    if (mark != std::string::npos) {
        mnemonics = input.substr(0, mark);
        table = input.substr(mark + 3);
    }
    WriteFile("Mnemonic.plt", mnemonics);
    WriteFile("Fuzz.plt", table);
    ReadEveryLine(table.size());
    ReadAsTables(table);
    return 0;
}
