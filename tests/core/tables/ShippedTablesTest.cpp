// The tables shipped in the build tree's protocol folders, read with the real readers, and
// the Generic folder's catalogue against the fields that the built Halyard decodes, and the Fennet
// folder's description files and version-specific item tables; the Tolvane folder is read with
// the built Tolvane's field names and checked against the frames it decodes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "chips/ChipCodes.h"
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

// Selects every list-box item as the field-selection panel does.
void ShowEveryListedFieldOf(FieldInfo& info)
{
    for (int g = 0; g < info.GetListBoxCount(); ++g) {
        int id = -1;
        for (const char* name = info.FindFirstListBoxField(g, id); name != nullptr;
             name = info.FindNextListBoxField(g, id))
            info.ShowField(id);
    }
}

// The field ids of a field buffer, in order.
std::vector<int> FieldIdsOf(const std::vector<char>& buffer, int32_t bytesUsed, int32_t parsedLength)
{
    std::vector<int> ids;
    ParsedFieldCursor cursor(buffer.data(), std::min<int32_t>(bytesUsed, parsedLength));
    while (auto field = cursor.Next())
        ids.push_back(field->fieldId);
    return ids;
}

// The plug-in whose field names (GetFieldIndexTable) the tables of a folder use as symbols;
// empty for a folder whose Mnemonic.plt defines every symbol itself.
std::string PluginOfFolder(const std::string& folder)
{
    if (folder == "Tolvane")
        return TOLVANE_PATH;
    return "";
}

class ShippedFolder : public ::testing::TestWithParam<std::string> {
protected:
    // A folder that uses a plug-in's field names is read with that plug-in loaded and offered
    // to the table reader, as the main program reads it.
    void SetUp() override
    {
        const std::string plugin = PluginOfFolder(GetParam());
        if (plugin.empty())
            return;
        if (!fs::is_regular_file(plugin))
            GTEST_SKIP() << "plug-in " << fs::path(plugin).filename().string() << " missing (" << plugin
                         << "): the " << GetParam() << " tables use its field names";
        ASSERT_EQ(host_.Load(plugin.c_str(), ""), 1) << host_.LoadErrorText();
        ASSERT_NE(host_.GetFieldIndexTable(), nullptr)
            << plugin << " offers no field names (the host binds GetFieldIndexTable only beside GetPendingRec)";
        PelagorTable::SetPluginHandler(&host_);
    }
    void TearDown() override { PelagorTable::SetPluginHandler(nullptr); }

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
    PluginHandler host_;
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
        std::vector<int> ids = FieldIdsOf(buffer, data.bytesUsed, host_.ParsedLength());
        EXPECT_EQ(ids.size(), data.fieldCount);
        return ids;
    }

    void ShowEveryListedField() { ShowEveryListedFieldOf(info_); }

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

namespace {

// The Fennet folder: the description files of its two plug-in files, and its catalogue with
// the version-specific item tables of each protocol version the description lists.
class ShippedFennet : public ::testing::Test {
protected:
    static fs::path Folder() { return kProtocols / "Fennet"; }
    static std::string FolderText() { return Folder().string(); }

    static std::vector<std::string> Versions()
    {
        TabPlugin description((Folder() / "Fennetd.plt").string());
        std::vector<std::string> versions;
        description.GetProtocolVersions(versions);
        return versions;
    }

    static std::set<int> Range(int first, int last)
    {
        std::set<int> ids;
        for (int id = first; id <= last; ++id)
            ids.insert(id);
        return ids;
    }

    // The field ids the decoder writes in protocol version index v (0, 1, 3 and the others).
    static std::set<int> DecodedIds(int v)
    {
        std::set<int> ids = {0, 1, 2, 3, 4, 5, 8, 9, 10, 19, 20, 21, 22, 24, 35};
        const std::set<int> flagged = Range(53, 64);
        ids.insert(flagged.begin(), flagged.end());
        const std::set<int> header = v == 3 ? std::set<int>{48, 49, 52} : std::set<int>{6, 7};
        ids.insert(header.begin(), header.end());
        std::set<int> application;
        if (v == 0) {
            application = Range(11, 18);
        } else if (v == 1) {
            application = Range(25, 34);
        } else {
            application = Range(36, 47);
            application.insert({33, 65, 66, 67});
        }
        ids.insert(application.begin(), application.end());
        return ids;
    }

