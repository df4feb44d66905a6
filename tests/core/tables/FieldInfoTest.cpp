// The field catalogue, loaded from small protocol folders through the real table readers.
#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "core/tables/FieldInfo.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

using platform::MessageBoxRecorder;
using testsupport::TempFolder;

namespace {

// Symbols F0..F49 (field ids), M0..M9 (show modes), G0..G9 (groups), the colour BLUE and two
// field ids that no catalogue may store.
std::string FixtureMnemonics()
{
    std::string text = "# fixture symbols\n";
    for (int i = 0; i < 50; ++i)
        text += " *|*|F" + std::to_string(i) + "|" + std::to_string(i) + "\n";
    for (int i = 0; i < 10; ++i) {
        text += " FieldDef.plt|SHOWMODE|M" + std::to_string(i) + "|" + std::to_string(i) + "\n";
        text += " *|*|G" + std::to_string(i) + "|" + std::to_string(i) + "\n";
    }
    text += " *|*|BLUE|0xFF0000\n";
    text += " *|*|NEGATIVE|0xFFFFFFFF\n";
    text += " *|*|HUGE|0x7FFFFFFF\n";
    return text;
}

// One FieldDef.plt line: field id symbol, name, show mode, SHOW and ADDTOPKTWIDTH.
std::string FieldRow(const std::string& index, const std::string& name, int mode = 0, bool show = true,
                     bool add = true)
{
    return index + "|" + name + "|F1|" + name.substr(0, 3) + "|BLUE|F0|" + name + " head|" + name + " sub|" +
           (add ? "TRUE" : "FALSE") + "|" + (show ? "TRUE" : "FALSE") + "|M" + std::to_string(mode) + "\n";
}

std::string Numbered(std::string prefix, int n)
{
    return prefix.append(std::to_string(n));
}

// A protocol folder of its own with Mnemonic.plt and whatever tables a case writes.
struct ProtocolFolder {
    TempFolder folder;
    ProtocolFolder() { folder.Write("Mnemonic.plt", FixtureMnemonics()); }
    void Write(const std::string& table, const std::string& text) const { folder.Write(table, text); }
    std::string Path() const { return folder.Path().string(); }
};

// SHOW (or ADDTOPKTWIDTH) of every definition, one digit per field id.
std::string Flags(const FieldInfo& info, bool add = false)
{
    std::string flags;
    for (const TAB_FIELD_DEF_REC& def : info.FieldDefs())
        flags += static_cast<char>('0' + (add ? def.ADDTOPKTWIDTH : def.SHOW));
    return flags;
}

bool IsAllZero(const TAB_FIELD_DEF_REC& def)
{
    static const TAB_FIELD_DEF_REC zero{};
    return std::memcmp(&def, &zero, sizeof def) == 0;
}

} // namespace

