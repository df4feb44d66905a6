#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/host/FilterCompiler.h"
#include "core/host/FilterTemplates.h"
#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "core/tables/PelagorTable.h"
#include "core/tables/TabFieldDef.h"
#include "core/tables/TabFilterDepTemplate.h"
#include "plugin/frame/ParsedFieldRec.h"
#include "tests/plugin/fennet/FennetRecord.h"
#include "tests/plugin/tolvane/MacFrameBuilder.h"
#include "tests/plugin/tolvane/TolvaneFrames.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;

// One compiled condition, comparable and printable.
struct Cond {
    uint32_t link;
    uint32_t fieldId;
    std::string values;
    bool operator==(const Cond&) const = default;
};

void PrintTo(const Cond& c, std::ostream* os)
{
    *os << "{" << c.link << ", " << c.fieldId << ", \"" << c.values << "\"}";
}

// text into a zero-filled record field, cut to fit with its zero.
template <size_t N>
void CopyText(char (&field)[N], const char* text)
{
    std::memcpy(field, text, std::min(std::strlen(text), N - 1));
}

TAB_FIELD_DEF_REC FieldRow(int index, const char* shortName, int type, const char* subheader = "")
{
    TAB_FIELD_DEF_REC row{};
    row.INDEX = index;
    row.TYPE = type;
    CopyText(row.SHORTNAME, shortName);
    CopyText(row.SUBHEADER, subheader);
    return row;
}

constexpr uint32_t kSrc = 4;
constexpr uint32_t kDst = 5;
constexpr uint32_t kFcf = 7;
constexpr uint32_t kA = 10;
constexpr uint32_t kB = 11;

// The fields the cases below are written against.
const FilterTemplates& SmallTable()
{
    static const FilterTemplates templates = [] {
        FilterTemplates t;
        t.AddField(FieldRow(kSrc, "SRC", 1), nullptr);
        t.AddField(FieldRow(kDst, "DST", 2), nullptr);
        t.AddField(FieldRow(kFcf, "FCF", FilterTemplates::kTypeWithParameters, "Type Sec Pend"), nullptr);
        t.AddField(FieldRow(kA, "A", 1), nullptr);
        t.AddField(FieldRow(kB, "B", 1), nullptr);
        return t;
    }();
    return templates;
}

struct Compiled {
    bool ok;
    std::vector<Cond> conditions;
    std::string message;
};

Compiled CompileRows(const std::vector<std::string>& rows, const FilterTemplates& templates = SmallTable())
{
    PacketFilter filter(600);
    Compiled result{};
    result.ok = FilterCompiler::Compile(rows, templates, filter, &result.message);
    for (const REC_FILTER& c : filter.Conditions()) {
        EXPECT_NE(std::memchr(c.values, '\0', sizeof c.values), nullptr);
        result.conditions.push_back({c.link, c.fieldId, c.values});
    }
    return result;
}

struct AcceptedCase {
    const char* name;
    std::vector<std::string> rows;
    std::vector<Cond> conditions;
};

void ExpectAccepted(const std::vector<AcceptedCase>& cases)
{
    for (const AcceptedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Compiled got = CompileRows(c.rows);
        EXPECT_TRUE(got.ok) << got.message;
        EXPECT_EQ(got.message, "");
        EXPECT_EQ(got.conditions, c.conditions);
    }
}

struct RefusedCase {
    const char* name;
    std::vector<std::string> rows;
    std::string message;
};

void ExpectRefused(const std::vector<RefusedCase>& cases)
{
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Compiled got = CompileRows(c.rows);
        EXPECT_FALSE(got.ok);
        EXPECT_EQ(got.message, c.message);
        EXPECT_TRUE(got.conditions.empty()) << "a refused window must leave the filter as it was";
    }
}