    // Every list-box item and, for a pair's first member, its partner.
    static std::set<int> ListedIdsWithPartners(FieldInfo& info)
    {
        std::set<int> ids;
        for (int g = 0; g < info.GetListBoxCount(); ++g) {
            int id = -1;
            for (const char* name = info.FindFirstListBoxField(g, id); name != nullptr;
                 name = info.FindNextListBoxField(g, id)) {
                ids.insert(id);
                const int mode = info.GetFieldDef(id).SHOWMODE;
                if (mode == 1 || mode == 3 || mode == 5)
                    ids.insert(id + 1);
            }
        }
        return ids;
    }

    MessageBoxRecorder boxes_;
};

// Text length plus NUL of a hex dump and of a printable dump of n bytes in the given lines.
int HexDumpSize(int n, int lines)
{
    const int items = (n + lines - 1) / lines;
    return lines * (3 * items - 1) + (lines - 1) + 1;
}

int TextDumpSize(int n, int lines)
{
    const int items = (n + lines - 1) / lines;
    return lines * items + (lines - 1) + 1;
}

} // namespace

TEST_F(ShippedFennet, BothPluginFilesHaveADescriptionWithTheVersionChoice)
{
    // The longest field records of the longest frames: 255 counted frame bytes; on the chips
    // with an 802.15.4 header 3 of them go to it, on the others two status bytes follow them.
    auto largestFields = [](int payload, bool macHeader) {
        int bytes = 0;
        for (int text : {10, 43, 43, 3, 11, 11, 20, 35, 4, 4, 3, 3}) // number .. CRC, without payload
            bytes += 8 + text + 1;
        if (macHeader)
            bytes += 8 + 35 + 1;
        bytes += 8 + HexDumpSize(payload, 2) + 8 + TextDumpSize(payload, 2);
        bytes += 8 + 9 + HexDumpSize(255, 1); // port 1 of version 0: up to 255 dumped bytes
        return bytes;
    };
    const int parsedNeeded = std::max(largestFields(255 - 3 - 11 - 2, true), largestFields(255 + 2 - 11 - 2, false));

    std::vector<std::string> first;
    for (const char* file : {"Fennetd.plt", "fennet.plt"}) {
        ASSERT_TRUE(Exists(Folder(), file)) << file;
        TabPlugin description((Folder() / file).string());
        EXPECT_FALSE(description.IsEmpty()) << file;
        ASSERT_NE(description.GetValue("Protocol_name"), nullptr) << file;
        EXPECT_STREQ(description.GetValue("Protocol_name"), "Fennet") << file;
        const char* raw = description.GetValue("Packet_length_raw_data");
        const char* parsed = description.GetValue("Packet_length_parsed_data");
        ASSERT_TRUE(raw != nullptr && parsed != nullptr) << file;
        const int h = std::atoi(raw), p = std::atoi(parsed);
        EXPECT_GE(h, kRawPacketHeaderSize + 1 + 255 + 2) << file << ": the longest frame does not fit";
        EXPECT_GE(p, parsedNeeded) << file << ": the fields of the longest frame do not fit";
        EXPECT_LE(h + 80 + p, 65535) << file;
        std::vector<std::string> versions;
        description.GetProtocolVersions(versions);
        // Positions 0, 1, 3 and one later version are the ones the decoder tells apart.
        EXPECT_GE(versions.size(), 4u) << file;
        if (first.empty())
            first = versions;
        EXPECT_EQ(versions, first) << file << " lists other versions";
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_F(ShippedFennet, EveryFieldIdHasADefinitionAndItsPairs)
{
    FieldInfo info;
    ASSERT_EQ(info.Load(FolderText()), 1);
    ASSERT_EQ(info.GetFieldDefCount(), 68);
    std::set<std::string> shortNames;
    for (int id = 0; id < 68; ++id) {
        const TAB_FIELD_DEF_REC& def = info.GetFieldDef(id);
        if (id == 23 || id == 50 || id == 51) {
            EXPECT_EQ(def.NAME[0], '\0') << "field " << id << " is not written by the decoder";
            continue;
        }
        EXPECT_EQ(def.INDEX, id);
        EXPECT_NE(def.NAME[0], '\0') << "field " << id;
        EXPECT_NE(def.HEADER[0], '\0') << "field " << id;
        EXPECT_NE(def.BACKGRCOLOUR, def.TEXTCOLOUR) << "field " << id;
        if (def.TYPE == 3) {
            EXPECT_NE(def.SUBHEADER[0], '\0') << "field " << id << " has parameters without names";
        }
        if (def.SHORTNAME[0] != '\0') {
            EXPECT_TRUE(shortNames.insert(def.SHORTNAME).second) << "short name used twice: " << def.SHORTNAME;
        }
    }
    std::vector<std::pair<int, int>> pairs = {{1, 3}, {9, 1}, {20, 5}};
    for (int id = 53; id <= 63; id += 2)
        pairs.emplace_back(id, 1);
    for (const auto& [id, mode] : pairs) {
        EXPECT_EQ(info.GetFieldDef(id).SHOWMODE, mode) << "field " << id;
        EXPECT_EQ(info.GetFieldDef(id + 1).SHOWMODE, mode + 1) << "field " << id + 1;
        EXPECT_TRUE(info.GetFieldDef(id).SHOW && !info.GetFieldDef(id + 1).SHOW) << "pair " << id;
    }
    EXPECT_TRUE(info.HasTimeStampPair());
    EXPECT_TRUE(info.HasPayloadPair());
    EXPECT_TRUE(info.HasLqiRssiPair());
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_F(ShippedFennet, EveryFrameClassHasAMark)
{
    TabFrameDef frames(FolderText());
    ASSERT_EQ(frames.Read(), 1);
    // The time line inserts each row at its class: rows in class order, classes 0 to 8.
    ASSERT_GE(frames.Count(), 9);
    for (int i = 0; i < frames.Count(); ++i)
        EXPECT_EQ(frames.At(i).FRAME_TYPE, i) << "FrameDef.plt row " << i;
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_F(ShippedFennet, EachVersionListsTheFieldsItsDecoderWrites)
{
    const std::vector<std::string> versions = Versions();
    ASSERT_GE(versions.size(), 4u);
    // Every version-specific item table belongs to a listed version.
    for (const char* prefix : {"FsListBoxItems_", "FsSelGroupItems_"})
        for (const std::string& suffix : VersionSuffixes(Folder(), prefix))
            EXPECT_NE(std::find(versions.begin(), versions.end(), suffix), versions.end())
                << prefix << suffix << ".plt belongs to no protocol version";

    for (int v = 0; v < static_cast<int>(versions.size()); ++v) {
        SCOPED_TRACE(versions[static_cast<size_t>(v)]);
        FieldInfo info;
        ASSERT_EQ(info.Load(FolderText(), versions[static_cast<size_t>(v)]), 1);
        ASSERT_TRUE(info.ListBoxesLoaded());
        EXPECT_EQ(ListedIdsWithPartners(info), DecodedIds(v));

        TabListBoxItems listItems(FolderText(), versions[static_cast<size_t>(v)]);
        ASSERT_EQ(listItems.Read(), 1);
        std::map<int, int> itemsOfGroup;
        for (const TAB_LIST_BOX_ITEM_REC& item : listItems.Rows()) {
            ++itemsOfGroup[item.GROUPINDEX];
            const int mode = info.GetFieldDef(item.FIELDINDEX).SHOWMODE;
            EXPECT_FALSE(mode == 2 || mode == 4 || mode == 6) << "second pair member listed: " << item.FIELDINDEX;
        }
        for (const auto& [group, count] : itemsOfGroup) {
            int listed = 0, id = -1;
            for (const char* name = info.FindFirstListBoxField(group, id); name != nullptr;
                 name = info.FindNextListBoxField(group, id))
                ++listed;
            EXPECT_EQ(listed, count) << "group " << group << " is split";
        }

        TabSelGroupItems selItems(FolderText(), versions[static_cast<size_t>(v)]);
        ASSERT_EQ(selItems.Read(), 1);
        std::map<int, int> itemsOfSelection;
        for (const TAB_SEL_GROUP_ITEM_REC& item : selItems.Rows()) {
            ++itemsOfSelection[item.SG_INDEX];
            EXPECT_TRUE(item.SG_INDEX >= 0 && item.SG_INDEX < info.GetSelGroupCount()) << item.SG_INDEX;
            EXPECT_TRUE(DecodedIds(v).count(item.FIELDINDEX)) << "selection of field " << item.FIELDINDEX
                                                               << ", which this version does not write";
            int group = -1, position = -1;
            EXPECT_EQ(info.FirstSelGroupItem(item.FIELDINDEX, group, position), 1)
                << "selection of field " << item.FIELDINDEX << ", which no list box holds";
        }
        EXPECT_EQ(static_cast<int>(itemsOfSelection.size()), info.GetSelGroupCount());
        for (const auto& [group, count] : itemsOfSelection) {
            int listed = 0, id = -1;
            for (int found = info.FindFirstSelGroupField(group, id); found != 0;
                 found = info.FindNextSelGroupField(group, id))
                ++listed;
            EXPECT_EQ(listed, count) << "selection group " << group << " is split";
        }
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_F(ShippedFennet, TheChipsWithAnIeee802154HeaderAreSupported)
{
    TabSupChipType supported(FolderText());
    ASSERT_EQ(supported.Read(), 1);
    std::set<std::string> chips;
    for (const TAB_SUP_CHIP_TYPE_REC& r : supported.Rows())
        chips.insert(r.CHIPTYPE);
    for (const char* chip : {"QZ6E7A", "QZ6F48", "QZ6F86", "QZ6F87"})
        EXPECT_TRUE(chips.count(chip)) << chip;
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

namespace {

// Frame bytes, little-endian as on the air.
struct FrameBytes {
    std::vector<uint8_t> bytes;

    FrameBytes& U8(uint32_t v)
    {
        bytes.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    FrameBytes& U16(uint32_t v) { return U8(v).U8(v >> 8); }
    FrameBytes& U32(uint32_t v) { return U16(v).U16(v >> 16); }
    FrameBytes& U64(uint64_t v) { return U32(static_cast<uint32_t>(v)).U32(static_cast<uint32_t>(v >> 32)); }
    FrameBytes& Text(const std::string& text, size_t width)
    {
        for (size_t i = 0; i < width; ++i)
            U8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
        return *this;
    }
    FrameBytes& Fill(size_t count, uint8_t first = 0x41)
    {
        for (size_t i = 0; i < count; ++i)
            U8(static_cast<uint8_t>(first + i % 26));
        return *this;
    }
    // Payload bytes up to the largest frame: 127 bytes with the two status bytes.
    FrameBytes& FillToLargest() { return Fill(125 - bytes.size()); }
};

// The frame control field of the MAC header.
constexpr uint16_t Fcf(int type, bool secured, bool panIdCompression, int destMode, int version, int srcMode)
{
    return static_cast<uint16_t>(type | (secured ? 0x08 : 0) | (panIdCompression ? 0x40 : 0) | destMode << 10 |
                                 version << 12 | srcMode << 14);
}

// A MAC header with short destination and source addresses in one PAN.
FrameBytes ShortHeader(int type, bool secured = false, int version = 0)
{
    FrameBytes f;
    f.U16(Fcf(type, secured, true, 2, version, 2)).U8(0x5A).U16(0x1234).U16(0x0001).U16(0x0042);
    return f;
}

// A MAC command frame from an extended address, up to the command id.
FrameBytes CommandHeader(uint8_t command)
{
    FrameBytes f;
    f.U16(Fcf(3, false, true, 2, 0, 3)).U8(0x11).U16(0x1234).U16(0x0000).U64(0x0011223344556677ull).U8(command);
    return f;
}

// A network frame in a MAC data frame: frame control, frame counter, then the rest.
FrameBytes NwkFrame(uint8_t frameControl)
{
    FrameBytes f = ShortHeader(1);
    f.U8(frameControl).U32(0x00000102);
    return f;
}

// What a node tells about itself in the network commands.
FrameBytes& NodeInfo(FrameBytes& f, uint8_t appCapabilities)
{
    f.U8(0x0F).U16(0x10D0).Text("VENDOR1", 7).U8(appCapabilities);
    if (appCapabilities & 0x01)
        f.Text("user string 15c", 15);
    f.Fill((appCapabilities >> 1) & 0x03, 0x01);
    f.Fill((appCapabilities >> 4) & 0x07, 0xC0);
    return f;
}

struct TolvaneFrame {
    std::string name;
    std::vector<uint8_t> mac; // the frame bytes before the two status bytes
    int frameClass;           // the class the decoder gives it
    uint8_t rssiByte = 0xC8;
};

// A frame of every kind the decoder tells apart, the largest ones filled up to 127 bytes.
std::vector<TolvaneFrame> TolvaneFrames()
{
    std::vector<TolvaneFrame> frames;
    auto add = [&](const std::string& name, const FrameBytes& f, int frameClass) {
        frames.push_back({name, f.bytes, frameClass});
    };

    FrameBytes ack;
    ack.U16(Fcf(2, false, false, 0, 0, 0)).U8(0x5A);
    add("acknowledgement", ack, 2);
    frames.push_back({"transmitted acknowledgement", ack.bytes, 2, 0x80});

    FrameBytes beacon;
    beacon.U16(Fcf(0, false, false, 0, 0, 3)).U8(0x01).U16(0x1234).U64(0x0011223344556677ull).U16(0xCFFF);
    beacon.U8(0x87).U8(0x55);
    for (int i = 0; i < 7; ++i)
        beacon.U16(0x0100 + i).U8(0x21 + i);
    beacon.U8(0x43).U16(0x0001).U16(0x0002).U16(0x0003);
    for (int i = 0; i < 4; ++i)
        beacon.U64(0x0011223344556600ull + i);
    add("beacon with GTS list, pending addresses and payload", beacon.FillToLargest(), 0);
    FrameBytes plainBeacon;
    plainBeacon.U16(Fcf(0, false, false, 0, 0, 2)).U8(0x02).U16(0x1234).U16(0x0000).U16(0x4FFF).U8(0x00).U8(0x00);
    add("beacon without GTS list", plainBeacon.Fill(10), 0);

    add("standard data", NwkFrame(0x41).U8(0x01).FillToLargest(), 4);
    add("vendor data", NwkFrame(0x83).U8(0xC0).U16(0x10D0).Fill(8), 4);
    add("secured standard data", NwkFrame(0x05).U8(0x01).U32(0xA1A2A3A4).Fill(20), 4);
    FrameBytes discoveryRequest = NwkFrame(0x02).U8(1);
    add("discovery request", NodeInfo(discoveryRequest, 0x77).U8(0x09), 4);
    FrameBytes discoveryResponse = NwkFrame(0x02).U8(2).U8(0x00);
    add("discovery response", NodeInfo(discoveryResponse, 0x00).U8(0xA0), 4);
    FrameBytes pairRequest = NwkFrame(0x02).U8(3).U16(0xFFFE);
    add("pair request", NodeInfo(pairRequest, 0x02).U8(0x24), 4);
    FrameBytes pairResponse = NwkFrame(0x02).U8(4).U8(0x00).U16(0x0042).U16(0x0001);
    add("pair response", NodeInfo(pairResponse, 0x10), 4);
    add("unpair request", NwkFrame(0x02).U8(5), 4);
    add("key seed", NwkFrame(0x02).U8(6).U8(0x03).Fill(10), 4);
    add("ping request", NwkFrame(0x02).U8(7).U8(0x01).Fill(4), 4);
    add("ping response", NwkFrame(0x02).U8(8).U8(0x01).Fill(4), 4);
    add("reserved network command", NwkFrame(0x02).U8(0x0C).Fill(3), 4);

    // Extended addresses on both sides and no PAN id compression need 23 header bytes.
    FrameBytes cutData;
    cutData.U16(Fcf(1, false, false, 3, 0, 3)).U8(0x03).U16(0x1234).U64(0x0011223344556677ull).U16(0x1234);
    cutData.Fill(7);
    add("data frame shorter than its header", cutData, 1);

    add("association request", CommandHeader(1).U8(0x8E), 3);
    add("association response", CommandHeader(2).U16(0x0042).U8(0x00), 3);
    add("disassociation notification", CommandHeader(3).U8(0x02), 3);
    add("data request", CommandHeader(4), 3);
    add("PAN id conflict notification", CommandHeader(5), 3);
    add("orphan notification", CommandHeader(6), 3);
    add("beacon request", CommandHeader(7), 3);
    add("coordinator realignment", CommandHeader(8).U16(0x1234).U16(0x0000).U8(0x0F).U16(0x0042), 3);
    add("coordinator realignment with channel page", CommandHeader(8).U16(0x1234).U16(0x0000).U8(0x0F).U16(0x0042).U8(0x00), 3);
    add("GTS request", CommandHeader(9).U8(0x35), 3);
    add("unknown MAC command", CommandHeader(0x20), 3);

    // 2006 frames with the auxiliary security header: key identifier modes 0 to 3.
    add("secured data, key identifier mode 3",
        ShortHeader(1, true, 1).U8(0x1D).U32(0x00000007).U64(0x8877665544332211ull).U8(0x01).FillToLargest(), 1);
    add("secured data, key identifier mode 0", ShortHeader(1, true, 1).U8(0x05).U32(0x00000008).Fill(5), 1);
    add("secured beacon, key identifier mode 1", ShortHeader(0, true, 1).U8(0x0D).U32(0x00000009).U8(0x02).Fill(10), 0);
    add("secured command, key identifier mode 2",
        ShortHeader(3, true, 1).U8(0x15).U32(0x0000000A).U32(0x44332211).U8(0x03).Fill(6), 3);
    // Each one byte short of its auxiliary security header.
    add("secured data shorter than its header", ShortHeader(1, true, 1).U8(0x1D).U32(0x0B).U64(0x11).Fill(0), 1);
    add("secured beacon shorter than its header", ShortHeader(0, true, 1).U8(0x0D).U32(0x0C).Fill(0), 0);
    add("secured command shorter than its header", ShortHeader(3, true, 1).U8(0x15).U32(0x0D).U16(0x2211).U8(0x33),
        3);
    return frames;
}

// The fields that the plug-in names but that no frame produces.
const std::set<std::string> kNamesOnly = {"FI_BUF_OVERFLOW", "FI_MAC_PAYLOAD_X", "FI_MAC_PAYLOAD_T"};

struct Decoded {
    PARSED_DATA data{};
    std::vector<int> ids;
};

// The built Tolvane, loaded by the plug-in host with its names offered to the table reader.
class ShippedTolvane : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::is_regular_file(TOLVANE_PATH))
            GTEST_SKIP() << "plug-in Tolvane.so missing (" << TOLVANE_PATH << ")";
        ASSERT_EQ(host_.Load(TOLVANE_PATH, ""), 1) << host_.LoadErrorText();
        PelagorTable::SetPluginHandler(&host_);
        const char* const* names = host_.GetFieldIndexTable();
        ASSERT_NE(names, nullptr) << "no field names (the host binds GetFieldIndexTable only beside GetPendingRec)";
        for (; *names != nullptr; ++names)
            names_.push_back(*names);
        ASSERT_EQ(info_.Load(Folder()), 1);
    }
    void TearDown() override { PelagorTable::SetPluginHandler(nullptr); }

    static std::string Folder() { return (kProtocols / "Tolvane").string(); }

    int IdOf(const std::string& name) const
    {
        const auto found = std::find(names_.begin(), names_.end(), name);
        return found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
    }

    Decoded Decode(const TolvaneFrame& frame)
    {
        const size_t b = frame.mac.size() + 2; // the length byte counts the two status bytes
        std::vector<uint8_t> record(std::max<size_t>(host_.RawLength(), kRawPacketHeaderSize + 1 + b), 0);
        EXPECT_LE(kRawPacketHeaderSize + 1 + b, host_.RawLength()) << frame.name << ": the raw record cannot hold it";
        WriteRawPacketHeader(record.data(), RAW_PACKET_REC{++number_, 32000ull * number_, static_cast<uint16_t>(1 + b)});
        record[kRawPacketHeaderSize] = static_cast<uint8_t>(b);
        std::copy(frame.mac.begin(), frame.mac.end(), record.begin() + kRawPacketHeaderSize + 1);
        record[kRawPacketHeaderSize + 1 + frame.mac.size()] = frame.rssiByte;
        record[kRawPacketHeaderSize + 2 + frame.mac.size()] = 0x80 | 0x6C; // CRC OK, correlation
        std::vector<char> buffer(host_.ParsedLength());
        Decoded decoded;
        decoded.data.fieldBuffer = buffer.data();
        host_.ParsePacket(record.data(), &decoded.data, 1.0, static_cast<int>(10 + 1 + b));
        decoded.ids = FieldIdsOf(buffer, decoded.data.bytesUsed, host_.ParsedLength());
        return decoded;
    }

    void ShowEveryListedField() { ShowEveryListedFieldOf(info_); }

    MessageBoxRecorder boxes_;
    PluginHandler host_;
    FieldInfo info_;
    std::vector<std::string> names_;
    uint32_t number_ = 0;
};

} // namespace

TEST_F(ShippedTolvane, TheDescriptionFitsTheLargestFrame)
{
    EXPECT_EQ(host_.ProtocolName(), "Tolvane");
    EXPECT_GE(host_.RawLength(), kRawPacketHeaderSize + 1 + 127);
    EXPECT_TRUE(host_.AddressBookSupported());
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_F(ShippedTolvane, EveryFieldNameHasADefinition)
{
    ASSERT_EQ(names_.size(), 67u);
    EXPECT_EQ(info_.GetFieldDefCount(), static_cast<int>(names_.size()));
    std::set<std::string> headers;
    for (int id = 0; id < static_cast<int>(names_.size()) && id < info_.GetFieldDefCount(); ++id) {
        const TAB_FIELD_DEF_REC& def = info_.GetFieldDef(id);
        const std::string where = names_[static_cast<size_t>(id)];
        EXPECT_EQ(def.INDEX, id) << where;
        EXPECT_NE(def.NAME[0], '\0') << where;
        EXPECT_NE(def.HEADER[0], '\0') << where;
        EXPECT_NE(def.BACKGRCOLOUR, def.TEXTCOLOUR) << where;
        EXPECT_TRUE(def.TYPE >= 0 && def.TYPE <= 4) << where;
        // Parameters of a field are named by the words of its SUBHEADER.
        if (def.TYPE == 3) {
            EXPECT_NE(def.SUBHEADER[0], '\0') << where;
        }
        if (kNamesOnly.count(where) != 0)
            continue;
        int group = -1, position = -1;
        const bool second = def.SHOWMODE == 2 || def.SHOWMODE == 4 || def.SHOWMODE == 6;
        EXPECT_EQ(info_.FirstSelGroupItem(second ? id - 1 : id, group, position), 1) << where << " is in no list box";
    }
    // The field names of the display filter and of the selection lists tell the fields apart.
    std::set<std::string> fieldNames;
    std::set<std::string> shortNames;
    for (int id = 0; id < info_.GetFieldDefCount(); ++id) {
        const TAB_FIELD_DEF_REC& def = info_.GetFieldDef(id);
        EXPECT_TRUE(fieldNames.insert(def.NAME).second) << "NAME used twice: " << def.NAME;
        if (def.SHORTNAME[0] != '\0') {
            EXPECT_TRUE(shortNames.insert(def.SHORTNAME).second) << "SHORTNAME used twice: " << def.SHORTNAME;
        }
    }
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_F(ShippedTolvane, EveryDecodedFieldHasADefinitionAndEveryFrameClassAMark)
{
    TabFrameDef frameDef(Folder());
    ASSERT_EQ(frameDef.Read(), 1);
    std::set<int> marked;
    for (const TAB_FRAME_DEF_REC& r : frameDef.Rows())
        marked.insert(r.FRAME_TYPE);
    EXPECT_EQ(marked, (std::set<int>{0, 1, 2, 3, 4}));

    std::set<int> produced;
    for (const TolvaneFrame& frame : TolvaneFrames()) {
        SCOPED_TRACE(frame.name);
        const Decoded decoded = Decode(frame);
        EXPECT_EQ(decoded.data.status, 0);
        EXPECT_LE(decoded.data.bytesUsed, static_cast<int>(host_.ParsedLength()));
        EXPECT_EQ(decoded.ids.size(), decoded.data.fieldCount);
        EXPECT_EQ(decoded.data.frameClass, frame.frameClass);
        EXPECT_EQ(marked.count(decoded.data.frameClass), 1u) << "frame class " << decoded.data.frameClass;
        EXPECT_EQ(decoded.data.indent, frame.frameClass == 2 ? 1 : 0);
        ASSERT_FALSE(decoded.ids.empty());
        EXPECT_EQ(decoded.ids.front(), IdOf(frame.rssiByte == 0x80 ? "FI_PACKET_NBR_TX" : "FI_PACKET_NBR"));
        for (int id : decoded.ids) {
            ASSERT_TRUE(id >= 0 && id < info_.GetFieldDefCount()) << "field " << id;
            EXPECT_NE(info_.GetFieldDef(id).NAME[0], '\0') << names_[static_cast<size_t>(id)];
            produced.insert(id);
        }
    }
    // Every field the tables describe shows up, but for those no frame produces.
    std::set<int> expected;
    for (int id = 0; id < static_cast<int>(names_.size()); ++id)
        if (kNamesOnly.count(names_[static_cast<size_t>(id)]) == 0)
            expected.insert(id);
    EXPECT_EQ(produced, expected);
    EXPECT_EQ(boxes_.Texts(), std::vector<std::string>{});
}

TEST_F(ShippedTolvane, EverySupportedChipDecodes)
{
    TabSupChipType supported(Folder());
    ASSERT_EQ(supported.Read(), 1);
    const std::vector<TolvaneFrame> frames = TolvaneFrames();
    const auto found = std::find_if(frames.begin(), frames.end(),
                                    [](const TolvaneFrame& f) { return f.name == "standard data"; });
    ASSERT_NE(found, frames.end());
    const TolvaneFrame& data = *found;
    for (const TAB_SUP_CHIP_TYPE_REC& chip : supported.Rows()) {
        SCOPED_TRACE(chip.CHIPTYPE);
        EXPECT_EQ(host_.SetChipType(chip.CHIPTYPE), 1);
        const Decoded decoded = Decode(data);
        EXPECT_EQ(decoded.data.status, 0);
        EXPECT_EQ(decoded.data.frameClass, 4);
    }
}

TEST_F(ShippedTolvane, TheAddressBookColumnsAreTheNodeTextLayout)
{
    TabAddrBook addrBook(Folder());
    ASSERT_EQ(addrBook.Read(), 1);
    std::vector<int> widths;
    for (const TAB_ADDR_BOOK_REC& r : addrBook.Rows())
        widths.push_back(r.MAX_CHAR);
    EXPECT_EQ(widths, (std::vector<int>{30, 8, 8, 19}));
}

namespace {

// The pairs of display alternatives: their first members, by name.
const std::vector<std::string> kTolvanePairs = {"FI_TIMESTAMP_US", "FI_BEACON_PAYLOAD_X", "FI_MAC_PAYLOAD_X",
                                                "FI_MAC_NEG_PAYL_X"};

} // namespace

TEST_F(ShippedTolvane, TheStartingFlagsShowTheFirstMemberOfEachPair)
{
    EXPECT_TRUE(info_.HasTimeStampPair());
    EXPECT_TRUE(info_.HasPayloadPair());
    for (const std::string& first : kTolvanePairs) {
        const int id = IdOf(first);
        ASSERT_GE(id, 0) << first;
        EXPECT_EQ(info_.GetFieldDef(id).SHOW, 1) << first;
        EXPECT_EQ(info_.GetFieldDef(id + 1).SHOW, 0) << names_[static_cast<size_t>(id + 1)];
    }
    // Every other field starts shown.
    for (int id = 0; id < info_.GetFieldDefCount(); ++id) {
        const int mode = info_.GetFieldDef(id).SHOWMODE;
        if (mode == 0) {
            EXPECT_EQ(info_.GetFieldDef(id).SHOW, 1) << names_[static_cast<size_t>(id)];
        }
        EXPECT_TRUE(mode <= 4) << names_[static_cast<size_t>(id)] << ": LQI and RSSI are no pair here";
    }
}

TEST_F(ShippedTolvane, EachChoiceShowsOneMemberOfEachPair)
{
    for (bool odd : {true, false}) {
        SCOPED_TRACE(odd ? "microseconds and bytes" : "milliseconds and text");
        info_.SetMicrosecondsFlag(odd);
        info_.SetDisplayMode(odd ? 3 : 4);
        info_.SetBytesFlag(odd);
        info_.SetDisplayMode(odd ? 1 : 2);
        ShowEveryListedField();
        for (const std::string& first : kTolvanePairs) {
            const int id = IdOf(first);
            ASSERT_GE(id, 0) << first;
            EXPECT_EQ(info_.GetFieldDef(id).SHOW, odd ? 1 : 0) << first;
            EXPECT_EQ(info_.GetFieldDef(id + 1).SHOW, odd ? 0 : 1) << names_[static_cast<size_t>(id + 1)];
        }
    }
}