TEST(FieldInfoLoad, GapsBetweenIdsHoldZeroDefinitions)
{
    MessageBoxRecorder boxes;
    ProtocolFolder p;
    p.Write("FieldDef.plt", "# three fields\n" + FieldRow("F5", "Five") + FieldRow("F0", "Zero") + FieldRow("F1", "One"));
    FieldInfo info;
    ASSERT_EQ(info.Load(p.Path()), 1);
    ASSERT_EQ(info.GetFieldDefCount(), 6);
    EXPECT_STREQ(info.GetFieldDef(0).NAME, "Zero");
    EXPECT_STREQ(info.GetFieldDef(1).NAME, "One");
    EXPECT_STREQ(info.GetFieldDef(5).NAME, "Five");
    EXPECT_EQ(info.GetFieldDef(5).INDEX, 5);
    EXPECT_EQ(info.GetFieldDef(5).BACKGRCOLOUR, 0xFF0000);
    EXPECT_STREQ(info.GetFieldDef(5).HEADER, "Five head");
    for (int id = 2; id <= 4; ++id)
        EXPECT_TRUE(IsAllZero(info.GetFieldDef(id))) << "field " << id;
    EXPECT_EQ(Flags(info), "110001");
    // The group tables are optional.
    EXPECT_EQ(info.GetListBoxCount(), 0);
    EXPECT_EQ(info.GetSelGroupCount(), 0);
    EXPECT_FALSE(info.ListBoxesLoaded());
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(FieldInfoLoad, LaterRowOfTheSameIdReplacesTheEarlier)
{
    ProtocolFolder p;
    p.Write("FieldDef.plt", FieldRow("F1", "First", 1) + FieldRow("F1", "Second"));
    FieldInfo info;
    ASSERT_EQ(info.Load(p.Path()), 1);
    ASSERT_EQ(info.GetFieldDefCount(), 2);
    EXPECT_STREQ(info.GetFieldDef(1).NAME, "Second");
    // The flag set by the replaced row stays: flags are only ever set.
    EXPECT_TRUE(info.HasPayloadPair());
}

TEST(FieldInfoLoad, IdsOutsideTheCatalogueRangeAreNotStored)
{
    MessageBoxRecorder boxes;
    ProtocolFolder p;
    p.Write("FieldDef.plt", FieldRow("NEGATIVE", "Minus") + FieldRow("F2", "Two") + FieldRow("HUGE", "Huge"));
    FieldInfo info;
    ASSERT_EQ(info.Load(p.Path()), 1);
    EXPECT_EQ(info.GetFieldDefCount(), 3);
    EXPECT_STREQ(info.GetFieldDef(2).NAME, "Two");
    EXPECT_TRUE(boxes.Texts().empty());

    TAB_FIELD_DEF_REC def{};
    EXPECT_EQ(info.AddFieldDef(-1, def), 0);
    EXPECT_EQ(info.AddFieldDef(FieldInfo::kMaxFieldId + 1, def), 0);
    EXPECT_EQ(info.AddFieldDef(FieldInfo::kMaxFieldId, def), 1);
    EXPECT_EQ(info.GetFieldDefCount(), FieldInfo::kMaxFieldId + 1);
}

TEST(FieldInfoLoad, UnreadableFieldDefLeavesAnEmptyCatalogue)
{
    ProtocolFolder good;
    good.Write("FieldDef.plt", FieldRow("F0", "Zero", 3) + FieldRow("F1", "One", 4));
    good.Write("FsListBoxes.plt", "G0|Group|BLUE\n");
    good.Write("FsListBoxItems.plt", "G0|F0\n");
    good.Write("FsSelGroup.plt", "G0|Sel\n");
    good.Write("FsSelGroupItems.plt", "G0|F0\n");
    FieldInfo info;
    ASSERT_EQ(info.Load(good.Path()), 1);
    ASSERT_TRUE(info.HasTimeStampPair());

    MessageBoxRecorder boxes;
    ProtocolFolder missing;
    EXPECT_EQ(info.Load(missing.Path()), 0);
    EXPECT_EQ(info.GetFieldDefCount(), 0);
    EXPECT_EQ(info.GetListBoxCount(), 0);
    EXPECT_EQ(info.GetSelGroupCount(), 0);
    EXPECT_EQ(info.SetDisplayMode(3), 0);
    EXPECT_TRUE(boxes.Texts().empty()); // a missing table is the caller's to report

    ProtocolFolder bad;
    bad.Write("FieldDef.plt", "# fields\n" + FieldRow("F0", "Zero") + FieldRow("UNKNOWN", "Bad"));
    EXPECT_EQ(info.Load(bad.Path()), 0);
    EXPECT_EQ(info.GetFieldDefCount(), 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Error reading table FieldDef.plt.\nInvalid value on line 3\n"
                                                      "Not able to convert mnemonic in field: INDEX"});
}

TEST(FieldInfoLoad, PairFlagsKeepWhatEarlierLoadsFound)
{
    ProtocolFolder pairs;
    pairs.Write("FieldDef.plt", FieldRow("F1", "Us", 3) + FieldRow("F2", "Ms", 4) + FieldRow("F5", "Lqi", 5) +
                                    FieldRow("F6", "Rssi", 6));
    ProtocolFolder plain;
    plain.Write("FieldDef.plt", FieldRow("F0", "Zero") + FieldRow("F1", "Bytes", 1));
    FieldInfo info;
    ASSERT_EQ(info.Load(pairs.Path()), 1);
    EXPECT_FALSE(info.HasPayloadPair());
    EXPECT_TRUE(info.HasTimeStampPair());
    EXPECT_TRUE(info.HasLqiRssiPair());
    ASSERT_EQ(info.Load(plain.Path()), 1);
    EXPECT_TRUE(info.HasPayloadPair());
    EXPECT_TRUE(info.HasTimeStampPair());
    EXPECT_TRUE(info.HasLqiRssiPair());
}