TEST(FilterCompiler, RowsGiveTheirConditions)
{
    ExpectAccepted({
        {"one plain value", {"SRC=0x1234"}, {{2, kSrc, "0x1234;"}}},
        {"rows are ORed, conditions ANDed", {"SRC=1;DST=2", "SRC=3"}, {{0, kSrc, "1;"}, {1, kDst, "2;"}, {2, kSrc, "3;"}}},
        {"middle parameter left out", {"FCF=(Type=1, Pend=0)"}, {{2, kFcf, "1;*;0;"}}},
        {"leading parameters left out", {"FCF=(Pend=0)"}, {{2, kFcf, "*;*;0;"}}},
        {"trailing parameters not filled", {"FCF=(Type=1)"}, {{2, kFcf, "1;"}}},
        {"out of template order", {"FCF=(Pend=0, Type=1)"}, {{2, kFcf, "*;*;0;1;"}}},
        {"blanks inside and after a value stay", {"A=my node ;B=2"}, {{0, kA, "my node ;"}, {2, kB, "2;"}}},
        {"blanks before a plain value go", {"A= 5"}, {{2, kA, "5;"}}},
        {"extra separators", {"SRC=1;;;DST=2"}, {{0, kSrc, "1;"}, {2, kDst, "2;"}}},
        {"closing separator", {"SRC=1;"}, {{2, kSrc, "1;"}}},
        {"a comma after a plain value opens a parameter never closed", {"SRC=1,2"}, {{2, kSrc, "1;"}}},
        {"a condition may follow ')' directly", {"FCF=(Sec=1)SRC=2"}, {{0, kFcf, "*;1;"}, {2, kSrc, "2;"}}},
        {"tabs go everywhere, blanks outside values", {"\t S R\tC = 1 2\t3 ; D ST=4"},
         {{0, kSrc, "1 23 ;"}, {2, kDst, "4;"}}},
        {"three rows", {"A=1", "B=2", "SRC=3;DST=4"},
         {{1, kA, "1;"}, {1, kB, "2;"}, {0, kSrc, "3;"}, {2, kDst, "4;"}}},
        {"no rows: a filter without conditions", {}, {}},
    });
}

TEST(FilterCompiler, RefusedRowsGiveTheirText)
{
    ExpectRefused({
        {"short name past its width at the row end", {"ABCD=1"}, "Not able to lookup Short name ABCD.\n"},
        {"unknown short name last in the row", {"SRC=1;XYZ=2"}, "Not able to lookup Short name XYZ.\n"},
        {"unknown short name inside the row", {"XYZ=1;SRC=2"}, "Not able to lookup Short name XYZ"},
        {"second short name a single letter", {"SRC=1;S"}, "Not able to lookup Short name S.\n"},
        {"empty row", {""}, "Not able to lookup Short name .\n"},
        {"empty row after a good one", {"SRC=1", ""}, "Not able to lookup Short name .\n"},
        {"unknown parameter", {"FCF=(Bad=1)"}, "Not able to lookup parameter Bad.\n"},
        {"parameter of another field", {"SRC=(Type=1)"}, "Not able to lookup parameter Type.\n"},
        {"bad second row", {"SRC=1", "FCF=(Type=1, Nope=2)"}, "Not able to lookup parameter Nope.\n"},
    });
}

TEST(FilterCompiler, RowsOf2000CharactersAreRefused)
{
    // Tabs are dropped everywhere, so only the length counts.
    const std::string longest = "SRC=1" + std::string(FilterCompiler::kMaxRowLength - 1 - 5, '\t');
    ASSERT_EQ(longest.size(), 1999u);
    ExpectAccepted({{"1999 characters", {longest}, {{2, kSrc, "1;"}}},
                    {"1999 blanks before", {std::string(1994, ' ') + "SRC=1"}, {{2, kSrc, "1;"}}}});
    ExpectRefused({{"2000 characters", {longest + '\t'}, "String to long. Max length = 2000.\n"},
                   {"a long row after a good one", {"SRC=1", std::string(5000, 'A')},
                    "String to long. Max length = 2000.\n"}});
}

