#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/tables/TabPlugin.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

struct Sections {
    std::vector<std::string> versions;
    std::vector<std::string> radio;
    std::vector<FW_REC> firmware;
};

Sections SectionsOf(const TabPlugin& table)
{
    Sections s;
    table.GetProtocolVersions(s.versions);
    table.GetRadioSettings(s.radio);
    table.GetFirmwareList(s.firmware);
    return s;
}

template <size_t N>
std::string WithNuls(const char (&text)[N])
{
    return std::string(text, N - 1);
}

TabPlugin FromText(const std::string& text)
{
    std::istringstream in(text);
    return TabPlugin(in);
}

struct GrammarCase {
    const char* name;
    std::string text;
    bool empty;
    std::vector<std::pair<std::string, std::string>> keys; // key, value ("<none>": absent)
    std::vector<std::string> versions;
    std::vector<std::string> radio;
};

void PrintTo(const GrammarCase& c, std::ostream* os)
{
    *os << c.name;
}

class TagGrammar : public ::testing::TestWithParam<GrammarCase> {};

} // namespace

TEST_P(TagGrammar, Reads)
{
    const GrammarCase& c = GetParam();
    TabPlugin table = FromText(c.text);
    EXPECT_EQ(table.IsEmpty(), c.empty);
    for (const auto& [key, value] : c.keys) {
        const char* found = table.GetValue(key);
        EXPECT_EQ(found != nullptr ? std::string(found) : "<none>", value) << key;
    }
    Sections s = SectionsOf(table);
    EXPECT_EQ(s.versions, c.versions);
    EXPECT_EQ(s.radio, c.radio);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, TagGrammar,
    ::testing::Values(
        GrammarCase{"only_comments_and_blank_lines", "# a\n\n#b=c\n\n", true, {{"#b", "<none>"}}, {}, {}},
        GrammarCase{"empty_file", "", true, {}, {}, {}},
        GrammarCase{"keys_and_sections",
                    "Protocol_name=Generic\nPacket_length_raw_data=271\n[Protocol_versions]\nV1\nV2\n"
                    "[Radio_Settings]\nQZ6F1C\n",
                    false, {{"Protocol_name", "Generic"}, {"Packet_length_raw_data", "271"}},
                    {"V1", "V2"}, {"QZ6F1C"}},
        GrammarCase{"blanks_are_kept", " key = value \n[Protocol_versions]\n   \n",
                    false, {{" key ", " value "}, {"key", "<none>"}}, {"   "}, {}},
        GrammarCase{"empty_value", "Protocol_name=\n", false, {{"Protocol_name", ""}}, {}, {}},
        GrammarCase{"later_key_replaces", "a=1\na=2\n", false, {{"a", "2"}}, {}, {}},
        GrammarCase{"value_holds_more_equals", "a=b=c\n", false, {{"a", "b=c"}}, {}, {}},
        // '=' at position 0 makes no key line; the line is ignored before any section.
        GrammarCase{"equals_first", "=value\n", true, {{"", "<none>"}}, {}, {}},
        GrammarCase{"bracket_key_line_in_header", "[a=b]\n", false, {{"[a", "b]"}}, {}, {}},
        // Empty brackets clear the empty flag but begin no section.
        GrammarCase{"empty_brackets", "[]\nfree line\n", false, {}, {}, {}},
        GrammarCase{"empty_brackets_keep_section", "[Protocol_versions]\nA\n[]\nB\n", false, {},
                    {"A", "B"}, {}},
        GrammarCase{"close_before_open", "x]y[z\n", false, {}, {}, {}},
        GrammarCase{"keys_after_sections_are_lines", "[Protocol_versions]\nName=V\n", false,
                    {{"Name", "<none>"}}, {"Name=V"}, {}},
        GrammarCase{"unknown_section_dropped", "[Other]\nx\n[Radio_Settings]\ny\n", false, {}, {}, {"y"}},
        GrammarCase{"section_names_are_case_sensitive", "[radio_settings]\ny\n", false, {}, {}, {}},
        GrammarCase{"section_name_inside_text", "junk [Radio_Settings] junk\nQZE61\n", false, {},
                    {}, {"QZE61"}},
        GrammarCase{"crlf_line_ends", "a=1\r\n[Protocol_versions]\r\nV\r\n", false, {{"a", "1"}},
                    {"V"}, {}},
        GrammarCase{"no_final_line_end", "a=1", false, {{"a", "1"}}, {}, {}},
        GrammarCase{"text_without_equals_before_sections", "hello\nworld\n", true, {}, {}, {}},
        GrammarCase{"nul_bytes_in_a_line", WithNuls("a=1\0x\n[Protocol_versions]\nv\0w\n"),
                    false, {{"a", "1"}}, {std::string("v\0w", 3)}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TagGrammar, VeryLongLine)
{
    std::string value(1 << 20, 'v');
    TabPlugin table = FromText("key=" + value + "\n[Protocol_versions]\n" + value + "\n");
    ASSERT_NE(table.GetValue("key"), nullptr);
    EXPECT_EQ(std::string(table.GetValue("key")).size(), value.size());
    EXPECT_EQ(SectionsOf(table).versions, std::vector<std::string>{value});
}

namespace {

struct FirmwareCase {
    const char* line;
    bool accepted;
    uint16_t code;
    int usart;
    const char* file;
};

void PrintTo(const FirmwareCase& c, std::ostream* os)
{
    *os << '"' << c.line << '"';
}

class FirmwareLine : public ::testing::TestWithParam<FirmwareCase> {};

} // namespace

TEST_P(FirmwareLine, Parses)
{
    const FirmwareCase& c = GetParam();
    TabPlugin table = FromText(std::string("[Firmware]\n") + c.line + "\n");
    std::vector<FW_REC> list;
    EXPECT_EQ(table.GetFirmwareList(list), c.accepted ? 1 : 0);
    if (c.accepted && list.size() == 1) {
        EXPECT_EQ(list[0].chipCode, c.code);
        EXPECT_EQ(list[0].usartChoice, c.usart);
        EXPECT_EQ(list[0].file, c.file);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, FirmwareLine,
    ::testing::Values(FirmwareCase{"0x6F1C=fw.hex", true, 0x6F1C, 1, "fw.hex"},
                      FirmwareCase{"0x6F1C::USART0=fw.hex", true, 0x6F1C, 0, "fw.hex"},
                      FirmwareCase{"0x6F1C::USART1=fw.hex", true, 0x6F1C, 1, "fw.hex"},
                      FirmwareCase{"0x6F1C::USART2=fw.hex", false, 0, 0, ""},
                      FirmwareCase{"0x=fw.hex", false, 0, 0, ""},
                      FirmwareCase{"0x6F1C::US", false, 0, 0, ""},
                      // The five characters and the "0x" are not examined.
                      FirmwareCase{"ZZ3a1e::abcde0=a=b", true, 0x3A1E, 0, "a=b"},
                      FirmwareCase{"0x6F1C::USART0", true, 0x6F1C, 0, "0x6F1C::USART0"},
                      FirmwareCase{"0x123456=big.hex", true, 0x3456, 1, "big.hex"},
                      FirmwareCase{"0xQQ=fw.hex", false, 0, 0, ""},
                      FirmwareCase{"0x6F1C=", true, 0x6F1C, 1, ""},
                      FirmwareCase{"=fw.hex", false, 0, 0, ""}));

TEST(FirmwareLine, BracketsMakeASectionLine)
{
    TabPlugin table = FromText("[Firmware]\n0x6F1C=[fw].hex\n0x3A1E=ok.hex\n");
    std::vector<FW_REC> list;
    table.GetFirmwareList(list);
    EXPECT_TRUE(list.empty());
}

TEST(TagTableFile, MissingFileShowsItsPath)
{
    platform::MessageBoxRecorder recorder;
    TabPlugin table("/nonexistent/folder/proto.plt");
    EXPECT_TRUE(table.IsEmpty());
    ASSERT_EQ(recorder.Texts(), std::vector<std::string>{"Not able to open table: /nonexistent/folder/proto.plt"});
    EXPECT_EQ(recorder.Requests()[0].icon, platform::MessageIcon::Exclamation);
}

TEST(TagTableFile, FolderInsteadOfFile)
{
    platform::MessageBoxRecorder recorder;
    testsupport::TempFolder folder;
    TabPlugin table(folder.Path().string());
    EXPECT_TRUE(table.IsEmpty());
}

TEST(TagTableFile, ReadsAFileWithBackslashPath)
{
    testsupport::TempFolder folder;
    folder.Write("proto/x.plt", "Protocol_name=X\n");
    TabPlugin table(folder.Path().string() + "\\proto\\x.plt");
    ASSERT_FALSE(table.IsEmpty());
    EXPECT_STREQ(table.GetValue("Protocol_name"), "X");
}

TEST(TagTableFile, ShippedTablesReadWithoutRejectedLines)
{
    platform::MessageBoxRecorder recorder;
    TabPlugin common(PELAGOR_PROTOCOLS_SOURCE "/common.plt");
    Sections s = SectionsOf(common);
    EXPECT_FALSE(common.IsEmpty());
    EXPECT_FALSE(s.radio.empty());
    // Every firmware line of the file was taken.
    std::ifstream in(PELAGOR_PROTOCOLS_SOURCE "/common.plt");
    std::string line;
    bool inFirmware = false;
    size_t lines = 0;
    while (std::getline(in, line)) {
        if (line.rfind('[', 0) == 0)
            inFirmware = line == "[Firmware]";
        else if (inFirmware && !line.empty() && line[0] != '#')
            ++lines;
    }
    EXPECT_EQ(s.firmware.size(), lines);
    EXPECT_TRUE(recorder.Texts().empty());
}