namespace {

// Every field starts with SHOW 1 and ADDTOPKTWIDTH 0, so that shown (1/1), hidden (0/0) and
// untouched (1/0) can be told apart. Id 6 is undefined (0/0).
const char* const kModeFields[] = {"F0|0", "F1|1", "F2|2", "F3|5", "F4|6", "F5|7", "F7|3", "F8|4"};

struct ModeCase {
    int kind;
    const char* show; // SHOW of ids 0..8 afterwards
    const char* add;  // ADDTOPKTWIDTH
};

void PrintTo(const ModeCase& c, std::ostream* os)
{
    *os << "kind " << c.kind;
}

class FieldInfoDisplayMode : public ::testing::TestWithParam<ModeCase> {
protected:
    void SetUp() override
    {
        std::string rows;
        for (const char* f : kModeFields) {
            std::string field(f);
            const size_t bar = field.find('|');
            rows += FieldRow(field.substr(0, bar), "Field" + field.substr(1, bar - 1), std::stoi(field.substr(bar + 1)),
                             true, false);
        }
        p_.Write("FieldDef.plt", rows);
        ASSERT_EQ(info_.Load(p_.Path()), 1);
        ASSERT_EQ(Flags(info_), "111111011");
        ASSERT_EQ(Flags(info_, true), "000000000");
    }
    ProtocolFolder p_;
    FieldInfo info_;
};

} // namespace

TEST_P(FieldInfoDisplayMode, ShowsOneMemberOfItsPairAndHidesTheOther)
{
    const ModeCase& c = GetParam();
    EXPECT_EQ(info_.SetDisplayMode(c.kind), 1);
    EXPECT_EQ(Flags(info_), c.show);
    EXPECT_EQ(Flags(info_, true), c.add);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FieldInfoDisplayMode,
                         ::testing::Values(ModeCase{1, "110111011", "010000000"},
                                           ModeCase{2, "101111011", "001000000"},
                                           ModeCase{3, "111111010", "000000010"},
                                           ModeCase{4, "111111001", "000000001"},
                                           ModeCase{5, "111101011", "000100000"},
                                           ModeCase{6, "111011011", "000010000"},
                                           ModeCase{0, "111111011", "000000000"},
                                           ModeCase{7, "111111011", "000000000"}),
                         [](const auto& info) { return "kind_" + std::to_string(info.param.kind); });

namespace {

enum class Action { Show, Hide };

struct VisibilityCase {
    const char* name;
    Action action;
    int field;
    bool bytes, microseconds, lqi; // the pair selections
    int result;
    const char* show; // SHOW of ids 0..9 afterwards
};

void PrintTo(const VisibilityCase& c, std::ostream* os)
{
    *os << c.name;
}

// Ids: 0 plain, 1/2 payload pair, 3/4 time pair, 5/6 LQI/RSSI pair, 7 payload member followed
// by the plain 8, 9 a payload member with no field after it.
const char* const kVisibilityStart = "0101010111";

class FieldInfoVisibility : public ::testing::TestWithParam<VisibilityCase> {
protected:
    void SetUp() override
    {
        const int modes[] = {0, 1, 2, 3, 4, 5, 6, 1, 0, 1};
        std::string rows;
        for (int id = 0; id < 10; ++id)
            rows += FieldRow(Numbered("F", id), Numbered("Field", id), modes[id], kVisibilityStart[id] == '1');
        p_.Write("FieldDef.plt", rows);
        ASSERT_EQ(info_.Load(p_.Path()), 1);
    }
    ProtocolFolder p_;
    FieldInfo info_;
};

} // namespace