// Fault: a parameter value kept the blanks before it, so FCF=(Type= 1) tested " 1" and
// matched nothing.
TEST(FilterCompilerMend, ParameterValueSkipsBlanksBeforeIt)
{
    ExpectAccepted({
        {"one blank", {"FCF=(Type= 1)"}, {{2, kFcf, "1;"}}},
        {"blanks before each", {"FCF=(Type=  1, Pend=   0)"}, {{2, kFcf, "1;*;0;"}}},
        {"blanks inside and after stay", {"FCF=(Sec= my node , Pend=1 )"}, {{2, kFcf, "*;my node ;1 ;"}}},
        {"tab and blanks", {"FCF=(Type=\t 1)"}, {{2, kFcf, "1;"}}},
    });
}

// Fault: a parameter list left open at the row end got no "*;" fillers, so its value was
// tested at the first position.
TEST(FilterCompilerMend, ParameterListOpenAtTheRowEndGetsItsFillers)
{
    ExpectAccepted({
        {"one parameter", {"FCF=(Pend=0"}, {{2, kFcf, "*;*;0;"}}},
        {"after another", {"FCF=(Type=1, Pend=0"}, {{2, kFcf, "1;*;0;"}}},
        {"ending an earlier row", {"FCF=(Sec=1", "SRC=2"}, {{1, kFcf, "*;1;"}, {2, kSrc, "2;"}}},
    });
}

// Both faults, as the filter sees them: the frame control text of a packet is its three
// parameters in template order.
TEST(FilterCompilerMend, OpenOrBlankParameterValuesMatchTheRightPackets)
{
    const auto packet = [](const std::string& fcfText) {
        PARSED_FIELD_REC head{static_cast<int32_t>(kFcf), static_cast<int32_t>(fcfText.size() + 1)};
        std::string bytes(sizeof head, '\0');
        std::memcpy(bytes.data(), &head, sizeof head);
        return bytes + fcfText + '\0';
    };
    const struct {
        const char* row;
        const char* fcfText;
        bool passes;
    } cases[] = {
        {"FCF=(Type= 1)", "1 0 0", true},
        {"FCF=(Type= 1)", "0 0 0", false},
        {"FCF=(Pend=1", "0 0 1", true},
        {"FCF=(Pend=1", "1 0 0", false},
        {"FCF=(Type= 0, Pend= 1", "0 1 1", true},
        {"FCF=(Type= 0, Pend= 1", "0 1 0", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.row) + " on " + c.fcfText);
        std::string bytes = packet(c.fcfText);
        PARSED_DATA data{};
        data.fieldCount = 1;
        data.bytesUsed = static_cast<int32_t>(bytes.size());
        data.fieldBuffer = bytes.data();
        PacketFilter filter(static_cast<uint16_t>(bytes.size()));
        std::string message;
        ASSERT_TRUE(FilterCompiler::Compile({c.row}, SmallTable(), filter, &message)) << message;
        EXPECT_EQ(filter.Evaluate(data), c.passes ? 1 : 0);
    }
}

// Fault: a values text past the 499 characters of the record was cut, which left a prefix
// pattern that matched more packets than were asked for.
TEST(FilterCompilerMend, ValuesPastTheRecordAreRefused)
{
    const std::string tooLong = "Filter condition to long for field SRC. Max length of its values = 499.\n";
    const std::string fcfTooLong = "Filter condition to long for field FCF. Max length of its values = 499.\n";
    ExpectAccepted({
        {"498 characters and ';'", {"SRC=" + std::string(498, 'a')}, {{2, kSrc, std::string(498, 'a') + ";"}}},
        {"fillers count", {"FCF=(Pend=" + std::string(494, 'b') + ")"},
         {{2, kFcf, "*;*;" + std::string(494, 'b') + ";"}}},
        {"several values count together", {"FCF=(Type=" + std::string(300, 'c') + ", Pend=" + std::string(194, 'd')},
         {{2, kFcf, std::string(300, 'c') + ";*;" + std::string(194, 'd') + ";"}}},
    });
    ExpectRefused({
        {"499 characters and ';'", {"SRC=" + std::string(499, 'a')}, tooLong},
        {"far too long", {"SRC=" + std::string(1990, 'a')}, tooLong},
        {"blanks after the value count", {"SRC=a" + std::string(498, ' ')}, tooLong},
        {"fillers push it over", {"FCF=(Pend=" + std::string(495, 'b') + ")"}, fcfTooLong},
        {"several values together", {"FCF=(Type=" + std::string(300, 'c') + ", Pend=" + std::string(196, 'd')},
         fcfTooLong},
        {"repeated parameters", {"FCF=(Type=" + std::string(200, 'e') + ", Type=" + std::string(200, 'e') +
                                 ", Type=" + std::string(200, 'e') + ")"},
         fcfTooLong},
        {"inside the row", {"SRC=" + std::string(600, 'a') + ";DST=1"}, tooLong},
    });
}

