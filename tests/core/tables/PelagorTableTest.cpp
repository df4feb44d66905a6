// The table reader on real files in temporary folders: the line grammar, Mnemonic.plt, the
// symbol lookup, the plug-in's field names through a loaded plug-in, and the version suffix.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/host/PluginHandler.h"
#include "core/tables/PelagorTable.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

using platform::MessageBoxRecorder;
using testsupport::TempFolder;

namespace {

const char* const kMnemonics =
    "# symbols of the reader's tests\n"
    " *|*|ONE|1\n"
    " *|*|HEXED|0x1F\n"
    " *|*|ALL_BITS|0xFFFFFFFF\n";

// A table of columns given as "S5" (type letter, width), "S21:20" (a string target of 20
// bytes), "_S5" (unbound), "T1" (a column of type 1). Letters: S string, U unsigned decimal,
// H hexadecimal, M mnemonic, B boolean. Columns are named C0, C1, ...
class TestTable {
public:
    TestTable(const std::string& folder, const std::string& layout, const std::string& name = "Test.plt")
        : table_(folder, name)
    {
        std::istringstream in(layout);
        std::string column;
        while (in >> column) {
            Store store;
            store.bound = column[0] != '_';
            if (!store.bound)
                column.erase(0, 1);
            store.letter = column[0];
            const size_t colon = column.find(':');
            const int width = std::stoi(column.substr(1, colon));
            const int type = store.letter == 'S'   ? PelagorTable::kString
                             : store.letter == 'U' ? PelagorTable::kUShort
                             : store.letter == 'H' ? PelagorTable::kHex
                             : store.letter == 'M' ? PelagorTable::kMnemonic
                             : store.letter == 'B' ? PelagorTable::kBool
                                                   : width;
            store.text.resize(colon != std::string::npos ? std::stoul(column.substr(colon + 1)) : width + 1);
            table_.AddColumn(std::string("C").append(std::to_string(stores_.size())), type, width);
            stores_.push_back(std::move(store));
        }
        for (size_t i = 0; i < stores_.size(); ++i) {
            Store& s = stores_[i];
            if (!s.bound)
                continue;
            const int column = static_cast<int>(i);
            const int bound = s.letter == 'S'   ? table_.SetColumnTarget(column, s.text.data(), s.text.size())
                              : s.letter == 'U' ? table_.SetColumnTarget(column, &s.u16)
                              : s.letter == 'H' ? table_.SetColumnTarget(column, &s.u32)
                                                : table_.SetColumnTarget(column, &s.i32);
            EXPECT_EQ(bound, s.letter == 'T' ? 0 : 1) << "column " << i;
        }
    }

    PelagorTable& Table() { return table_; }

    std::vector<std::string> Fields() const
    {
        std::vector<std::string> fields;
        for (const Store& s : stores_) {
            if (!s.bound)
                fields.push_back("<unbound>");
            else if (s.letter == 'S')
                fields.emplace_back(s.text.data(), strnlen(s.text.data(), s.text.size()));
            else if (s.letter == 'U')
                fields.push_back(std::to_string(s.u16));
            else if (s.letter == 'H')
                fields.push_back(std::to_string(s.u32));
            else
                fields.push_back(std::to_string(s.i32));
        }
        return fields;
    }

