// The protocol table classes on small protocol folders in temporary folders.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/tables/TabAddrBook.h"
#include "core/tables/TabDefRadioFile.h"
#include "core/tables/TabFieldDef.h"
#include "core/tables/TabFilterDepTemplate.h"
#include "core/tables/TabFrameDef.h"
#include "core/tables/TabListBoxItems.h"
#include "core/tables/TabListBoxes.h"
#include "core/tables/TabRadioSettings.h"
#include "core/tables/TabSelGroup.h"
#include "core/tables/TabSelGroupItems.h"
#include "core/tables/TabSupChipType.h"
#include "platform/MessageBoxRecorder.h"
#include "tests/support/TempFolder.h"

using platform::MessageBoxRecorder;
using testsupport::TempFolder;

namespace {

const char* const kMnemonics =
    "# the fixture folder's symbols\n"
    " *|*|FI_ADDR|3\n"
    " *|*|FI_PAYLOAD|4\n"
    " *|*|FT_HEX|1\n"
    " *|*|CLR_BLUE|0xFF0000\n"
    " *|*|CLR_WHITE|0xFFFFFF\n"
    " *|*|SM_ALWAYS|2\n"
    " AddrBook.plt|CTRL_TYPE|CTRL_EDIT|1\n"
    " AddrBook.plt|CTRL_TYPE|CTRL_COMBO|2\n"
    " FrameDef.plt|FRAME_TYPE|FR_DATA|1\n"
    " FrameDef.plt|FORMAT|FMT_BAR|3\n"
    " *|*|GRP_MAC|0\n"
    " *|*|GRP_NET|1\n";

std::string S(const char* text)
{
    return text;
}

std::string U(long long value)
{
    return std::to_string(value);
}

std::string Join(const std::vector<std::string>& fields)
{
    std::string joined;
    for (size_t i = 0; i < fields.size(); ++i)
        joined += (i ? "|" : "") + fields[i];
    return joined;
}

std::string Render(const TAB_ADDR_BOOK_REC& r)
{
    return Join({S(r.ITEM_NAME), U(r.MAX_CHAR), U(r.COLUMN_WIDTH), U(r.CTRL_TYPE), S(r.CTRL_LABEL)});
}
std::string Render(const TAB_DEF_RADIO_FILE_REC& r)
{
    return Join({S(r.CHIP_TYPE), S(r.FILE_NAME)});
}
std::string Render(const TAB_FIELD_DEF_REC& r)
{
    return Join({U(r.INDEX), S(r.NAME), U(r.TYPE), S(r.SHORTNAME), U(r.BACKGRCOLOUR), U(r.TEXTCOLOUR), S(r.HEADER),
                 S(r.SUBHEADER), U(r.ADDTOPKTWIDTH), U(r.SHOW), U(r.SHOWMODE)});
}
std::string Render(const TAB_DEPENDENT_TEMPLATE_REC& r)
{
    return Join({S(r.SHORTNAME), S(r.DEPENDENT_TEMPLATE)});
}
std::string Render(const TAB_FRAME_DEF_REC& r)
{
    return Join({U(r.FRAME_TYPE), U(r.COLOR), U(r.FORMAT)});
}
std::string Render(const TAB_LIST_BOX_REC& r)
{
    return Join({U(r.INDEX), S(r.GROUP_NAME), U(r.COLOR)});
}
std::string Render(const TAB_LIST_BOX_ITEM_REC& r)
{
    return Join({U(r.GROUPINDEX), U(r.FIELDINDEX)});
}
std::string Render(const TAB_SEL_GROUP_REC& r)
{
    return Join({U(r.SG_INDEX), S(r.SG_NAME)});
}
std::string Render(const TAB_SEL_GROUP_ITEM_REC& r)
{
    return Join({U(r.SG_INDEX), U(r.FIELDINDEX)});
}
std::string Render(const TAB_SUP_CHIP_TYPE_REC& r)
{
    return S(r.CHIPTYPE);
}
std::string Render(const TAB_RADIO_SETTINGS_REC& r)
{
    return Join({S(r.REGNAME), U(r.REGADDRESS), U(r.REGVALUE), S(r.REGDESCRIPTION)});
}

struct ReadResult {
    int ok = -1;
    std::vector<std::string> rows;
    std::string error; // GetError after the read; "<none>" when none is pending
};

using Reader = std::function<ReadResult(const std::string& folder)>;

template <typename Table, typename... Args>
Reader ReadWith(Args... args)
{
    return [=](const std::string& folder) {
        Table table(folder, args...);
        ReadResult result;
        result.ok = table.Read();
        for (int i = 0; i < table.Count(); ++i)
            result.rows.push_back(Render(table.At(i)));
        const char* error = table.GetError();
        result.error = error != nullptr ? error : "<none>";
        return result;
    };
}

struct ClassCase {
    const char* name;
    const char* file;
    Reader read;
    std::string content;
    std::vector<std::string> rows;
};

void PrintTo(const ClassCase& c, std::ostream* os)
{
    *os << c.name;
}

class TableClass : public ::testing::TestWithParam<ClassCase> {
protected:
    TableClass() { folder_.Write("Mnemonic.plt", kMnemonics); }
    std::string Folder() const { return folder_.Path().string(); }