// Fault: a NUL inside a row ended the values text there, so what followed it was never tested.
TEST(FilterCompilerMend, NulInARowIsRefused)
{
    const std::string nul = "Filter condition contains a NUL character.\n";
    ExpectRefused({
        {"inside a value", {std::string("SRC=1\0002", 7)}, nul},
        {"between conditions", {std::string("SRC=1;\0DST=2", 12)}, nul},
        {"in a later row", {"SRC=1", std::string("DST=\0", 5)}, nul},
    });
}

// A short name past its 3 characters can name no field: refused with what was typed, wherever
// it stands, and never cut to a name that exists.
TEST(FilterCompilerMend, LongShortNameIsRefusedWithWhatWasTyped)
{
    ExpectRefused({
        {"inside the row", {"SRCX=1;DST=2"}, "Not able to lookup Short name SRCX"},
        {"at the end", {"DST=2;SRCSRCSRC=1"}, "Not able to lookup Short name SRCSRCSRC.\n"},
        {"very long", {std::string(1500, 'S') + "=1"}, "Not able to lookup Short name " + std::string(1500, 'S') + ".\n"},
        {"with parameters", {"FCFF=(Type=1)"}, "Not able to lookup parameter Type.\n"},
    });
}

TEST(FilterCompiler, RefusedWindowAddsNothingAndSuccessAppends)
{
    PacketFilter filter(600);
    std::string message = "stale";
    ASSERT_TRUE(FilterCompiler::Compile({"SRC=1"}, SmallTable(), filter, &message));
    EXPECT_EQ(message, "");
    EXPECT_FALSE(FilterCompiler::Compile({"DST=2", "XYZ=3"}, SmallTable(), filter, &message));
    EXPECT_EQ(message, "Not able to lookup Short name XYZ.\n");
    ASSERT_EQ(filter.Conditions().size(), 1u);
    EXPECT_TRUE(FilterCompiler::Compile({"DST=2"}, SmallTable(), filter, nullptr));
    ASSERT_EQ(filter.Conditions().size(), 2u);
    EXPECT_EQ(filter.Conditions()[1].fieldId, kDst);
}

struct TemplateCase {
    const char* name;
    TAB_FIELD_DEF_REC field;
    const char* dependent;
    std::string expected;
    std::map<std::string, uint16_t> parameters; // of the field's own short name
};