    // A string target is zero-filled to its end.
    bool TextTargetsZeroFilled() const
    {
        for (const Store& s : stores_) {
            if (s.letter != 'S' || !s.bound)
                continue;
            const size_t used = strnlen(s.text.data(), s.text.size());
            for (size_t i = used; i < s.text.size(); ++i)
                if (s.text[i] != '\0')
                    return false;
        }
        return true;
    }

private:
    struct Store {
        char letter = 'S';
        bool bound = true;
        std::vector<char> text; // exactly the target's size, so that ASan sees a write past it
        uint16_t u16 = 0xBEEF;
        uint32_t u32 = 0xBEEF;
        int i32 = 0xBEEF;
    };
    PelagorTable table_;
    std::vector<Store> stores_;
};

struct Outcome {
    int result;
    std::vector<std::string> fields; // for a row
    std::string buffer;              // the reason of a rejected line, or the directive line
};

struct LineCase {
    const char* name;
    const char* columns;
    std::string file;
    std::vector<Outcome> lines; // then the end of the file
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr int kRow = PelagorTable::kRowRead;
constexpr int kRejected = PelagorTable::kLineRejected;
constexpr int kComment = PelagorTable::kCommentLine;
constexpr int kDirective = PelagorTable::kDirectiveLine;

Outcome Row(std::vector<std::string> fields)
{
    return {kRow, std::move(fields), ""};
}

Outcome Rejected(const std::string& reason)
{
    return {kRejected, {}, reason};
}

class ReaderLines : public ::testing::TestWithParam<LineCase> {};

} // namespace

TEST_P(ReaderLines, GivesRowsRejectsAndEnd)
{
    const LineCase& c = GetParam();
    TempFolder folder;
    folder.Write("Test.plt", c.file);
    folder.Write("Mnemonic.plt", kMnemonics);
    TestTable table(folder.Path().string(), c.columns);
    ASSERT_EQ(table.Table().Open(), 1) << table.Table().GetError();

    for (size_t i = 0; i < c.lines.size(); ++i) {
        const Outcome& want = c.lines[i];
        char buffer[PelagorTable::kMinLineBuffer];
        std::memset(buffer, 'Z', sizeof buffer);
        buffer[sizeof buffer - 1] = '\0';
        ASSERT_EQ(table.Table().ReadLine(buffer, sizeof buffer), want.result) << "line " << i + 1;
        if (want.result == kRow) {
            EXPECT_EQ(table.Fields(), want.fields) << "line " << i + 1;
            EXPECT_TRUE(table.TextTargetsZeroFilled()) << "line " << i + 1;
        }
        if (want.result == kRejected || want.result == kDirective) {
            EXPECT_EQ(std::string(buffer), want.buffer) << "line " << i + 1;
        }
    }
    char buffer[PelagorTable::kMinLineBuffer];
    EXPECT_EQ(table.Table().ReadLine(buffer, sizeof buffer), PelagorTable::kEndOfFile);
    EXPECT_EQ(table.Table().ReadLine(buffer, sizeof buffer), PelagorTable::kEndOfFile);
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ReaderLines,
    ::testing::Values(
        // Separators and blanks.
        LineCase{"three_strings", "S5 S5 S5", "a|b|c\n", {Row({"a", "b", "c"})}},
        LineCase{"blanks_before_fields_and_separators_dropped", "S5 S5 S5", "  a  |\t b \t|  c\n",
                 {Row({"a", "b", "c"})}},
        LineCase{"blank_between_words_stays", "S10 S5", "one  two|x\n", {Row({"one  two", "x"})}},
        LineCase{"last_field_keeps_blanks_before_line_end", "S5 S5", "a|b  \n", {Row({"a", "b  "})}},
        LineCase{"tab_inside_field_stays", "S5 S5", "a\tb|c\t\n", {Row({"a\tb", "c\t"})}},
        LineCase{"tabs_only_then_text", "S5 S5", "\t\t\ta\n", {Row({"a", ""})}},
        LineCase{"blank_skip_limited_to_width", "S2 S2", "   ab|c\n", {Row({" a", "c"})}},
        // Backslashes.
        LineCase{"backslash_puts_separator_into_field", "S5 S5", "a\\|b|c\n", {Row({"a|b", "c"})}},
        LineCase{"backslash_n_is_line_feed", "S5 S5", "a\\nb|c\n", {Row({"a\nb", "c"})}},
        LineCase{"backslash_before_backslash_and_blank", "S5 S5", "a\\\\\\ b|c\n", {Row({"a\\ b", "c"})}},
        LineCase{"leading_backslash_keeps_blanks", "S5 S5", "\\  x|y\n", {Row({"  x", "y"})}},
        LineCase{"leading_backslash_then_n_is_letter", "S5 S5", "\\nx|y\n", {Row({"nx", "y"})}},
        LineCase{"leading_backslash_then_separator_is_empty", "S5 S5 S5", "\\|y|z\n", {Row({"", "y", "z"})}},
        LineCase{"backslash_at_end_of_file", "S5 S5", "ab\\", {Row({"ab", ""})}},
        LineCase{"lone_backslash_at_end_of_file", "S5 S5", "\\", {Row({"", ""})}},
        // Widths.
        LineCase{"long_field_cut_next_after_separator", "S3 S3", "abcdefgh|xy\n", {Row({"abc", "xy"})}},
        LineCase{"escaped_separator_in_cut_rest_skipped", "S3 S3", "abcd\\|ef|xy\n", {Row({"abc", "xy"})}},
        LineCase{"target_smaller_than_width", "S21:20 S3", "abcdefghijklmnopqrstuvw|z\n",
                 {Row({"abcdefghijklmnopqrs", "z"})}},
        LineCase{"zero_width", "S0 S3", "abc|d\n", {Row({"", "d"})}},
        LineCase{"decimal_token_is_width_plus_one", "U3 U3", "12345|9\n", {Row({"1234", "9"})}},
        LineCase{"hex_token_at_most_nine", "H20 S1", "0x123456789|z\n", {Row({std::to_string(0x1234567), "z"})}},
        LineCase{"hex_token_width_plus_one", "H4 S1", "0x12345|z\n", {Row({std::to_string(0x123), "z"})}},
        // Missing, empty and extra fields.
        LineCase{"missing_fields_are_empty", "S3 U3 B5 S3", "a\n", {Row({"a", "0", "0", ""})}},
        LineCase{"empty_fields", "S3 S3 S3 S3", "|b||d\n", {Row({"", "b", "", "d"})}},
        LineCase{"extra_fields_ignored", "S3 S3", "a|b|c|d\n", {Row({"a", "b"})}},
        LineCase{"only_line_end_is_row_of_empty_fields", "S3 U3", "\n", {Row({"", "0"})}},
        LineCase{"only_blanks_is_row_of_empty_fields", "S5 S5", "   \n", {Row({"", ""})}},
        LineCase{"unbound_column_read_and_dropped", "S3 _S5 S3", "a|bbbbbbb|c\n", {Row({"a", "<unbound>", "c"})}},
        LineCase{"targets_cleared_between_rows", "S3 U5 B5 H4", "abc|7|TRUE|0x1\n|70000||0x0\n",
                 {Row({"abc", "7", "1", "1"}), Row({"", "0", "0", "0"})}},
        // Comment, directive and empty lines.
        LineCase{"comment_and_directive", "S3 H4", "# a|b\n$!RF_DEVICE=X\nab|0x2\n",
                 {Outcome{kComment, {}, ""}, Outcome{kDirective, {}, "$!RF_DEVICE=X\n"}, Row({"ab", "2"})}},
        LineCase{"line_starting_with_nul_is_empty", "H4", std::string("\0x|y\n", 5), {Outcome{kComment, {}, ""}}},
        LineCase{"nul_ends_the_line", "S5 S5", std::string("a\0b|c\n", 6), {Row({"a", ""})}},
        LineCase{"dollar_alone_is_no_directive", "S3 S3", "$x|y\n", {Row({"$x", "y"})}},
        // Line ends.
        LineCase{"crlf_read_as_text", "S5 H4", "ab|0x1F\r\n$!D\r\n\r\n",
                 {Row({"ab", "31"}), Outcome{kDirective, {}, "$!D\n"}, Rejected("Not able to convert Hex value in field: C1")}},
        LineCase{"crlf_field_keeps_blanks_not_cr", "S5", "ab \r\n", {Row({"ab "})}},
        LineCase{"last_line_without_line_end", "S3 S3", "a|b\nc|d", {Row({"a", "b"}), Row({"c", "d"})}},
        LineCase{"lone_cr_ends_a_field", "S3 S3 S3", "a\rb|c\n", {Row({"a", "", "b"})}},
        LineCase{"very_long_line_cut_at_254_and_rest_dropped", "S5 S5",
                 std::string(300, 'a') + "|b\nx|y\n", {Row({"aaaaa", ""}), Row({"x", "y"})}},
        LineCase{"line_of_254_keeps_its_last_field", "S255 S5",
                 std::string(250, 'a') + "|bc\n", {Row({std::string(250, 'a'), "bc"})}},
        LineCase{"line_of_255_loses_the_end", "S255 S5",
                 std::string(250, 'a') + "|bcd\n", {Row({std::string(250, 'a'), "bcd"})}},
        LineCase{"line_of_256_cut", "S255 S5",
                 std::string(250, 'a') + "|bcde\n", {Row({std::string(250, 'a'), "bcd"})}},
        LineCase{"long_directive_cut_to_254", "S3",
                 "$!" + std::string(300, 'd') + "\n", {Outcome{kDirective, {}, "$!" + std::string(252, 'd')}}},
        // Decimal columns.
        LineCase{"decimal_values", "U5 U5 U5 U5 U5 U5", "65535|65536|-1|12ab|x|  7\n",
                 {Row({"65535", "0", "0", "12", "0", "7"})}},
        LineCase{"decimal_huge_is_no_value", "U30", "99999999999999999999999999\n", {Row({"0"})}},
        // Hexadecimal columns.
        LineCase{"hex_values", "H6 H6 H6 H6 H6", "0x1F|0XfF|x10|0x1G|0x:;\n",
                 {Row({"31", "255", "16", "1", std::to_string(0xAB)})}},
        LineCase{"hex_prefix_without_digits_is_zero", "H6 S1", "0x|z\n", {Row({"0", "z"})}},
        LineCase{"hex_text_before_x", "H6", "ab0x12\n", {Row({std::to_string(0x12)})}},
        LineCase{"hex_without_x_rejects", "S3 H4", "a|1F\n", {Rejected("Not able to convert Hex value in field: C1")}},
        LineCase{"hex_empty_rejects", "H4", "|0x1\n", {Rejected("Not able to convert Hex value in field: C0")}},
        LineCase{"hex_missing_rejects", "S3 H4", "a\n", {Rejected("Not able to convert Hex value in field: C1")}},
        LineCase{"reading_goes_on_after_a_rejected_line", "H4", "1\n0x2\n",
                 {Rejected("Not able to convert Hex value in field: C0"), Row({"2"})}},
        // Boolean columns.
        LineCase{"boolean_values", "B5 B5 B5 B5 B5", "TRUE|xTRUE|true|FALSE|\n", {Row({"1", "1", "0", "0", "0"})}},
        // Mnemonic columns.
        LineCase{"mnemonic_values", "M20 M20 M20", "ONE|HEXED|ALL_BITS\n", {Row({"1", "31", "-1"})}},
        LineCase{"mnemonic_unknown_rejects", "M20 M20", "ONE|TWO\n", {Rejected("Not able to convert mnemonic in field: C1")}},
        LineCase{"mnemonic_case_sensitive", "M20", "one\n", {Rejected("Not able to convert mnemonic in field: C0")}},
        LineCase{"mnemonic_empty_rejects", "M20", "\n", {Rejected("Not able to convert mnemonic in field: C0")}},
        LineCase{"mnemonic_cut_to_width_plus_one", "M2", "ONEX\n", {Row({"1"})}},
        // Column types without a reader.
        LineCase{"type_one_rejects", "S3 T1", "a|b\n", {Rejected("Unknown column type in field: C1")}},
        LineCase{"type_six_rejects", "T6", "a\n", {Rejected("Unknown column type in field: C0")}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReaderLine, ReasonAndDirectiveStayInsideTheBuffer)
{
    TempFolder folder;
    const std::string column(255, 'K');
    folder.Write("Test.plt", "1\n$!abcdefgh\n");
    PelagorTable table(folder.Path().string(), "Test.plt");
    uint32_t value = 0;
    table.AddColumn(column, PelagorTable::kHex, 4);
    ASSERT_EQ(table.SetColumnTarget(0, &value), 1);
    ASSERT_EQ(table.Open(), 1);

    char buffer[300];
    std::memset(buffer, 'Z', sizeof buffer);
    ASSERT_EQ(table.ReadLine(buffer, 20), PelagorTable::kLineRejected);
    EXPECT_EQ(std::string(buffer), "Not able to convert");
    EXPECT_EQ(buffer[20], 'Z');
    ASSERT_EQ(table.ReadLine(buffer, 5), PelagorTable::kDirectiveLine);
    EXPECT_EQ(std::string(buffer), "$!ab");
}

TEST(ReaderBinding, TargetMustFitTheColumnType)
{
    PelagorTable table("/nowhere", "Test.plt");
    table.AddColumn("S", PelagorTable::kString, 3);
    table.AddColumn("H", PelagorTable::kHex, 4);
    table.AddColumn("B", PelagorTable::kBool, 4);
    char text[4];
    uint16_t u16 = 0;
    uint32_t u32 = 0;
    int i32 = 0;
    EXPECT_EQ(table.SetColumnTarget(0, &u32), 0);
    EXPECT_EQ(table.SetColumnTarget(0, text, 0), 0);
    EXPECT_EQ(table.SetColumnTarget(0, text, sizeof text), 1);
    EXPECT_EQ(table.SetColumnTarget(1, &u16), 0);
    EXPECT_EQ(table.SetColumnTarget(1, &i32), 0);
    EXPECT_EQ(table.SetColumnTarget(1, &u32), 1);
    EXPECT_EQ(table.SetColumnTarget(2, &i32), 1);
    EXPECT_EQ(table.SetColumnTarget(3, &i32), 0);
    EXPECT_EQ(table.SetColumnTarget(-1, &i32), 0);
}

TEST(ReaderOpen, FailuresLeaveTheirReason)
{
    MessageBoxRecorder recorder;
    TempFolder folder;
    const std::string base = folder.Path().string();

    PelagorTable noColumns(base, "Test.plt");
    folder.Write("Test.plt", "a\n");
    EXPECT_EQ(noColumns.Open(), 0);
    EXPECT_STREQ(noColumns.GetError(), "No columns declared for table: Test.plt");
    EXPECT_EQ(noColumns.GetError(), nullptr);

    PelagorTable missing(base, "Missing.plt");
    missing.AddColumn("C0", PelagorTable::kString, 3);
    EXPECT_EQ(missing.GetError(), nullptr);
    EXPECT_EQ(missing.Open(), 0);
    EXPECT_EQ(std::string(missing.GetError()), "Not able to open table: " + base + "/Missing.plt");
    EXPECT_EQ(missing.GetError(), nullptr);

    std::filesystem::create_directories(folder.Path() / "Folder.plt");
    PelagorTable isFolder(base, "Folder.plt");
    isFolder.AddColumn("C0", PelagorTable::kString, 3);
    EXPECT_EQ(isFolder.Open(), 0);
    EXPECT_EQ(std::string(isFolder.GetError()), "Not able to open table: " + base + "/Folder.plt");

    // Not open: nothing to read.
    char buffer[PelagorTable::kMinLineBuffer];
    EXPECT_EQ(isFolder.ReadLine(buffer, sizeof buffer), PelagorTable::kEndOfFile);
    EXPECT_TRUE(recorder.Texts().empty());
}

TEST(ReaderOpen, ErrorTextKeepsAtMost127Characters)
{
    TempFolder folder;
    const std::string deep = folder / std::string(200, 'd');
    PelagorTable table(deep, "Test.plt");
    table.AddColumn("C0", PelagorTable::kString, 3);
    ASSERT_EQ(table.Open(), 0);
    const std::string whole = "Not able to open table: " + deep + "/Test.plt";
    EXPECT_EQ(std::string(table.GetError()), whole.substr(0, 127));
}

TEST(ReaderOpen, FolderWithBackslashesAndTrailingSeparator)
{
    TempFolder folder;
    folder.Write("proto/Test.plt", "back\n");
    for (const std::string& given : {folder.Path().string() + "\\proto", folder.Path().string() + "/proto/"}) {
        TestTable table(given, "S5");
        ASSERT_EQ(table.Table().Open(), 1) << given;
        char buffer[PelagorTable::kMinLineBuffer];
        ASSERT_EQ(table.Table().ReadLine(buffer, sizeof buffer), kRow);
        EXPECT_EQ(table.Fields(), std::vector<std::string>{"back"});
    }
}

namespace {

struct SuffixCase {
    const char* name;
    const char* folder; // inside the temporary folder
    std::vector<std::string> files;
    const char* suffix;
    const char* read;   // the file read (its only line is its name), or nullptr
};

void PrintTo(const SuffixCase& c, std::ostream* os)
{
    *os << c.name;
}

class ReaderSuffix : public ::testing::TestWithParam<SuffixCase> {};

} // namespace

TEST_P(ReaderSuffix, SuffixedTableFirstThenPlain)
{
    const SuffixCase& c = GetParam();
    TempFolder root;
    for (const std::string& file : c.files)
        root.Write(std::string(c.folder) + "/" + file, file + "\n");
    std::filesystem::create_directories(root.Path() / c.folder);
    const std::string folder = root / c.folder;

    TestTable table(folder, "S60", "FsListBoxItems.plt");
    if (c.read == nullptr) {
        ASSERT_EQ(table.Table().Open(c.suffix), 0);
        EXPECT_EQ(std::string(table.Table().GetError()), "Not able to open table: " + folder + "/FsListBoxItems.plt");
        return;
    }
    ASSERT_EQ(table.Table().Open(c.suffix), 1) << table.Table().GetError();
    EXPECT_EQ(table.Table().Path(), folder + "/" + c.read);
    char buffer[PelagorTable::kMinLineBuffer];
    ASSERT_EQ(table.Table().ReadLine(buffer, sizeof buffer), kRow);
    EXPECT_EQ(table.Fields(), std::vector<std::string>{c.read});
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ReaderSuffix,
    ::testing::Values(
        SuffixCase{"suffixed_first", "p", {"FsListBoxItems.plt", "FsListBoxItems_V2.plt"}, "V2", "FsListBoxItems_V2.plt"},
        SuffixCase{"plain_as_fallback", "p", {"FsListBoxItems.plt"}, "V2", "FsListBoxItems.plt"},
        SuffixCase{"neither_names_the_plain_path", "p", {}, "V2", nullptr},
        SuffixCase{"only_suffixed_without_suffix", "p", {"FsListBoxItems_V2.plt"}, "", nullptr},
        SuffixCase{"empty_suffix_is_none", "p", {"FsListBoxItems.plt", "FsListBoxItems_.plt"}, "", "FsListBoxItems.plt"},
        SuffixCase{"slash_in_version_becomes_underscore", "p", {"FsListBoxItems.plt", "FsListBoxItems_V2_1.plt"},
                   "V2/1", "FsListBoxItems_V2_1.plt"},
        SuffixCase{"slash_in_version_falls_back", "p", {"FsListBoxItems.plt"}, "V2/1", "FsListBoxItems.plt"},
        SuffixCase{"suffix_in_folder_name_keeps_folder", "proto_V2", {"FsListBoxItems.plt"}, "V2", "FsListBoxItems.plt"},
        SuffixCase{"plt_in_folder_name_keeps_folder", "x.plt.d", {"FsListBoxItems.plt", "FsListBoxItems_V2.plt"}, "V2",
                   "FsListBoxItems_V2.plt"}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct MnemonicFileCase {
    const char* name;
    std::string file;   // Mnemonic.plt; nullptr-like "<none>" for no file
    std::string error;  // after the path prefix; empty: loads
    std::vector<std::pair<std::string, int>> entries;
};

void PrintTo(const MnemonicFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class MnemonicFile : public ::testing::TestWithParam<MnemonicFileCase> {};

} // namespace

TEST_P(MnemonicFile, LoadsOrFailsWithItsText)
{
    const MnemonicFileCase& c = GetParam();
    MessageBoxRecorder recorder;
    TempFolder folder;
    const std::string path = folder / "Mnemonic.plt";
    if (c.file != "<none>")
        folder.Write("Mnemonic.plt", c.file);
    folder.Write("Test.plt", "");
    TestTable table(folder.Path().string(), "M20");
    if (c.error.empty()) {
        ASSERT_EQ(table.Table().Open(), 1) << table.Table().GetError();
        std::vector<std::pair<std::string, int>> entries;
        for (const MNEMONIC_REC& entry : table.Table().Mnemonics())
            entries.emplace_back(std::string(entry.table) + "|" + entry.column + "|" + entry.name, entry.value);
        EXPECT_EQ(entries, c.entries);
    } else {
        ASSERT_EQ(table.Table().Open(), 0);
        const std::string expected = c.file == "<none>" ? "Not able to open table: " + path + "\n"
                                                         : "Error reading table " + path + ".\n" + c.error;
        EXPECT_EQ(std::string(table.Table().GetError()), expected.substr(0, 127));
        EXPECT_TRUE(table.Table().Mnemonics().empty());
    }
    EXPECT_TRUE(recorder.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Loading, MnemonicFile,
    ::testing::Values(
        MnemonicFileCase{"missing", "<none>", "-", {}},
        MnemonicFileCase{"empty_file", "", "", {}},
        MnemonicFileCase{"entries_in_file_order",
                         "# head\n FieldDef.plt|INDEX|IDX_A|0x10\r\n *|*|ALL|0xFFFFFFFF\n  *  |  *  |  SPACED  |  42\n",
                         "",
                         {{"FieldDef.plt|INDEX|IDX_A", 16}, {"*|*|ALL", -1}, {"*|*|SPACED", 42}}},
        MnemonicFileCase{"name_cut_to_29_value_to_10", " *|*|" + std::string(35, 'N') + "|12345678901\n", "",
                         {{"*|*|" + std::string(29, 'N'), 1234567890}}},
        MnemonicFileCase{"int_limit", " *|*|MAX|2147483647\n", "", {{"*|*|MAX", 2147483647}}},
        MnemonicFileCase{"empty_line", " *|*|A|1\n\n", "Invalid character (\n) at first position on line 2", {}},
        MnemonicFileCase{"tab_first", "\t*|*|A|1\n", "Invalid character (\t) at first position on line 1", {}},
        MnemonicFileCase{"text_first_after_comment", "# c\n *|*|A|1\nX*|*|B|2\n",
                         "Invalid character (X) at first position on line 3", {}},
        MnemonicFileCase{"decimal_with_letter", " *|*|A|12a\n", "Not able to convert value (12a) on line 1", {}},
        MnemonicFileCase{"empty_value", " *|*|A|\n", "Not able to convert value () on line 1", {}},
        MnemonicFileCase{"negative_value", " *|*|A|-1\n", "Not able to convert value (-1) on line 1", {}},
        MnemonicFileCase{"value_beyond_int", " *|*|A|2147483648\n", "Not able to convert value (2147483648) on line 1", {}},
        MnemonicFileCase{"upper_case_hex_prefix_is_no_hex", " *|*|A|0X1F\n", "Not able to convert value (0X1F) on line 1", {}},
        MnemonicFileCase{"hex_without_digits", " *|*|A|1\n *|*|B|0xZZ\n",
                         "Not able to convert Hex value (0xZZ) on line 2", {}}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

const char* const kLookupMnemonics =
    " *|*|WILD|1\n"
    " FieldDef.plt|INDEX|EXACT|2\n"
    " FieldDef.plt|*|ANY_COLUMN|3\n"
    " *|INDEX|ANY_TABLE|4\n"
    " Other.plt|*|ELSEWHERE|5\n"
    " *|OTHER|OTHER_COLUMN|6\n"
    " FieldDef.plt|INDEX|TWICE|7\n"
    " FieldDef.plt|INDEX|TWICE|8\n"
    " *|*|WILD_FIRST|9\n"
    " FieldDef.plt|INDEX|WILD_FIRST|10\n"
    " FieldDef.pl|INDEX|PREFIX|11\n";

struct LookupCase {
    const char* name;
    const char* table;
    const char* column;
    const char* token;
    int value; // -100: not found
};

void PrintTo(const LookupCase& c, std::ostream* os)
{
    *os << c.name;
}

class MnemonicLookup : public ::testing::TestWithParam<LookupCase> {};

} // namespace

TEST_P(MnemonicLookup, FirstApplyingEntryWins)
{
    const LookupCase& c = GetParam();
    TempFolder folder;
    folder.Write("Mnemonic.plt", kLookupMnemonics);
    folder.Write(c.table, std::string(c.token) + "\n");
    PelagorTable table(folder.Path().string(), c.table);
    int value = -1;
    table.AddColumn(c.column, PelagorTable::kMnemonic, 20);
    ASSERT_EQ(table.SetColumnTarget(0, &value), 1);
    ASSERT_EQ(table.Open(), 1) << table.GetError();
    char buffer[PelagorTable::kMinLineBuffer];
    if (c.value == -100) {
        EXPECT_EQ(table.ReadLine(buffer, sizeof buffer), kRejected);
        EXPECT_EQ(std::string(buffer), std::string("Not able to convert mnemonic in field: ") + c.column);
    } else {
        ASSERT_EQ(table.ReadLine(buffer, sizeof buffer), kRow);
        EXPECT_EQ(value, c.value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, MnemonicLookup,
    ::testing::Values(LookupCase{"wildcards", "Any.plt", "ANY", "WILD", 1},
                      LookupCase{"exact_table_and_column", "FieldDef.plt", "INDEX", "EXACT", 2},
                      LookupCase{"exact_table_other_column", "FieldDef.plt", "NAME", "EXACT", -100},
                      LookupCase{"exact_column_other_table", "Other.plt", "INDEX", "EXACT", -100},
                      LookupCase{"table_with_any_column", "FieldDef.plt", "TYPE", "ANY_COLUMN", 3},
                      LookupCase{"column_with_any_table", "Other.plt", "INDEX", "ANY_TABLE", 4},
                      LookupCase{"symbol_of_another_table", "FieldDef.plt", "INDEX", "ELSEWHERE", -100},
                      LookupCase{"symbol_of_another_column", "FieldDef.plt", "INDEX", "OTHER_COLUMN", -100},
                      LookupCase{"defined_twice_takes_first", "FieldDef.plt", "INDEX", "TWICE", 7},
                      LookupCase{"wildcard_before_exact_wins", "FieldDef.plt", "INDEX", "WILD_FIRST", 9},
                      LookupCase{"table_name_compared_whole", "FieldDef.plt", "INDEX", "PREFIX", -100},
                      LookupCase{"blanks_around_token", "FieldDef.plt", "INDEX", "  EXACT  |", 2},
                      LookupCase{"token_prefix_is_no_match", "FieldDef.plt", "INDEX", "EXAC", -100}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

const char* const kDescription = "Protocol_name=Fixture\nPacket_length_raw_data=64\nPacket_length_parsed_data=333\n";

// Makes host the table reader's plug-in host while it lives.
struct HostInstalled {
    explicit HostInstalled(PluginHandler* host) { PelagorTable::SetPluginHandler(host); }
    ~HostInstalled() { PelagorTable::SetPluginHandler(nullptr); }
};

std::vector<std::pair<std::string, int>> EntriesOf(const PelagorTable& table)
{
    std::vector<std::pair<std::string, int>> entries;
    for (const MNEMONIC_REC& entry : table.Mnemonics())
        entries.emplace_back(std::string(entry.table) + "|" + entry.column + "|" + entry.name, entry.value);
    return entries;
}

} // namespace

TEST(PluginMnemonics, FieldNamesFollowTheFileEntries)
{
    TempFolder root;
    const std::string plugin = root.Link("Protocols/Proto/proto.so", FIELD_NAMES_PLUGIN);
    root.Write("Protocols/Proto/proto.plt", kDescription);
    root.Write("Protocols/common.plt", "[Radio_Settings]\n");
    root.Write("Protocols/Proto/Mnemonic.plt", " *|*|FN_SHARED|100\n");
    root.Write("Protocols/Proto/Test.plt", "FN_SHARED|FN_LAST|FN_FIRST\n");
    PluginHandler host;
    ASSERT_EQ(host.Load(plugin.c_str(), ""), 1) << host.LoadErrorText();
    HostInstalled installed(&host);

    const std::string folder = root / "Protocols/Proto";
    TestTable table(folder, "M20 M20 M20");
    ASSERT_EQ(table.Table().Open(), 1) << table.Table().GetError();
    EXPECT_EQ(EntriesOf(table.Table()),
              (std::vector<std::pair<std::string, int>>{{"*|*|FN_SHARED", 100},
                                                        {"*|*|FN_FIRST", 0},
                                                        {"*|*|FN_SHARED", 1},
                                                        {"*|*|FN_THIS_NAME_RUNS_PAST_TWENTY", 2},
                                                        {"*|*|FN_LAST", 3}}));
    char buffer[PelagorTable::kMinLineBuffer];
    ASSERT_EQ(table.Table().ReadLine(buffer, sizeof buffer), kRow);
    EXPECT_EQ(table.Fields(), (std::vector<std::string>{"100", "3", "0"}));

    // Opened again, the list is loaded afresh, not doubled.
    table.Table().Close();
    ASSERT_EQ(table.Table().Open(), 1);
    EXPECT_EQ(table.Table().Mnemonics().size(), 5u);
}

TEST(PluginMnemonics, HalyardNamesNoFields)
{
    MessageBoxRecorder recorder;
    PluginHandler host;
    ASSERT_EQ(host.Load(HALYARD_PATH, ""), 1) << host.LoadErrorText();
    HostInstalled installed(&host);
    TempFolder folder;
    folder.Write("Mnemonic.plt", " *|*|ONE|1\n");
    folder.Write("Test.plt", "");
    TestTable table(folder.Path().string(), "M20");
    ASSERT_EQ(table.Table().Open(), 1);
    EXPECT_EQ(EntriesOf(table.Table()), (std::vector<std::pair<std::string, int>>{{"*|*|ONE", 1}}));
}

TEST(PluginMnemonics, NoHostNoNames)
{
    ASSERT_EQ(PelagorTable::GetPluginHandler(), nullptr);
    TempFolder folder;
    folder.Write("Mnemonic.plt", " *|*|ONE|1\n");
    folder.Write("Test.plt", "FN_FIRST\n");
    TestTable table(folder.Path().string(), "M20");
    ASSERT_EQ(table.Table().Open(), 1);
    EXPECT_EQ(table.Table().Mnemonics().size(), 1u);
    char buffer[PelagorTable::kMinLineBuffer];
    EXPECT_EQ(table.Table().ReadLine(buffer, sizeof buffer), kRejected);
}