    MessageBoxRecorder recorder_;
    TempFolder folder_;
};

} // namespace

TEST_P(TableClass, ReadsItsColumnsIntoItsRecords)
{
    const ClassCase& c = GetParam();
    folder_.Write(c.file, c.content);
    const ReadResult result = c.read(Folder());
    EXPECT_EQ(result.ok, 1) << result.error;
    EXPECT_EQ(result.rows, c.rows);
    EXPECT_EQ(result.error, "<none>");
    EXPECT_TRUE(recorder_.Texts().empty());
}

TEST_P(TableClass, EmptyFileReadsWithoutRows)
{
    const ClassCase& c = GetParam();
    folder_.Write(c.file, "");
    const ReadResult result = c.read(Folder());
    EXPECT_EQ(result.ok, 1);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_TRUE(recorder_.Texts().empty());
}

TEST_P(TableClass, MissingFileFailsSilentlyWithTheReason)
{
    const ClassCase& c = GetParam();
    const ReadResult result = c.read(Folder());
    EXPECT_EQ(result.ok, 0);
    EXPECT_TRUE(result.rows.empty());
    EXPECT_EQ(result.error, "Not able to open table: " + Folder() + "/" + c.file);
    EXPECT_TRUE(recorder_.Texts().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Classes, TableClass,
    ::testing::Values(
        ClassCase{"AddrBook", "AddrBook.plt", ReadWith<TabAddrBook>(),
                  "Short Address|4|80|CTRL_EDIT|Short address:\n# comment\n" + std::string(35, 'I') +
                      "|12345|99999|CTRL_COMBO|" + std::string(25, 'L') + "\n",
                  {"Short Address|4|80|1|Short address:",
                   std::string(30, 'I') + "|1234|0|2|" + std::string(20, 'L')}},
        ClassCase{"DefRadioFile", "DefRadioFile.plt", ReadWith<TabDefRadioFile>(),
                  "QZ3A5C|qz3a5c_default\n" + std::string(25, 'C') + "|" + std::string(30, 'F') + "\n",
                  {"QZ3A5C|qz3a5c_default", std::string(20, 'C') + "|" + std::string(21, 'F')}},
        ClassCase{"DefRadioFile_named_by_caller", "OtherDefaults.plt",
                  ReadWith<TabDefRadioFile>(std::string("OtherDefaults.plt")), "QZ6F1C|a\n", {"QZ6F1C|a"}},
        ClassCase{"FieldDef", "FieldDef.plt", ReadWith<TabFieldDef>(),
                  "FI_ADDR|Source address|FT_HEX|ADRX|CLR_BLUE|CLR_WHITE|Addr|Source of the frame|TRUE|FALSE|SM_ALWAYS\n"
                  "FI_PAYLOAD|" + std::string(30, 'N') + "|FT_HEX||CLR_WHITE|CLR_BLUE|" + std::string(45, 'H') + "|" +
                      std::string(110, 'S') + "|||SM_ALWAYS\n",
                  {"3|Source address|1|ADR|16711680|16777215|Addr|Source of the frame|1|0|2",
                   "4|" + std::string(25, 'N') + "|1||16777215|16711680|" + std::string(40, 'H') + "|" +
                       std::string(100, 'S') + "|0|0|2"}},
        ClassCase{"FilterDepTemplate", "FilterDepTemplate.plt", ReadWith<TabFilterDepTemplate>(),
                  "ADR | ADR == 0x0000 \nLEN|" + std::string(70, 'T') + "\n",
                  {"ADR|ADR == 0x0000 ", "LEN|" + std::string(60, 'T')}},
        ClassCase{"FrameDef", "FrameDef.plt", ReadWith<TabFrameDef>(), "FR_DATA|CLR_BLUE|FMT_BAR\n",
                  {"1|16711680|3"}},
        ClassCase{"ListBoxes", "FsListBoxes.plt", ReadWith<TabListBoxes>(),
                  "GRP_MAC|MAC layer|CLR_BLUE\nGRP_NET|" + std::string(30, 'G') + "|CLR_WHITE\n",
                  {"0|MAC layer|16711680", "1|" + std::string(25, 'G') + "|16777215"}},
        ClassCase{"ListBoxItems", "FsListBoxItems.plt", ReadWith<TabListBoxItems>(),
                  "GRP_MAC|FI_ADDR\nGRP_MAC|FI_PAYLOAD\n", {"0|3", "0|4"}},
        ClassCase{"SelGroup", "FsSelGroup.plt", ReadWith<TabSelGroup>(),
                  "GRP_NET|Addresses\nGRP_MAC|" + std::string(25, 'A') + "\n",
                  {"1|Addresses", "0|" + std::string(20, 'A')}},
        ClassCase{"SelGroupItems", "FsSelGroupItems.plt", ReadWith<TabSelGroupItems>(), "GRP_NET|FI_PAYLOAD\n",
                  {"1|4"}},
        ClassCase{"SupChipType_line_end_only_is_empty_name", "SupChipType.plt", ReadWith<TabSupChipType>(),
                  "QZ6F1C\n\r\n" + std::string(25, 'Q') + "\n", {"QZ6F1C", "", std::string(20, 'Q')}},
        ClassCase{"RadioSettings", "regs.prs", ReadWith<TabRadioSettings>(std::string("regs.prs")),
                  "FSCTRL1 |0xDF07|0x08\r\nCHANNR|0x0A|0x10|Channel number\r\n" + std::string(25, 'R') +
                      "|0x1234567|0x123|" + std::string(260, 'D') + "\n",
                  {"FSCTRL1|57095|8|", "CHANNR|10|16|Channel number",
                   // REGNAME keeps 19; the address takes seven characters, the value five.
                   std::string(19, 'R') + "|" + U(0x12345) + "|" + U(0x123) + "|" + std::string(254 - 25 - 17, 'D')}}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct RejectCase {
    const char* name;
    const char* file;
    Reader read;
    std::string content;
    int rowsBefore;
    std::string message;
};

void PrintTo(const RejectCase& c, std::ostream* os)
{
    *os << c.name;
}

class TableRejection : public ::testing::TestWithParam<RejectCase> {};

} // namespace

TEST_P(TableRejection, StopsWithTheInvalidValueMessage)
{
    const RejectCase& c = GetParam();
    MessageBoxRecorder recorder;
    TempFolder folder;
    folder.Write("Mnemonic.plt", kMnemonics);
    folder.Write(c.file, c.content);
    const ReadResult result = c.read(folder.Path().string());
    EXPECT_EQ(result.ok, 0);
    EXPECT_EQ(static_cast<int>(result.rows.size()), c.rowsBefore);
    EXPECT_EQ(result.error, "<none>");
    const auto requests = recorder.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, c.message);
    EXPECT_EQ(requests[0].icon, platform::MessageIcon::Exclamation);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TableRejection,
    ::testing::Values(
        RejectCase{"FieldDef_undefined_index", "FieldDef.plt", ReadWith<TabFieldDef>(),
                   "# fields\nFI_ADDR|A|FT_HEX|A|CLR_BLUE|CLR_BLUE|A|A|TRUE|TRUE|SM_ALWAYS\n"
                   "FI_NOPE|B|FT_HEX|B|CLR_BLUE|CLR_BLUE|B|B|TRUE|TRUE|SM_ALWAYS\n"
                   "FI_ADDR|C|FT_HEX|C|CLR_BLUE|CLR_BLUE|C|C|TRUE|TRUE|SM_ALWAYS\n",
                   1,
                   "Error reading table FieldDef.plt.\nInvalid value on line 3\n"
                   "Not able to convert mnemonic in field: INDEX"},
        RejectCase{"FrameDef_symbol_of_another_column", "FrameDef.plt", ReadWith<TabFrameDef>(),
                   "FMT_BAR|CLR_BLUE|FMT_BAR\n", 0,
                   "Error reading table FrameDef.plt.\nInvalid value on line 1\n"
                   "Not able to convert mnemonic in field: FRAME_TYPE"},
        RejectCase{"ListBoxItems_missing_field", "FsListBoxItems.plt", ReadWith<TabListBoxItems>(),
                   "GRP_MAC|FI_ADDR\n$!ignored\nGRP_MAC\n", 1,
                   "Error reading table FsListBoxItems.plt.\nInvalid value on line 3\n"
                   "Not able to convert mnemonic in field: FIELDINDEX"},
        RejectCase{"AddrBook_symbol_of_another_table", "AddrBook.plt", ReadWith<TabAddrBook>(),
                   "Name|4|80|FR_DATA|Label\n", 0,
                   "Error reading table AddrBook.plt.\nInvalid value on line 1\n"
                   "Not able to convert mnemonic in field: CTRL_TYPE"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TableMnemonics, MissingMnemonicFileFailsSilently)
{
    MessageBoxRecorder recorder;
    TempFolder folder;
    folder.Write("FieldDef.plt", "");
    folder.Write("SupChipType.plt", "QZ6F1C\n");
    const std::string base = folder.Path().string();

    const ReadResult fields = ReadWith<TabFieldDef>()(base);
    EXPECT_EQ(fields.ok, 0);
    EXPECT_EQ(fields.error, "Not able to open table: " + base + "/Mnemonic.plt\n");

    // A table without symbols does not need the file.
    const ReadResult chips = ReadWith<TabSupChipType>()(base);
    EXPECT_EQ(chips.ok, 1);
    EXPECT_EQ(chips.rows, std::vector<std::string>{"QZ6F1C"});
    EXPECT_TRUE(recorder.Texts().empty());
}

TEST(TableVersions, ItemTablesReadTheVersionsCopyFirst)
{
    TempFolder folder;
    folder.Write("Mnemonic.plt", kMnemonics);
    folder.Write("FsListBoxItems.plt", "GRP_MAC|FI_ADDR\n");
    folder.Write("FsSelGroupItems.plt", "GRP_MAC|FI_ADDR\n");
    folder.Write("FsListBoxItems_V2.plt", "GRP_NET|FI_PAYLOAD\n");
    folder.Write("FsSelGroupItems_V2.plt", "GRP_NET|FI_PAYLOAD\n");
    const std::string base = folder.Path().string();

    EXPECT_EQ(ReadWith<TabListBoxItems>(std::string("V2"))(base).rows, std::vector<std::string>{"1|4"});
    EXPECT_EQ(ReadWith<TabSelGroupItems>(std::string("V2"))(base).rows, std::vector<std::string>{"1|4"});
    EXPECT_EQ(ReadWith<TabListBoxItems>(std::string("V3"))(base).rows, std::vector<std::string>{"0|3"});
    EXPECT_EQ(ReadWith<TabSelGroupItems>(std::string("V3"))(base).rows, std::vector<std::string>{"0|3"});
    EXPECT_EQ(ReadWith<TabListBoxItems>(std::string(""))(base).rows, std::vector<std::string>{"0|3"});
    EXPECT_EQ(ReadWith<TabSelGroupItems>(std::string(""))(base).rows, std::vector<std::string>{"0|3"});
}

TEST(RegisterFile, DeviceLineTakenAndResetBetweenReads)
{
    MessageBoxRecorder recorder;
    TempFolder folder;
    const std::string base = folder.Path().string();
    TabRadioSettings table(base, "regs.prs");

    folder.Write("regs.prs", "# written by hand\n$!OTHER=1\n$!RF_DEVICE=QZ3A5C\r\nFSCTRL1 |0xDF07|0x08\r\n");
    ASSERT_EQ(table.Read(), 1);
    EXPECT_EQ(table.GetRfDevice(), "QZ3A5C");
    ASSERT_EQ(table.Count(), 1);
    EXPECT_STREQ(table.At(0).REGNAME, "FSCTRL1");
    EXPECT_EQ(table.At(0).REGADDRESS, 0xDF07u);
    EXPECT_EQ(table.At(0).REGVALUE, 8u);

    // A second read starts a new set of rows and forgets the device.
    folder.Write("regs.prs", "MCSM1|0x17|0x3C\nPKTCTRL0|0x08|0x04\n");
    ASSERT_EQ(table.Read(), 1);
    EXPECT_EQ(table.GetRfDevice(), "");
    ASSERT_EQ(table.Count(), 2);
    EXPECT_STREQ(table.At(1).REGNAME, "PKTCTRL0");
    EXPECT_TRUE(recorder.Texts().empty());
}

TEST(RegisterFile, RejectedLineIsLeftAsTheErrorText)
{
    MessageBoxRecorder recorder;
    TempFolder folder;
    folder.Write("regs.prs", "$!RF_DEVICE=QZ6F1C\nFSCTRL1|0xDF07|0x08\nFSCTRL0|DF08|0x00\nMCSM1|0x17|0x3C\n");
    TabRadioSettings table(folder.Path().string(), "regs.prs");
    EXPECT_EQ(table.Read(), 0);
    EXPECT_EQ(table.Count(), 1);
    EXPECT_EQ(table.GetRfDevice(), "QZ6F1C");
    const char* error = table.GetError();
    ASSERT_NE(error, nullptr);
    EXPECT_STREQ(error, "Error reading table regs.prs.\nInvalid value on line 3\nNot able to convert Hex value in field: REGADDRESS");
    EXPECT_EQ(table.GetError(), nullptr);
    EXPECT_TRUE(recorder.Texts().empty());

    folder.Write("regs.prs", "FSCTRL1|0xDF07|\n");
    EXPECT_EQ(table.Read(), 0);
    EXPECT_STREQ(table.GetError(),
                 "Error reading table regs.prs.\nInvalid value on line 1\nNot able to convert Hex value in field: REGVALUE");
}

TEST(RegisterFile, MissingFileReason)
{
    TempFolder folder;
    TabRadioSettings table(folder.Path().string(), "none.prs");
    EXPECT_EQ(table.Read(), 0);
    EXPECT_EQ(std::string(table.GetError()), "Not able to open table: " + folder.Path().string() + "/none.prs");
    EXPECT_EQ(table.GetRfDevice(), "");
}
