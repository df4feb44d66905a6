#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "launcher/PelagorIniFile.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

namespace {

const char* const kCombobox = "Not able to find text for combobox";
const char* const kParameters = "Not able to find parameters";
const char* const kLink = "Not able to find link to info string";
const char* const kInvalidTag = "Invalid tag for info string";
const char* const kInfo = "Not able to find info string";

struct Entry {
    std::string name;
    std::string parameters;
    std::string info;
    bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* os)
{
    *os << "{" << e.name << " | " << e.parameters << " | " << e.info << "}";
}

struct IniCase {
    const char* name;
    std::string file;
    bool result;
    std::vector<Entry> entries;
    std::string version;
    std::vector<std::string> boxes;
};

void PrintTo(const IniCase& c, std::ostream* os)
{
    *os << c.name;
}

struct ReadResult {
    bool result;
    std::vector<Entry> entries;
    std::string version;
    std::vector<platform::MessageBoxRequest> boxes;
};

ReadResult ReadFile(const std::string& bytes)
{
    testsupport::TempFolder folder;
    const std::string path = folder.Write("Pelagor.ini", bytes);
    platform::MessageBoxRecorder recorder;
    PelagorIniFile ini;
    ReadResult read;
    read.result = ini.Read(path);
    for (int i = 0; i < ini.GetCount(); ++i)
        read.entries.push_back({ini.GetName(i), ini.GetParameters(i), ini.GetInfo(i)});
    read.version = ini.GetVersion();
    read.boxes = recorder.Requests();
    return read;
}

std::string WithCrLf(const std::string& text)
{
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

const std::string kTwoEntries = "Version = \"Ver. 1.2\"\n"
                                "AddSniffer \"Generic\", \"..\\Protocols\\Generic\\Halyard.so\", GEN;\n"
                                "AddSniffer \"Fennet\", \"..\\Protocols\\Fennet\\fennet.so /ec\", FEN;\n";

class IniRead : public ::testing::TestWithParam<IniCase> {};

void ExpectRead(const IniCase& c, const ReadResult& read)
{
    EXPECT_EQ(read.result, c.result);
    EXPECT_EQ(read.entries, c.entries);
    EXPECT_EQ(read.version, c.version);
    std::vector<std::string> texts;
    for (const platform::MessageBoxRequest& box : read.boxes) {
        texts.push_back(box.text);
        EXPECT_EQ(box.icon, platform::MessageIcon::Exclamation) << box.text;
        EXPECT_EQ(box.buttons, platform::MessageButtons::Ok) << box.text;
    }
    EXPECT_EQ(texts, c.boxes);
}

} // namespace

TEST_P(IniRead, WithLineFeeds)
{
    ExpectRead(GetParam(), ReadFile(GetParam().file));
}

// A file written on Windows reads the same.
TEST_P(IniRead, WithCarriageReturnLineFeeds)
{
    ExpectRead(GetParam(), ReadFile(WithCrLf(GetParam().file)));
}

INSTANTIATE_TEST_SUITE_P(
    Files, IniRead,
    ::testing::Values(
        IniCase{"only_comments", "# one\n#Version \"x\"\n# AddSniffer \"a\", \"b\", CC;\n", true, {}, "", {}},
        IniCase{"empty_file", "", true, {}, "", {}},
        IniCase{"entries_and_texts",
                kTwoEntries + "\n[Strings]\nGEN = \"Generic frames&$of any radio\"\nFEN=\"Fennet\"\n",
                true,
                {{"Generic", "..\\Protocols\\Generic\\Halyard.so", "Generic frames&$of any radio"},
                 {"Fennet", "..\\Protocols\\Fennet\\fennet.so /ec", "Fennet"}},
                "Ver. 1.2",
                {}},
        IniCase{"last_line_without_line_end", "AddSniffer \"A\", \"a.so\", AA;\n[Strings]\nAA = \"text\"", true,
                {{"A", "a.so", "text"}}, "", {}},
        IniCase{"tag_without_text_keeps_the_tag", kTwoEntries + "[Strings]\nGEN = \"g\"\n", true,
                {{"Generic", "..\\Protocols\\Generic\\Halyard.so", "g"},
                 {"Fennet", "..\\Protocols\\Fennet\\fennet.so /ec", "FEN"}},
                "Ver. 1.2", {}},
        IniCase{"two_entries_one_tag",
                "AddSniffer \"A\", \"a.so\", SAME;\nAddSniffer \"B\", \"b.so\", SAME;\n[Strings]\nSAME = \"shared\"\n",
                true, {{"A", "a.so", "shared"}, {"B", "b.so", "shared"}}, "", {}},
        IniCase{"tag_with_blanks_around",
                "AddSniffer \"A\", \"a.so\",  \t TAG \t ; after\n[Strings]\n \t TAG \t= \"text\"\n", true,
                {{"A", "a.so", "text"}}, "", {}},
        IniCase{"blanks_kept_inside_quotes", "AddSniffer \" A b \" , \" x.so /hf \" , TAG ;\n", true,
                {{" A b ", " x.so /hf ", "TAG"}}, "", {}},
        IniCase{"text_lines_before_strings_are_ignored",
                "AddSniffer \"A\", \"a.so\", TAG;\nTAG = \"early\"\n[Strings]\n", true, {{"A", "a.so", "TAG"}}, "", {}},
        IniCase{"strings_marker_inside_a_line", "AddSniffer \"A\", \"a.so\", TAG;\n; the [Strings] part\nTAG=\"t\"\n",
                true, {{"A", "a.so", "t"}}, "", {}},
        IniCase{"entries_after_strings_still_count_but_miss_earlier_texts",
                "[Strings]\nTAG = \"t\"\nAddSniffer \"A\", \"a.so\", TAG;\n", true, {{"A", "a.so", "TAG"}}, "", {}},
        IniCase{"text_lines_without_equals_or_with_equals_first_are_ignored",
                "AddSniffer \"A\", \"a.so\", TAG;\n[Strings]\nTAG \"no equals\"\n=TAG \"first\"\nTAG=\"t\"\n", true,
                {{"A", "a.so", "t"}}, "", {}},
        IniCase{"first_text_wins", "AddSniffer \"A\", \"a.so\", TAG;\n[Strings]\nTAG=\"one\"\nTAG=\"two\"\n", true,
                {{"A", "a.so", "one"}}, "", {}},
        IniCase{"version_anywhere_in_a_line_and_before_entries",
                "AddSniffer \"Version 2\", \"a.so\", TAG;\n", true, {}, "Version 2", {}},
        IniCase{"last_version_line_wins", "Version=\"1\"\nVersion=\"2\"\n", true, {}, "2", {}},
        IniCase{"tag_on_the_semicolon_side_only", kTwoEntries + "AddSniffer \"C\", \"c.so\" TAG;\n[Strings]\nGEN=\"g\"\n",
                false,
                {{"Generic", "..\\Protocols\\Generic\\Halyard.so", "GEN"},
                 {"Fennet", "..\\Protocols\\Fennet\\fennet.so /ec", "FEN"}},
                "Ver. 1.2", {kLink}},
        IniCase{"comma_only_in_the_name", "AddSniffer \"a,b\", \"c.so\" TAG;\n", false, {}, "", {kLink}},
        IniCase{"tag_without_semicolon", "AddSniffer \"A\", \"a.so\", TAG\n", false, {}, "", {kLink}},
        IniCase{"tag_of_one_character", "AddSniffer \"A\", \"a.so\", T ;\n", false, {}, "", {kLink}},
        IniCase{"empty_tag", "AddSniffer \"A\", \"a.so\", ;\n", false, {}, "", {kLink}},
        IniCase{"semicolon_before_the_comma", "AddSniffer \"A\", \"a.so\"; TAG,\n", false, {}, "", {kLink}},
        IniCase{"version_without_quotes", kTwoEntries + "Version 2\nAddSniffer \"C\", \"c.so\", CC;\n", false,
                {{"Generic", "..\\Protocols\\Generic\\Halyard.so", "GEN"},
                 {"Fennet", "..\\Protocols\\Fennet\\fennet.so /ec", "FEN"}},
                "Ver. 1.2", {kCombobox}},
        IniCase{"version_with_one_quote", "Version \"2\n", false, {}, "", {kCombobox}},
        IniCase{"version_quote_first_in_line", "\"2\" Version\n", false, {}, "", {kCombobox}},
        IniCase{"entry_without_quotes", "AddSniffer A, a.so, TAG;\n", false, {}, "", {kCombobox}},
        // The first two quotes make the name, whatever they enclose.
        IniCase{"entry_with_unquoted_name", "AddSniffer A, \"a.so\", TAG;\n", false, {}, "", {kParameters}},
        IniCase{"entry_quote_first_in_line", "\"A\" AddSniffer, \"a.so\", TAG;\n", false, {}, "", {kCombobox}},
        IniCase{"entry_without_parameters",
                "AddSniffer \"A\", \"a.so\", AA;\nAddSniffer \"B\", b.so, BB;\n", false, {{"A", "a.so", "AA"}}, "",
                {kParameters}},
        IniCase{"entry_with_one_parameter_quote", "AddSniffer \"B\", \"b.so, BB;\n", false, {}, "", {kParameters}},
        IniCase{"text_tag_of_one_character",
                "AddSniffer \"A\", \"a.so\", AA;\n[Strings]\nAA=\"a\"\n X = \"x\"\nAddSniffer \"B\", \"b.so\", BB;\n",
                false, {{"A", "a.so", "a"}}, "", {kInvalidTag}},
        // The read goes on: later lines still count.
        IniCase{"text_without_quotes_for_two_entries",
                "AddSniffer \"A\", \"a.so\", SAME;\nAddSniffer \"B\", \"b.so\", SAME;\n[Strings]\nSAME = shared\n"
                "AddSniffer \"C\", \"c.so\", CC;\nCC=\"c\"\n",
                false, {{"A", "a.so", "SAME"}, {"B", "b.so", "SAME"}, {"C", "c.so", "c"}}, "", {kInfo, kInfo}},
        IniCase{"text_with_one_quote", "AddSniffer \"A\", \"a.so\", AA;\n[Strings]\nAA = \"open\n", false,
                {{"A", "a.so", "AA"}}, "", {kInfo}},
        IniCase{"text_problem_for_an_unused_tag_is_not_shown", "AddSniffer \"A\", \"a.so\", AA;\n[Strings]\nBB = open\n",
                true, {{"A", "a.so", "AA"}}, "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniReadFile, MissingFileIsNamed)
{
    testsupport::TempFolder folder;
    platform::MessageBoxRecorder recorder;
    PelagorIniFile ini;
    const std::string path = folder / "Pelagor.ini";
    EXPECT_FALSE(ini.Read(path));
    ASSERT_EQ(recorder.Requests().size(), 1u);
    EXPECT_EQ(recorder.Requests()[0].text, "Not able to open table: " + path);
    EXPECT_EQ(recorder.Requests()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(ini.GetCount(), 0);
}

TEST(IniReadFile, FolderIsNoTable)
{
    testsupport::TempFolder folder;
    platform::MessageBoxRecorder recorder;
    PelagorIniFile ini;
    EXPECT_FALSE(ini.Read(folder.Path().string()));
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Not able to open table: " + folder.Path().string()});
}

TEST(IniReadFile, ReadsFromTheCurrentFolderByDefault)
{
    testsupport::TempFolder folder;
    folder.Write("Pelagor.ini", "AddSniffer \"A\", \"a.so\", AA;\n");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    PelagorIniFile ini;
    const bool read = ini.Read();
    std::filesystem::current_path(before);
    EXPECT_TRUE(read);
    EXPECT_EQ(ini.GetCount(), 1);
}

TEST(IniReadFile, AccessOutsideTheEntriesIsEmpty)
{
    testsupport::TempFolder folder;
    PelagorIniFile ini;
    ASSERT_TRUE(ini.Read(folder.Write("Pelagor.ini", "AddSniffer \"A\", \"a.so\", AA;\n")));
    for (const int index : {-1, 1, 1000}) {
        EXPECT_EQ(ini.GetEntry(index), nullptr) << index;
        EXPECT_EQ(ini.GetName(index), "") << index;
        EXPECT_EQ(ini.GetParameters(index), "") << index;
        EXPECT_EQ(ini.GetInfo(index), "") << index;
    }
    ASSERT_NE(ini.GetEntry(0), nullptr);
    EXPECT_EQ(ini.GetEntry(0)->name, "A");
}

// A second read starts from nothing.
TEST(IniReadFile, ReadAgainReplaces)
{
    testsupport::TempFolder folder;
    PelagorIniFile ini;
    ASSERT_TRUE(ini.Read(folder.Write("one.ini", "Version=\"1\"\nAddSniffer \"A\", \"a.so\", AA;\n[Strings]\n")));
    ASSERT_TRUE(ini.Read(folder.Write("two.ini", "AddSniffer \"B\", \"b.so\", BB;\nBB=\"not a text yet\"\n")));
    ASSERT_EQ(ini.GetCount(), 1);
    EXPECT_EQ(ini.GetName(0), "B");
    EXPECT_EQ(ini.GetInfo(0), "BB");
    EXPECT_EQ(ini.GetVersion(), "");
}