TEST_P(FieldInfoVisibility, ChangesTheFieldAndItsPartner)
{
    const VisibilityCase& c = GetParam();
    info_.SetBytesFlag(c.bytes);
    info_.SetMicrosecondsFlag(c.microseconds);
    info_.SetLqiFlag(c.lqi);
    const int result = c.action == Action::Show ? info_.ShowField(c.field) : info_.HideField(c.field);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(Flags(info_), c.show);
    // Only the display modes change the row-width flag.
    EXPECT_EQ(Flags(info_, true), "1111111111");
}

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldInfoVisibility,
    ::testing::Values(
        VisibilityCase{"show_plain", Action::Show, 0, false, false, false, 1, "1101010111"},
        VisibilityCase{"show_bytes_selected", Action::Show, 1, true, false, false, 1, "0101010111"},
        VisibilityCase{"show_bytes_not_selected_shows_partner", Action::Show, 1, false, true, true, 1, "0011010111"},
        VisibilityCase{"show_time_uses_microseconds_flag", Action::Show, 3, true, false, true, 1, "0100110111"},
        VisibilityCase{"show_time_selected", Action::Show, 3, false, true, false, 1, "0101010111"},
        VisibilityCase{"show_lqi_uses_lqi_flag", Action::Show, 5, false, false, true, 1, "0101010111"},
        VisibilityCase{"show_lqi_not_selected", Action::Show, 5, true, true, false, 1, "0101001111"},
        VisibilityCase{"show_second_member_sets_only_itself", Action::Show, 2, true, false, false, 1, "0111010111"},
        VisibilityCase{"show_last_member_without_partner", Action::Show, 9, false, false, false, 1, "0101010110"},
        VisibilityCase{"show_beyond_catalogue", Action::Show, 10, true, true, true, 0, "0101010111"},
        VisibilityCase{"show_negative_id", Action::Show, -1, true, true, true, 0, "0101010111"},
        VisibilityCase{"hide_plain", Action::Hide, 8, false, false, false, 1, "0101010101"},
        VisibilityCase{"hide_pair_member_hides_partner", Action::Hide, 3, true, true, true, 1, "0100010111"},
        VisibilityCase{"hide_pair_member_hides_next_of_any_kind", Action::Hide, 7, true, true, true, 1, "0101010001"},
        VisibilityCase{"hide_last_member_without_partner", Action::Hide, 9, true, true, true, 1, "0101010110"},
        VisibilityCase{"hide_beyond_catalogue", Action::Hide, 10, true, true, true, 0, "0101010111"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldInfoPairs, SetPairVisibilityTellsWhetherThePartnerWasThere)
{
    ProtocolFolder p;
    p.Write("FieldDef.plt", FieldRow("F0", "Bytes", 1, false) + FieldRow("F1", "Text", 2, true));
    FieldInfo info;
    ASSERT_EQ(info.Load(p.Path()), 1);
    EXPECT_EQ(info.SetPairVisibility(0, 2, true), 1);
    EXPECT_EQ(Flags(info), "10");
    EXPECT_EQ(info.SetPairVisibility(0, 4, false), 0); // wrong partner kind: only the field itself
    EXPECT_EQ(Flags(info), "00");
    EXPECT_EQ(info.SetPairVisibility(1, 1, true), 0); // no field after the last
    EXPECT_EQ(Flags(info), "01");
}

namespace {

// Fields 10..13 defined; FsListBoxItems 2|10, 2|11, 3|12, 2|13, 2|10 and an item of group 4
// that names a field FieldDef.plt does not define.
class FieldInfoGroups : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string rows;
        for (int id = 10; id <= 13; ++id)
            rows += FieldRow(Numbered("F", id), Numbered("Field", id), 0, false);
        p_.Write("FieldDef.plt", rows);
        p_.Write("FsListBoxes.plt", "G0|Zero|F0\nG1|One|F1\nG2|Two|BLUE\nG3|Three|F3\nG4|Four|F4\n");
        p_.Write("FsListBoxItems.plt", "# items\nG2|F10\nG2|F11\nG3|F12\nG2|F13\nG2|F10\nG4|F40\n");
        p_.Write("FsSelGroup.plt", "G0|Sel zero\nG1|Sel one\n");
        p_.Write("FsSelGroupItems.plt", "G1|F10\nG1|F12\nG0|F11\nG1|F13\n");
        ASSERT_EQ(info_.Load(p_.Path()), 1);
    }

    std::vector<std::pair<int, std::string>> ListBoxFields(int group)
    {
        std::vector<std::pair<int, std::string>> fields;
        int id = -1;
        for (const char* name = info_.FindFirstListBoxField(group, id); name != nullptr;
             name = info_.FindNextListBoxField(group, id))
            fields.emplace_back(id, name);
        return fields;
    }

    std::vector<int> SelGroupFields(int group)
    {
        std::vector<int> fields;
        int id = -1;
        for (int found = info_.FindFirstSelGroupField(group, id); found != 0; found = info_.FindNextSelGroupField(group, id))
            fields.push_back(id);
        return fields;
    }

    std::vector<std::pair<int, int>> Positions(int field)
    {
        std::vector<std::pair<int, int>> positions;
        int group = -1, position = -1;
        for (int found = info_.FirstSelGroupItem(field, group, position); found != 0;
             found = info_.NextSelGroupItem(field, group, position))
            positions.emplace_back(group, position);
        return positions;
    }

    ProtocolFolder p_;
    FieldInfo info_;
};