TEST(FilterTemplates, BuildsTemplatesFromRows)
{
    constexpr int kParams = FilterTemplates::kTypeWithParameters;
    const TemplateCase cases[] = {
        {"plain field", FieldRow(4, "SRC", 1), nullptr, "SRC=x", {}},
        {"plain field ignores its subheader", FieldRow(4, "SRC", 2, "Type Sec"), nullptr, "SRC=x", {}},
        {"parameters", FieldRow(7, "FCF", kParams, "Type Sec Pend"), nullptr, "FCF=(Type=x, Sec=x, Pend=x)",
         {{"Type", 0}, {"Sec", 1}, {"Pend", 2}}},
        {"trailing blank", FieldRow(7, "FCF", kParams, "Type Sec "), nullptr, "FCF=(Type=x, Sec=x, )",
         {{"Type", 0}, {"Sec", 1}}},
        {"runs of blanks, tabs and '|'", FieldRow(7, "FCF", kParams, "Type \t| Sec||Pend"), nullptr,
         "FCF=(Type=x, Sec=x, Pend=x)", {{"Type", 0}, {"Sec", 1}, {"Pend", 2}}},
        {"separators before the first word", FieldRow(7, "FCF", kParams, "  Type"), nullptr, "FCF=(Type=x)",
         {{"Type", 0}}},
        {"no parameter words", FieldRow(7, "FCF", kParams, ""), nullptr, "FCF=()", {}},
        {"dependent template before", FieldRow(4, "SRC", 1), "FT=x", "FT=x;SRC=x", {}},
        {"dependent template on the field itself", FieldRow(4, "SRC", 1), "SRC=(a=x)", "SRC=(a=x)", {}},
        {"dependent template on a field with parameters", FieldRow(7, "FCF", kParams, "Type Sec"), "DPA=x",
         "DPA=x;FCF=(Type=x, Sec=x)", {{"Type", 0}, {"Sec", 1}}},
        {"dependent template replacing one with parameters", FieldRow(7, "FCF", kParams, "Type Sec"), "FCF=ERR",
         "FCF=ERR", {}},
    };
    for (const TemplateCase& c : cases) {
        SCOPED_TRACE(c.name);
        FilterTemplates t;
        EXPECT_EQ(t.AddField(c.field, c.dependent), c.expected);
        uint32_t id = 0;
        ASSERT_TRUE(t.FindShortName(c.field.SHORTNAME, &id));
        EXPECT_EQ(id, static_cast<uint32_t>(c.field.INDEX));
        for (const auto& [word, position] : c.parameters) {
            uint16_t found = 99;
            EXPECT_TRUE(t.FindParameter(c.field.SHORTNAME, word, &found)) << word;
            EXPECT_EQ(found, position) << word;
        }
        // Only a field of TYPE 3 that builds its own template has parameters.
        if (c.parameters.empty()) {
            for (const char* word : {"a", "Type"})
                EXPECT_FALSE(t.FindParameter(c.field.SHORTNAME, word, nullptr)) << word;
        }
    }
}

TEST(FilterTemplates, TablesKeepEveryFieldApart)
{
    FilterTemplates t;
    t.AddField(FieldRow(1, "A_", FilterTemplates::kTypeWithParameters, "B"), nullptr);
    t.AddField(FieldRow(2, "A", FilterTemplates::kTypeWithParameters, "x _B"), nullptr);
    t.AddField(FieldRow(3, "", 1), nullptr);
    uint16_t position = 99;
    ASSERT_TRUE(t.FindParameter("A_", "B", &position));
    EXPECT_EQ(position, 0);
    ASSERT_TRUE(t.FindParameter("A", "_B", &position));
    EXPECT_EQ(position, 1);
    EXPECT_FALSE(t.FindParameter("A", "B", nullptr));
    // A field without a short name cannot be filtered on: an empty row still names no field.
    EXPECT_FALSE(t.FindShortName("", nullptr));
    EXPECT_FALSE(t.FindShortName("A_B", nullptr));
    // The later row of a short name wins.
    t.AddField(FieldRow(9, "A", 1), nullptr);
    uint32_t id = 0;
    ASSERT_TRUE(t.FindShortName("A", &id));
    EXPECT_EQ(id, 9u);
    t.Clear();
    EXPECT_FALSE(t.FindShortName("A", nullptr));
    EXPECT_FALSE(t.FindParameter("A_", "B", nullptr));
}

// ---- Through the real Tolvane plug-in, its shipped tables and a store. ----

const std::string kTolvaneFolder = std::string(PELAGOR_TEST_PROTOCOLS_DIR) + "/Tolvane";

// Field short names and their templates as the panel loads them from a protocol folder.
struct LoadedField {
    TAB_FIELD_DEF_REC row;
    std::string templ;
};

