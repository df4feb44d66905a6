// The tables shipped in the build tree's protocol folders, read with the real readers, and
// the Generic folder's catalogue against the fields that the built Halyard decodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "core/device/ChipCodes.h"
#include "core/host/PluginHandler.h"
#include "core/tables/FieldInfo.h"
#include "core/tables/PelagorTable.h"
#include "core/tables/TabAddrBook.h"
#include "core/tables/TabDefRadioFile.h"
#include "core/tables/TabFieldDef.h"
#include "core/tables/TabFilterDepTemplate.h"
#include "core/tables/TabFrameDef.h"
#include "core/tables/TabListBoxItems.h"
#include "core/tables/TabListBoxes.h"
#include "core/tables/TabPlugin.h"
#include "core/tables/TabRadioSettings.h"
#include "core/tables/TabSelGroup.h"
#include "core/tables/TabSelGroupItems.h"
#include "core/tables/TabSupChipType.h"
#include "platform/MessageBoxRecorder.h"
#include "plugin/frame/ParsedFieldRec.h"
#include "tests/support/GenericRecord.h"

namespace fs = std::filesystem;
using platform::MessageBoxRecorder;

namespace {

const fs::path kProtocols = PELAGOR_PROTOCOLS_DIR;

// Every folder of the build tree's protocol folder, so that a new protocol is covered too.
std::vector<std::string> ProtocolFolders()
{
    std::vector<std::string> folders;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(kProtocols, error))
        if (entry.is_directory())
            folders.push_back(entry.path().filename().string());
    std::sort(folders.begin(), folders.end());
    return folders;
}

bool Exists(const fs::path& folder, const std::string& file)
{
    return fs::is_regular_file(folder / file);
}

// Blanks at either end of a text field mean a table line was padded where the grammar keeps them.
void ExpectTrimmed(const std::string& text, const std::string& where)
{
    if (text.empty())
        return;
    EXPECT_FALSE(std::isspace(static_cast<unsigned char>(text.front())) ||
                 std::isspace(static_cast<unsigned char>(text.back())))
        << where << ": \"" << text << '"';
}

// The files of folder whose names begin with prefix and end with ".plt": the protocol-version copies.
std::vector<std::string> VersionSuffixes(const fs::path& folder, const std::string& prefix)
{
    std::vector<std::string> suffixes;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > prefix.size() + 4 && name.rfind(prefix, 0) == 0 && name.ends_with(".plt"))
            suffixes.push_back(name.substr(prefix.size(), name.size() - prefix.size() - 4));
    }
    return suffixes;
}

class ShippedFolder : public ::testing::TestWithParam<std::string> {
protected:
    fs::path Folder() const { return kProtocols / GetParam(); }
    std::string FolderText() const { return Folder().string(); }

    // Reads a table that the folder must hold, or may hold; rows through check.
    template <typename Table>
    void ExpectRead(Table& table, bool required, const std::function<void(const Table&)>& check = nullptr)
    {
        const std::string name = table.TableName();
        if (!required && !Exists(Folder(), name))
            return;
        EXPECT_EQ(table.Read(), 1) << name << ": " << (table.GetError() ? table.GetError() : "rejected line");
        if (required) {
            EXPECT_GT(table.Count(), 0) << name;
        }
        if (check)
            check(table);
    }

    MessageBoxRecorder boxes_;
};

std::string FolderName(const ::testing::TestParamInfo<std::string>& info)
{
    std::string name;
    for (char c : info.param)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

} // namespace

TEST(ShippedProtocols, TheGenericFolderIsInTheBuildTree)
{
    const std::vector<std::string> folders = ProtocolFolders();
    EXPECT_NE(std::find(folders.begin(), folders.end(), "Generic"), folders.end());
    EXPECT_TRUE(Exists(kProtocols, "common.plt"));
}