using Fields = std::vector<std::pair<int, std::string>>;
using Places = std::vector<std::pair<int, int>>;

} // namespace

TEST_F(FieldInfoGroups, GroupNamesAndColours)
{
    EXPECT_TRUE(info_.ListBoxesLoaded());
    ASSERT_EQ(info_.GetListBoxCount(), 5);
    EXPECT_STREQ(info_.GetListBoxName(2), "Two");
    EXPECT_EQ(info_.GetListBoxColor(2), 0xFF0000);
    EXPECT_EQ(info_.GetListBoxColor(3), 3);
    ASSERT_EQ(info_.GetSelGroupCount(), 2);
    EXPECT_STREQ(info_.GetSelGroupName(1), "Sel one");
    EXPECT_STREQ(info_.GetListBoxName(5), "");
    EXPECT_EQ(info_.GetListBoxColor(-1), 0);
    EXPECT_STREQ(info_.GetSelGroupName(2), "");
}

TEST_F(FieldInfoGroups, AGroupListsTheRunThatBeginsWithItsFirstItem)
{
    EXPECT_EQ(ListBoxFields(2), (Fields{{10, "Field10"}, {11, "Field11"}}));
    EXPECT_EQ(ListBoxFields(3), (Fields{{12, "Field12"}}));
    EXPECT_EQ(ListBoxFields(0), Fields{});
    // An item of an undefined field keeps its place with an empty name.
    EXPECT_EQ(ListBoxFields(4), (Fields{{40, ""}}));
    EXPECT_EQ(info_.ShowField(40), 0);
}

TEST_F(FieldInfoGroups, NextAfterTheEndStaysAtTheEnd)
{
    int id = -1;
    EXPECT_EQ(info_.FindFirstListBoxField(9, id), nullptr);
    EXPECT_EQ(info_.FindNextListBoxField(9, id), nullptr);
    EXPECT_EQ(info_.FindNextListBoxField(4, id), nullptr);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(info_.FindFirstSelGroupField(9, id), 0);
    EXPECT_EQ(info_.FindNextSelGroupField(9, id), 0);
    EXPECT_EQ(id, -1);
}

TEST_F(FieldInfoGroups, PositionSearchCountsWithinEachRun)
{
    EXPECT_EQ(Positions(13), (Places{{2, 0}}));
    EXPECT_EQ(Positions(10), (Places{{2, 0}, {2, 1}}));
    EXPECT_EQ(Positions(11), (Places{{2, 1}}));
    EXPECT_EQ(Positions(12), (Places{{3, 0}}));
    EXPECT_EQ(Positions(99), Places{});
    int group = -1, position = -1;
    EXPECT_EQ(info_.NextSelGroupItem(10, group, position), 0);
}

TEST_F(FieldInfoGroups, SelectionGroupFieldsAreShownAsTheyAreFound)
{
    ASSERT_EQ(Flags(info_), "00000000000000");
    EXPECT_EQ(SelGroupFields(1), (std::vector<int>{10, 12}));
    EXPECT_EQ(Flags(info_), "00000000001010");
    EXPECT_EQ(SelGroupFields(0), (std::vector<int>{11}));
    EXPECT_EQ(Flags(info_), "00000000001110");
}