class TolvaneFilter : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(host_.Load(TOLVANE_PATH, ""), 1) << host_.LoadErrorText();
        ASSERT_EQ(host_.SetChipType("QZ6F86"), 1);
        PelagorTable::SetPluginHandler(&host_);
        TabFieldDef fields(kTolvaneFolder);
        ASSERT_EQ(fields.Read(), 1);
        TabFilterDepTemplate dependent(kTolvaneFolder);
        ASSERT_EQ(dependent.Read(), 1);
        for (const TAB_FIELD_DEF_REC& row : fields.Rows()) {
            if (row.SHORTNAME[0] == '\0')
                continue;
            const char* own = nullptr;
            for (const TAB_DEPENDENT_TEMPLATE_REC& d : dependent.Rows())
                if (own == nullptr && std::strcmp(d.SHORTNAME, row.SHORTNAME) == 0)
                    own = d.DEPENDENT_TEMPLATE;
            loaded_.push_back({row, templates_.AddField(row, own)});
        }
    }
    void TearDown() override { PelagorTable::SetPluginHandler(nullptr); }

    uint32_t Id(const std::string& shortName) const
    {
        uint32_t id = UINT32_MAX;
        EXPECT_TRUE(templates_.FindShortName(shortName, &id)) << shortName;
        return id;
    }

    const std::string& TemplateOf(const std::string& shortName) const
    {
        static const std::string none;
        for (const LoadedField& f : loaded_)
            if (f.row.SHORTNAME == shortName)
                return f.templ;
        ADD_FAILURE() << "no template for " << shortName;
        return none;
    }

    PluginHandler host_;
    FilterTemplates templates_;
    std::vector<LoadedField> loaded_;
};

// Every "=x" of a template given the value v.
std::string Filled(std::string templ, const std::string& v)
{
    for (size_t at = templ.find("=x"); at != std::string::npos; at = templ.find("=x", at + 1 + v.size()))
        templ.replace(at + 1, 1, v);
    return templ;
}

TEST_F(TolvaneFilter, ShippedTemplatesAreBuiltAsTheFieldsDescribeThem)
{
    std::map<std::string, std::string> byName;
    for (const LoadedField& f : loaded_)
        byName[f.row.SHORTNAME] = f.templ;
    const std::map<std::string, std::string> expected = {
        {"NR", "NR=x"},
        {"SRC", "SRC=x"},
        {"DST", "DPA=x;DST=x"},
        {"RSS", "FCS=OK;RSS=(dBm=x)"},
        {"LQI", "FCS=OK;LQI=x"},
        {"FCS", "FCS=ERR"},
        {"TX", "TX="},
        {"SEC", "SEC=(Level=x, KeyMode=x)"},
        {"GTS", "GTS=(Len=x, Permit=x, Directions=x, List=x, (addr/slot/length)=x)"},
        {"GRQ", "GRQ=(Length=x, RX/TX=x, only=x, Type=x)"},
        {"CR2", "CR2=(PANId=x, CoordAddr=x, Channel=x, ShortAddr=x, Page=x)"},
    };
    for (const auto& [name, templ] : expected)
        EXPECT_EQ(byName[name], templ) << name;
    uint16_t position = 0;
    ASSERT_TRUE(templates_.FindParameter("GTS", "(addr/slot/length)", &position));
    EXPECT_EQ(position, 4);
}

TEST_F(TolvaneFilter, EveryShippedTemplateCompilesWithItsValues)
{
    ASSERT_GT(loaded_.size(), 50u);
    for (const LoadedField& f : loaded_) {
        const std::string row = Filled(f.templ, "7");
        SCOPED_TRACE(f.templ + " as " + row);
        PacketFilter filter(host_.ParsedLength());
        std::string message;
        ASSERT_TRUE(FilterCompiler::Compile({row}, templates_, filter, &message)) << message;
        const std::vector<REC_FILTER>& conditions = filter.Conditions();
        ASSERT_FALSE(conditions.empty());

        // One condition per ';'-separated part (no shipped template has ';' inside "(...)").
        std::vector<std::string> parts;
        for (size_t begin = 0;;) {
            const size_t end = f.templ.find(';', begin);
            parts.push_back(f.templ.substr(begin, end - begin));
            if (end == std::string::npos)
                break;
            begin = end + 1;
        }
        ASSERT_EQ(conditions.size(), parts.size());
        for (size_t i = 0; i < parts.size(); ++i) {
            const std::string& part = parts[i];
            const size_t equals = part.find('=');
            EXPECT_EQ(conditions[i].link, i + 1 == parts.size() ? kFilterLinkEndLast : kFilterLinkAnd);
            EXPECT_EQ(conditions[i].fieldId, Id(part.substr(0, equals)));
            std::string values;
            if (part.compare(equals, 2, "=(") == 0) {
                for (size_t at = part.find("=x"); at != std::string::npos; at = part.find("=x", at + 2))
                    values += "7;";
            } else if (equals + 1 < part.size()) {
                values = Filled(part.substr(equals), "7").substr(1) + ";";
            }
            EXPECT_EQ(std::string(conditions[i].values), values) << part;
        }
        // The field's own condition closes its template.
        EXPECT_EQ(conditions.back().fieldId, static_cast<uint32_t>(f.row.INDEX));
    }
}