TEST_P(ShippedFolder, EveryTableReads)
{
    const std::string folder = FolderText();
    EXPECT_TRUE(Exists(Folder(), "Mnemonic.plt"));

    TabFieldDef fieldDef(folder);
    ExpectRead<TabFieldDef>(fieldDef, true, [](const TabFieldDef& t) {
        for (const TAB_FIELD_DEF_REC& r : t.Rows()) {
            const std::string where = "FieldDef.plt field " + std::to_string(r.INDEX);
            EXPECT_NE(r.NAME[0], '\0') << where;
            for (const char* text : {r.NAME, r.SHORTNAME, r.HEADER, r.SUBHEADER})
                ExpectTrimmed(text, where);
        }
    });
    TabFrameDef frameDef(folder);
    ExpectRead<TabFrameDef>(frameDef, true, [](const TabFrameDef& t) {
        for (const TAB_FRAME_DEF_REC& r : t.Rows()) {
            EXPECT_GE(r.FRAME_TYPE, 0);
            EXPECT_TRUE(r.FORMAT >= 0 && r.FORMAT <= 2) << "frame type " << r.FRAME_TYPE;
        }
    });
    TabAddrBook addrBook(folder);
    ExpectRead<TabAddrBook>(addrBook, true, [](const TabAddrBook& t) {
        for (const TAB_ADDR_BOOK_REC& r : t.Rows()) {
            EXPECT_GT(r.MAX_CHAR, 0) << r.ITEM_NAME;
            EXPECT_GT(r.COLUMN_WIDTH, 0) << r.ITEM_NAME;
            EXPECT_TRUE(r.CTRL_TYPE == 1 || r.CTRL_TYPE == 2) << r.ITEM_NAME;
            ExpectTrimmed(r.ITEM_NAME, "AddrBook.plt");
            ExpectTrimmed(r.CTRL_LABEL, "AddrBook.plt");
        }
    });
    TabSupChipType supChipType(folder);
    ExpectRead<TabSupChipType>(supChipType, true, [](const TabSupChipType& t) {
        for (const TAB_SUP_CHIP_TYPE_REC& r : t.Rows())
            EXPECT_NE(PluginHandler::ChipIdFromName(r.CHIPTYPE), 0u) << "not a chip of the chip table: " << r.CHIPTYPE;
    });

    TabFilterDepTemplate filterDep(folder);
    ExpectRead<TabFilterDepTemplate>(filterDep, false, [&](const TabFilterDepTemplate& t) {
        for (const TAB_DEPENDENT_TEMPLATE_REC& r : t.Rows()) {
            const auto& fields = fieldDef.Rows();
            EXPECT_TRUE(std::any_of(fields.begin(), fields.end(),
                                    [&](const TAB_FIELD_DEF_REC& f) { return std::string(f.SHORTNAME) == r.SHORTNAME; }))
                << "no field has the short name " << r.SHORTNAME;
            ExpectTrimmed(r.DEPENDENT_TEMPLATE, "FilterDepTemplate.plt");
        }
    });
    TabListBoxes listBoxes(folder);
    ExpectRead<TabListBoxes>(listBoxes, false, [](const TabListBoxes& t) {
        for (const TAB_LIST_BOX_REC& r : t.Rows())
            ExpectTrimmed(r.GROUP_NAME, "FsListBoxes.plt");
    });
    TabListBoxItems listBoxItems(folder);
    ExpectRead(listBoxItems, false);
    TabSelGroup selGroup(folder);
    ExpectRead<TabSelGroup>(selGroup, false, [](const TabSelGroup& t) {
        for (const TAB_SEL_GROUP_REC& r : t.Rows())
            ExpectTrimmed(r.SG_NAME, "FsSelGroup.plt");
    });
    TabSelGroupItems selGroupItems(folder);
    ExpectRead(selGroupItems, false);
    TabDefRadioFile defRadioFile(folder);
    ExpectRead(defRadioFile, false);

    for (const std::string& version : VersionSuffixes(Folder(), "FsListBoxItems_")) {
        TabListBoxItems items(folder, version);
        EXPECT_EQ(items.Read(), 1) << version;
        EXPECT_EQ(fs::path(items.Path()).filename(), "FsListBoxItems_" + version + ".plt");
    }
    for (const std::string& version : VersionSuffixes(Folder(), "FsSelGroupItems_")) {
        TabSelGroupItems items(folder, version);
        EXPECT_EQ(items.Read(), 1) << version;
        EXPECT_EQ(fs::path(items.Path()).filename(), "FsSelGroupItems_" + version + ".plt");
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_P(ShippedFolder, EveryRegisterFileReads)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(Folder())) {
        if (entry.path().extension() != ".prs")
            continue;
        const std::string file = entry.path().filename().string();
        TabRadioSettings registers(FolderText(), file);
        ASSERT_EQ(registers.Read(), 1) << file << ": " << (registers.GetError() ? registers.GetError() : "");
        EXPECT_EQ(registers.GetError(), nullptr) << file;
        EXPECT_NE(PluginHandler::ChipIdFromName(registers.GetRfDevice()), 0u)
            << file << " names no chip: \"" << registers.GetRfDevice() << '"';
        EXPECT_GT(registers.Count(), 0) << file;
        std::set<uint32_t> addresses;
        for (const TAB_RADIO_SETTINGS_REC& r : registers.Rows()) {
            EXPECT_NE(r.REGNAME[0], '\0') << file;
            ExpectTrimmed(r.REGNAME, file);
            ExpectTrimmed(r.REGDESCRIPTION, file);
            EXPECT_LE(r.REGADDRESS, 0xFFFFu) << file << ' ' << r.REGNAME;
            EXPECT_LE(r.REGVALUE, 0xFFu) << file << ' ' << r.REGNAME;
            EXPECT_TRUE(addresses.insert(r.REGADDRESS).second) << file << ": address used twice by " << r.REGNAME;
        }
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_P(ShippedFolder, EveryRadioDeviceHasADefaultRegisterFile)
{
    if (!Exists(Folder(), "DefRadioFile.plt"))
        GTEST_SKIP() << "no default register files";
    TabDefRadioFile defaults(FolderText());
    ASSERT_EQ(defaults.Read(), 1);
    std::map<int, std::string> fileOfChip; // the first row of a chip wins
    for (const TAB_DEF_RADIO_FILE_REC& r : defaults.Rows()) {
        const int chip = ChipIdFromDeviceType(r.CHIP_TYPE);
        ASSERT_NE(chip, 0) << "CHIP_TYPE without a chip code: " << r.CHIP_TYPE;
        fileOfChip.emplace(chip, r.FILE_NAME);
        const std::string file = std::string(r.FILE_NAME) + ".prs";
        ASSERT_TRUE(Exists(Folder(), file)) << file;
        TabRadioSettings registers(FolderText(), file);
        ASSERT_EQ(registers.Read(), 1) << file;
        EXPECT_EQ(static_cast<int>(PluginHandler::ChipIdFromName(registers.GetRfDevice())), chip)
            << file << " is the default of " << r.CHIP_TYPE << " but written for " << registers.GetRfDevice();
    }

    // The devices with register files that this protocol supports.
    TabSupChipType supported(FolderText());
    ASSERT_EQ(supported.Read(), 1);
    std::vector<std::string> radio;
    TabPlugin common((kProtocols / "common.plt").string());
    common.GetRadioSettings(radio);
    ASSERT_FALSE(radio.empty());
    for (const std::string& device : radio) {
        const auto& chips = supported.Rows();
        if (std::none_of(chips.begin(), chips.end(),
                         [&](const TAB_SUP_CHIP_TYPE_REC& c) { return device == c.CHIPTYPE; }))
            continue;
        EXPECT_TRUE(fileOfChip.count(static_cast<int>(PluginHandler::ChipIdFromName(device))))
            << device << " has no default register file";
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_P(ShippedFolder, TheCatalogueAndItsGroupsAgree)
{
    const std::string folder = FolderText();
    FieldInfo info;
    ASSERT_EQ(info.Load(folder), 1);
    auto defined = [&](int id) { return id >= 0 && id < info.GetFieldDefCount() && info.GetFieldDef(id).NAME[0] != '\0'; };

    // A pair is two consecutive ids, the odd mode first.
    for (int id = 0; id < info.GetFieldDefCount(); ++id) {
        const int mode = info.GetFieldDef(id).SHOWMODE;
        EXPECT_TRUE(mode >= 0 && mode <= 6) << "field " << id;
        if (mode == 1 || mode == 3 || mode == 5) {
            EXPECT_TRUE(defined(id + 1) && info.GetFieldDef(id + 1).SHOWMODE == mode + 1) << "partner of field " << id;
        } else if (mode == 2 || mode == 4 || mode == 6) {
            EXPECT_TRUE(defined(id - 1) && info.GetFieldDef(id - 1).SHOWMODE == mode - 1) << "partner of field " << id;
        }
    }

    // The panel asks for list box i and selection group g by position.
    TabListBoxes listBoxes(folder);
    if (listBoxes.Read() != 0) {
        for (int i = 0; i < listBoxes.Count(); ++i)
            EXPECT_EQ(listBoxes.At(i).INDEX, i) << "FsListBoxes.plt row " << i;
    }
    TabSelGroup selGroups(folder);
    if (selGroups.Read() != 0) {
        for (int i = 0; i < selGroups.Count(); ++i)
            EXPECT_EQ(selGroups.At(i).SG_INDEX, i) << "FsSelGroup.plt row " << i;
    }

    TabListBoxItems listBoxItems(folder);
    if (info.ListBoxesLoaded() && listBoxItems.Read() != 0) {
        std::map<int, int> itemsOfGroup;
        for (const TAB_LIST_BOX_ITEM_REC& item : listBoxItems.Rows()) {
            ++itemsOfGroup[item.GROUPINDEX];
            EXPECT_TRUE(item.GROUPINDEX >= 0 && item.GROUPINDEX < info.GetListBoxCount()) << item.GROUPINDEX;
            EXPECT_TRUE(defined(item.FIELDINDEX)) << "list-box item of undefined field " << item.FIELDINDEX;
            // Its first member stands for a pair: a listed second member would show both.
            if (defined(item.FIELDINDEX)) {
                const int mode = info.GetFieldDef(item.FIELDINDEX).SHOWMODE;
                EXPECT_FALSE(mode == 2 || mode == 4 || mode == 6) << "second pair member listed: " << item.FIELDINDEX;
            }
        }
        // Items of a group that do not follow its first run would never be listed.
        for (const auto& [group, count] : itemsOfGroup) {
            int listed = 0, id = -1;
            for (const char* name = info.FindFirstListBoxField(group, id); name != nullptr;
                 name = info.FindNextListBoxField(group, id))
                ++listed;
            EXPECT_EQ(listed, count) << "group " << group << " is split";
        }
    }

    TabSelGroupItems selGroupItems(folder);
    if (selGroupItems.Read() != 0) {
        std::map<int, int> itemsOfGroup;
        for (const TAB_SEL_GROUP_ITEM_REC& item : selGroupItems.Rows()) {
            ++itemsOfGroup[item.SG_INDEX];
            EXPECT_TRUE(item.SG_INDEX >= 0 && item.SG_INDEX < info.GetSelGroupCount()) << item.SG_INDEX;
            int group = -1, position = -1;
            EXPECT_EQ(info.FirstSelGroupItem(item.FIELDINDEX, group, position), 1)
                << "selection of field " << item.FIELDINDEX << ", which no list box holds";
        }
        for (const auto& [group, count] : itemsOfGroup) {
            int listed = 0, id = -1;
            for (int found = info.FindFirstSelGroupField(group, id); found != 0; found = info.FindNextSelGroupField(group, id))
                ++listed;
            EXPECT_EQ(listed, count) << "selection group " << group << " is split";
        }
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(BuildTree, ShippedFolder, ::testing::ValuesIn(ProtocolFolders()), FolderName);

namespace {

// The built Halyard, loaded by the plug-in host as the main program loads it, with its
// names offered to the table reader while the test runs.
class ShippedGeneric : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(host_.Load(HALYARD_PATH, ""), 1) << host_.LoadErrorText();
        PelagorTable::SetPluginHandler(&host_);
        ASSERT_EQ(info_.Load((kProtocols / "Generic").string()), 1);
    }
    void TearDown() override { PelagorTable::SetPluginHandler(nullptr); }

    // The field ids of one decoded record; the record must decode without a status.
    std::vector<int> DecodedIds(const std::vector<uint8_t>& payload)
    {
        std::vector<uint8_t> record =
            testsupport::MakeGenericRecord(7, 123456, payload, 0xB0, 0x85, host_.RawLength());
        EXPECT_LE(record.size(), host_.RawLength()) << "a frame the raw record cannot hold";
        std::vector<char> buffer(host_.ParsedLength());
        PARSED_DATA data{};
        data.fieldBuffer = buffer.data();
        host_.ParsePacket(record.data(), &data, 1.0, static_cast<int>(10 + payload.size() + 2));
        EXPECT_EQ(data.status, 0) << "payload of " << payload.size() << " bytes";
        std::vector<int> ids;
        ParsedFieldCursor cursor(buffer.data(), std::min<int32_t>(data.bytesUsed, host_.ParsedLength()));
        while (auto field = cursor.Next())
            ids.push_back(field->fieldId);
        EXPECT_EQ(ids.size(), data.fieldCount);
        return ids;
    }

    // Selects every list-box item as the field-selection panel does.
    void ShowEveryListedField()
    {
        for (int g = 0; g < info_.GetListBoxCount(); ++g) {
            int id = -1;
            for (const char* name = info_.FindFirstListBoxField(g, id); name != nullptr;
                 name = info_.FindNextListBoxField(g, id))
                info_.ShowField(id);
        }
    }

    MessageBoxRecorder boxes_;
    PluginHandler host_;
    FieldInfo info_;
};

} // namespace

TEST_F(ShippedGeneric, EveryDecodedFieldHasADefinitionAndAListEntry)
{
    std::set<int> ids;
    // The largest frame is the one the raw record just holds.
    const size_t largest = static_cast<size_t>(host_.RawLength()) - kRawPacketHeaderSize - 2;
    for (size_t size : {size_t{0}, size_t{5}, largest}) {
        const std::vector<int> decoded = DecodedIds(std::vector<uint8_t>(size, 0x41));
        ids.insert(decoded.begin(), decoded.end());
    }
    EXPECT_EQ(ids, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    for (int id : ids) {
        ASSERT_LT(id, info_.GetFieldDefCount());
        const TAB_FIELD_DEF_REC& def = info_.GetFieldDef(id);
        EXPECT_EQ(def.INDEX, id);
        EXPECT_NE(def.NAME[0], '\0') << "field " << id;
        EXPECT_NE(def.HEADER[0], '\0') << "field " << id;
        EXPECT_NE(def.BACKGRCOLOUR, def.TEXTCOLOUR) << "field " << id;
        // Listed itself, or the second member of a listed pair.
        int group = -1, position = -1;
        const bool second = def.SHOWMODE == 2 || def.SHOWMODE == 4 || def.SHOWMODE == 6;
        EXPECT_EQ(info_.FirstSelGroupItem(second ? id - 1 : id, group, position), 1) << "field " << id;
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

namespace {

struct ChoiceCase {
    const char* name;
    bool odd;           // the first member of each pair chosen
    const char* shown;  // SHOW of ids 0..8 with every list-box item selected
};

void PrintTo(const ChoiceCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShippedGenericChoices : public ShippedGeneric, public ::testing::WithParamInterface<ChoiceCase> {};

} // namespace

TEST_P(ShippedGenericChoices, EachChoiceShowsOneMemberOfEachPair)
{
    const ChoiceCase& c = GetParam();
    EXPECT_TRUE(info_.HasTimeStampPair());
    EXPECT_TRUE(info_.HasPayloadPair());
    info_.SetMicrosecondsFlag(c.odd);
    info_.SetDisplayMode(c.odd ? 3 : 4);
    info_.SetBytesFlag(c.odd);
    info_.SetDisplayMode(c.odd ? 1 : 2);
    ShowEveryListedField();
    std::string shown;
    for (int id = 0; id < info_.GetFieldDefCount(); ++id)
        shown += info_.GetFieldDef(id).SHOW ? '1' : '0';
    EXPECT_EQ(shown, c.shown);
}

INSTANTIATE_TEST_SUITE_P(Generic, ShippedGenericChoices,
                         ::testing::Values(ChoiceCase{"microseconds_and_bytes", true, "110110111"},
                                           ChoiceCase{"milliseconds_and_text", false, "101101111"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShippedGeneric, TheStartingFlagsShowOneMemberOfEachPair)
{
    std::string shown;
    for (int id = 0; id < info_.GetFieldDefCount(); ++id)
        shown += info_.GetFieldDef(id).SHOW ? '1' : '0';
    EXPECT_EQ(shown, "110110111");
}