namespace {

struct OptionalTablesCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> files;
    std::string version;
    bool listBoxesLoaded;
    std::vector<int> group0; // field ids of list-box group 0
    std::vector<int> selGroup0;
};

void PrintTo(const OptionalTablesCase& c, std::ostream* os)
{
    *os << c.name;
}

class FieldInfoOptionalTables : public ::testing::TestWithParam<OptionalTablesCase> {};

} // namespace

TEST_P(FieldInfoOptionalTables, LoadsWhatThereIs)
{
    const OptionalTablesCase& c = GetParam();
    MessageBoxRecorder boxes;
    ProtocolFolder p;
    p.Write("FieldDef.plt", FieldRow("F0", "Zero") + FieldRow("F1", "One") + FieldRow("F2", "Two"));
    for (const auto& [file, text] : c.files)
        p.Write(file, text);
    FieldInfo info;
    ASSERT_EQ(info.Load(p.Path(), c.version), 1);
    EXPECT_EQ(info.ListBoxesLoaded(), c.listBoxesLoaded);
    std::vector<int> group0, selGroup0;
    int id = -1;
    for (const char* name = info.FindFirstListBoxField(0, id); name != nullptr; name = info.FindNextListBoxField(0, id))
        group0.push_back(id);
    for (int found = info.FindFirstSelGroupField(0, id); found != 0; found = info.FindNextSelGroupField(0, id))
        selGroup0.push_back(id);
    EXPECT_EQ(group0, c.group0);
    EXPECT_EQ(selGroup0, c.selGroup0);
    EXPECT_TRUE(boxes.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tables, FieldInfoOptionalTables,
    ::testing::Values(
        OptionalTablesCase{"none", {}, "", false, {}, {}},
        OptionalTablesCase{"items_without_groups", {{"FsListBoxItems.plt", "G0|F1\n"}}, "", false, {}, {}},
        OptionalTablesCase{"groups_without_items", {{"FsListBoxes.plt", "G0|A|F0\n"}}, "", false, {}, {}},
        OptionalTablesCase{"both_list_box_tables",
                           {{"FsListBoxes.plt", "G0|A|F0\n"}, {"FsListBoxItems.plt", "G0|F1\nG0|F2\n"}},
                           "", true, {1, 2}, {}},
        OptionalTablesCase{"selection_items_without_groups", {{"FsSelGroupItems.plt", "G0|F2\n"}}, "", false, {}, {2}},
        OptionalTablesCase{"version_tables_first",
                           {{"FsListBoxes.plt", "G0|A|F0\n"},
                            {"FsListBoxItems.plt", "G0|F1\n"},
                            {"FsListBoxItems_V2.plt", "G0|F2\n"},
                            {"FsSelGroupItems.plt", "G0|F1\n"},
                            {"FsSelGroupItems_V2.plt", "G0|F0\n"}},
                           "V2", true, {2}, {0}},
        OptionalTablesCase{"plain_tables_without_version_copies",
                           {{"FsListBoxes.plt", "G0|A|F0\n"},
                            {"FsListBoxItems.plt", "G0|F1\n"},
                            {"FsSelGroupItems.plt", "G0|F2\n"}},
                           "V2", true, {1}, {2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldInfoLoad, ReloadReplacesTheGroups)
{
    ProtocolFolder first;
    first.Write("FieldDef.plt", FieldRow("F0", "Zero") + FieldRow("F1", "One"));
    first.Write("FsListBoxes.plt", "G0|A|F0\nG1|B|F0\n");
    first.Write("FsListBoxItems.plt", "G0|F0\nG1|F1\n");
    ProtocolFolder second;
    second.Write("FieldDef.plt", FieldRow("F0", "Zero"));
    FieldInfo info;
    ASSERT_EQ(info.Load(first.Path()), 1);
    int id = -1;
    ASSERT_NE(info.FindFirstListBoxField(1, id), nullptr);
    ASSERT_EQ(info.Load(second.Path()), 1);
    EXPECT_EQ(info.GetListBoxCount(), 0);
    EXPECT_FALSE(info.ListBoxesLoaded());
    // A cursor left by the earlier catalogue reads nothing of it.
    EXPECT_EQ(info.FindNextListBoxField(1, id), nullptr);
}