// A small store of Tolvane frames from a few sources, some of them extended addresses, with
// acknowledgements (no source at all) between them.
class TolvaneStore : public TolvaneFilter {
protected:
    void SetUp() override
    {
        TolvaneFilter::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(testsupport::SetUpStore(store_, &host_, host_.RawLength(), host_.ParsedLength(),
                                            temp_.Path().string() + "/", 1));
        const uint16_t sources[] = {0x0101, 0x0102, 0x0101, 0x0203, 0x0101, 0x1010, 0x0102};
        for (int round = 0; round < 30; ++round) {
            for (size_t i = 0; i < std::size(sources); ++i) {
                const uint8_t rssi = static_cast<uint8_t>(0xC0 + (round + i) % 5);
                Add(testsupport::ShortData(0x1234, 0x0000, sources[i]), rssi);
                if (i % 3 == 0)
                    Add(testsupport::FrameBytes().U16(testsupport::FrameControl{.type = 2}.Value()).U8(1), rssi);
            }
            Add(testsupport::ExtendedData(0x1234, 0x0000, 0x00124B0000000101ull), 0xC1);
            Add(testsupport::AssociationResponse(0x1234, 0x00124B0000000102ull, 0x00124B0000000001ull, 0x0102),
                0xC2);
        }
        store_.Stop(1);
        ASSERT_TRUE(store_.WaitForLoader(10000));
        fields_.assign(host_.ParsedLength(), '\0');
        PARSED_DATA out{};
        out.fieldBuffer = fields_.data();
        for (int32_t n = 1; n <= store_.GetPacketCount(0); ++n) {
            ASSERT_TRUE(Serve(n, out)) << n;
            std::vector<char> copy(fields_.begin(), fields_.end());
            packets_.push_back({out, std::move(copy)});
            packets_.back().data.fieldBuffer = packets_.back().fields.data();
        }
    }
    void TearDown() override
    {
        store_.FilterOff();
        TolvaneFilter::TearDown();
    }

    void Add(const std::vector<uint8_t>& mac, uint8_t rssi)
    {
        const uint64_t ticks = 32ull * 1000 * static_cast<uint64_t>(store_.GetPacketCount(0) + 1);
        std::vector<uint8_t> record = testsupport::MakeMacRecord(1, ticks, mac, rssi, 0x80, host_.RawLength());
        record.resize(host_.RawLength());
        ASSERT_EQ(store_.AddPacket(record.data(), 1, testsupport::CapturedFromDevice(record), 0), 1);
    }

