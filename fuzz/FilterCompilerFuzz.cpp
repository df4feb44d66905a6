// The display filter's row compiler on arbitrary filter windows.
// Input: the rows of the window, separated by '\n' (any bytes, NUL included), compiled against
// the templates of a small fixed field table. A compiled filter must be sound: every values
// text zero-terminated and at most 499 characters, links 0/1/2 with one 1 or 2 closing each
// row and the 2 last. A refused window leaves the filter untouched and says why. The filter
// then runs on a few packets whose field buffers are exactly sized, so that AddressSanitizer
// catches any read beyond them.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/host/FilterCompiler.h"
#include "core/host/FilterTemplates.h"
#include "core/host/PacketFilter.h"
#include "plugin/frame/ParsedFieldRec.h"

#include "fuzz/FuzzCheck.h"

namespace {

struct Field {
    int index;
    const char* shortName;
    int type;
    const char* subheader;
    const char* dependent;
};

const Field kFields[] = {
    {0, "NR", 1, "", nullptr},
    {4, "SRC", 2, "", nullptr},
    {5, "DST", 2, "", "DPA=x"},
    {6, "DPA", 2, "", nullptr},
    {7, "FCF", 3, "Type Sec Pend", nullptr},
    {8, "RSS", 3, "dBm", "FCS=OK"},
    {9, "FCS", 2, "", "FCS=ERR"},
    {10, "GTS", 3, "Len Permit | Directions | List (addr/slot/length)", nullptr},
    {11, "A", 1, "", nullptr},
};

const FilterTemplates& Templates()
{
    static const FilterTemplates templates = [] {
        FilterTemplates t;
        for (const Field& f : kFields) {
            TAB_FIELD_DEF_REC row{};
            row.INDEX = f.index;
            row.TYPE = f.type;
            std::memcpy(row.SHORTNAME, f.shortName, std::strlen(f.shortName));
            std::memcpy(row.SUBHEADER, f.subheader, std::strlen(f.subheader));
            t.AddField(row, f.dependent);
        }
        return t;
    }();
    return templates;
}

bool KnownField(uint32_t id)
{
    for (const Field& f : kFields)
        if (static_cast<uint32_t>(f.index) == id)
            return true;
    return false;
}

// Field records back to back; the last text may be left without its NUL.
std::vector<char> FieldBuffer(const std::vector<std::pair<int32_t, std::string>>& fields, bool lastWithoutNul)
{
    std::vector<char> buffer;
    for (size_t i = 0; i < fields.size(); ++i) {
        const bool cut = lastWithoutNul && i + 1 == fields.size();
        const std::string& text = fields[i].second;
        PARSED_FIELD_REC head{fields[i].first, static_cast<int32_t>(text.size() + (cut ? 0 : 1))};
        const char* bytes = reinterpret_cast<const char*>(&head);
        buffer.insert(buffer.end(), bytes, bytes + sizeof head);
        buffer.insert(buffer.end(), text.begin(), text.end());
        if (!cut)
            buffer.push_back('\0');
    }
    return buffer;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> rows;
    const char* text = reinterpret_cast<const char*>(data);
    size_t begin = 0;
    for (size_t i = 0; i <= size; ++i) {
        if (i == size || text[i] == '\n') {
            rows.emplace_back(text + begin, i - begin);
            begin = i + 1;
        }
    }
    if (size == 0)
        rows.clear();

    PacketFilter filter(0);
    std::string message = "stale";
    const bool compiled = FilterCompiler::Compile(rows, Templates(), filter, &message);
    const std::vector<REC_FILTER>& conditions = filter.Conditions();
    if (!compiled) {
        Check(!message.empty());
        Check(conditions.empty());
        return 0;
    }
    Check(message.empty());
    size_t rowEnds = 0;
    for (size_t i = 0; i < conditions.size(); ++i) {
        const REC_FILTER& c = conditions[i];
        const void* nul = std::memchr(c.values, '\0', sizeof c.values);
        Check(nul != nullptr);
        const size_t length = static_cast<size_t>(static_cast<const char*>(nul) - c.values);
        Check(length <= FilterCompiler::kMaxValuesLength);
        Check(length == 0 || c.values[length - 1] == ';');
        Check(c.link <= kFilterLinkEndLast);
        Check((c.link == kFilterLinkEndLast) == (i + 1 == conditions.size()));
        Check(KnownField(c.fieldId));
        if (c.link != kFilterLinkAnd)
            ++rowEnds;
    }
    Check(rowEnds == rows.size());
    for (const std::string& row : rows)
        Check(row.size() < FilterCompiler::kMaxRowLength && row.find('\0') == std::string::npos);

    const std::vector<std::vector<char>> buffers = {
        FieldBuffer({{4, "0x1234"}, {5, "0x0000"}, {7, "1 0 1"}, {8, "-64"}, {9, "OK"}}, false),
        FieldBuffer({{11, "my node "}, {10, "3 1 | 0 | 0x1234/5/2"}, {4, "0x00124B0000000101"}}, false),
        FieldBuffer({{7, "0 1 1"}, {4, std::string(600, '*') + "?\\ |;"}}, true),
        FieldBuffer({}, false),
    };
    for (const std::vector<char>& fields : buffers) {
        // A heap block of exactly the records' size.
        std::unique_ptr<char[]> exact(new char[fields.size()]);
        if (!fields.empty())
            std::memcpy(exact.get(), fields.data(), fields.size());
        PARSED_DATA packet{};
        packet.fieldCount = 5;
        packet.bytesUsed = static_cast<int32_t>(fields.size());
        packet.fieldBuffer = fields.empty() ? nullptr : exact.get();
        PacketFilter sized(static_cast<uint16_t>(fields.size()));
        for (const REC_FILTER& c : conditions)
            sized.AddCondition(c);
        const int result = sized.Evaluate(packet);
        Check(result == 0 || result == 1);
    }
    return 0;
}