    // Asks for packet n as the packet list does, once a refresh, until it is served.
    bool Serve(int32_t n, PARSED_DATA& out)
    {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (std::chrono::steady_clock::now() < end) {
            if (store_.GetPacket(n, 0, &out) == 1)
                return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    std::string Text(const PARSED_DATA& packet, uint32_t id) const
    {
        ParsedFieldCursor cursor(packet.fieldBuffer, std::min<int32_t>(packet.bytesUsed, host_.ParsedLength()));
        while (auto field = cursor.Next())
            if (static_cast<uint32_t>(field->fieldId) == id)
                return std::string(field->text);
        return "<missing>";
    }

    // The packet numbers the store serves while filter is installed, after its scan.
    std::vector<uint32_t> Filtered(PacketFilter& filter)
    {
        store_.SetFilter(&filter);
        EXPECT_TRUE(store_.WaitForScan(10000));
        std::vector<uint32_t> numbers;
        PARSED_DATA out{};
        std::vector<char> fields(host_.ParsedLength());
        out.fieldBuffer = fields.data();
        for (int32_t n = 1; n <= store_.GetPacketCount(1); ++n) {
            EXPECT_TRUE(Serve(n, out)) << n;
            numbers.push_back(out.packetNumber);
        }
        store_.FilterOff();
        return numbers;
    }

    struct Packet {
        PARSED_DATA data;
        std::vector<char> fields;
    };

    testsupport::TempFolder temp_;
    PacketManager store_;
    std::vector<char> fields_;
    std::vector<Packet> packets_;
};

TEST_F(TolvaneStore, SourceFilterServesExactlyThePacketsFromThatSource)
{
    ASSERT_GT(packets_.size(), 300u);
    const uint32_t src = Id("SRC");
    std::set<std::string> sources;
    for (const Packet& p : packets_)
        sources.insert(Text(p.data, src));
    // Short and extended addresses, and frames without a source.
    EXPECT_TRUE(sources.count("0x0101") && sources.count("0x00124B0000000101") && sources.count("<missing>"));

    for (const char* address : {"0x0101", "0x0102", "0x1010", "0x00124B0000000101"}) {
        SCOPED_TRACE(address);
        PacketFilter filter(host_.ParsedLength());
        std::string message;
        ASSERT_TRUE(FilterCompiler::Compile({Filled(TemplateOf("SRC"), address)}, templates_, filter, &message))
            << message;
        std::vector<uint32_t> expected;
        for (const Packet& p : packets_) {
            const bool carries = Text(p.data, src) == address;
            EXPECT_EQ(filter.Evaluate(p.data), carries ? 1 : 0) << p.data.packetNumber;
            if (carries)
                expected.push_back(p.data.packetNumber);
        }
        ASSERT_FALSE(expected.empty());
        ASSERT_LT(expected.size(), packets_.size());
        EXPECT_EQ(Filtered(filter), expected);
    }
}

TEST_F(TolvaneStore, RowsOfTheWindowAreORed)
{
    const uint32_t src = Id("SRC");
    const uint32_t dst = Id("DST");
    PacketFilter filter(host_.ParsedLength());
    std::string message;
    ASSERT_TRUE(FilterCompiler::Compile({"SRC=0x0203;DST=0x0000", "SRC=0x1010", "DST=0x00124B0000000102"}, templates_,
                                        filter, &message))
        << message;
    std::vector<uint32_t> expected;
    for (const Packet& p : packets_) {
        const std::string s = Text(p.data, src);
        const std::string d = Text(p.data, dst);
        if ((s == "0x0203" && d == "0x0000") || s == "0x1010" || d == "0x00124B0000000102")
            expected.push_back(p.data.packetNumber);
    }
    ASSERT_GT(expected.size(), 60u);
    EXPECT_EQ(Filtered(filter), expected);
}

// A parameter value typed with a blank after "=" selects what the value alone selects.
TEST_F(TolvaneStore, BlankBeforeAParameterValueSelectsTheSamePackets)
{
    const uint32_t rss = Id("RSS");
    std::map<std::string, int> byText;
    for (const Packet& p : packets_)
        if (Text(p.data, rss) != "<missing>")
            ++byText[Text(p.data, rss)];
    ASSERT_GE(byText.size(), 3u);
    const std::string value = byText.begin()->first;
    std::vector<std::vector<uint32_t>> served;
    for (const std::string& row : {"RSS=(dBm=" + value + ")", "RSS=(dBm= " + value + ")", "RSS=(dBm=  " + value}) {
        PacketFilter filter(host_.ParsedLength());
        std::string message;
        ASSERT_TRUE(FilterCompiler::Compile({row}, templates_, filter, &message)) << message;
        served.push_back(Filtered(filter));
        EXPECT_EQ(served.back().size(), static_cast<size_t>(byText.begin()->second)) << row;
    }
    EXPECT_EQ(served[1], served[0]);
    EXPECT_EQ(served[2], served[0]);
}

} // namespace
