#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "chips/ChipCodes.h"
#include "platform/dravik/BoardFile.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikRevision.h"
#include "platform/dravik/FirmwareRevision.h"
#include "tests/platform/dravik/BoardTestSupport.h"

namespace {

using boardtest::Enumerate;

// The default set, with the board file looked for in an empty folder.
class DefaultBoards : public ::testing::Test {
protected:
    boardtest::ConfigHome home_;
    SimulatedBoardSource source_;
    boardtest::InstalledSource installed_{source_};
};

struct ArgumentCase {
    const char* name;
    bool records;
    bool count;
    int countValue;
    int result;
    int countAfter;
};

void PrintTo(const ArgumentCase& c, std::ostream* os)
{
    *os << c.name;
}

const ArgumentCase kArgumentCases[] = {
    {"NoCount", true, false, 0, -1, 0},
    {"NegativeCount", true, true, -1, -1, -1},
    {"NoRecordsButRoom", false, true, 4, -1, 4},
    {"NoRecordsNoRoom", false, true, 0, 0, 0},
    {"NoRoom", true, true, 0, 0, 0},
};

class EnumArguments : public DefaultBoards, public ::testing::WithParamInterface<ArgumentCase> {};

} // namespace

TEST_P(EnumArguments, AreChecked)
{
    const ArgumentCase& c = GetParam();
    DravikEbInfo records[DravikEb::kMaxBoards];
    int count = c.countValue;
    EXPECT_EQ(DravikEb::EnumEbs(c.records ? records : nullptr, c.count ? &count : nullptr, 0xFFFF), c.result);
    EXPECT_EQ(count, c.countAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, EnumArguments, ::testing::ValuesIn(kArgumentCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DefaultBoards, NeverFillsMoreThanCountRecords)
{
    DravikEbInfo records[4];
    records[2].boardType = 0x4242;
    std::strcpy(records[3].deviceText, "untouched");
    int count = 2;
    ASSERT_EQ(DravikEb::EnumEbs(records, &count, 0xFFFF), 0);
    EXPECT_EQ(count, 2);
    EXPECT_NE(records[0].boardType, 0);
    EXPECT_NE(records[1].boardType, 0);
    EXPECT_EQ(records[2].boardType, 0x4242);
    EXPECT_STREQ(records[3].deviceText, "untouched");
}

TEST_F(DefaultBoards, MaskSelectsBoardTypes)
{
    const size_t all = Enumerate(0xFFFF).size();
    EXPECT_EQ(all, BoardFile::DefaultBoards().size());
    EXPECT_TRUE(Enumerate(0).empty());
    const auto kestrix = Enumerate(DravikEb::kBoardKestrix);
    ASSERT_FALSE(kestrix.empty());
    for (const DravikEbInfo& info : kestrix)
        EXPECT_EQ(info.boardType, DravikEb::kBoardKestrix);
    std::set<uint16_t> types;
    for (const DravikEbInfo& info : Enumerate(DravikEb::kBoardDalvor))
        types.insert(info.boardType);
    EXPECT_EQ(types, (std::set<uint16_t>{DravikEb::kBoardKestrix, DravikEb::kBoardDalvor}));
}

TEST_F(DefaultBoards, ReachEveryKindOfDevice)
{
    const auto boards = Enumerate();
    bool dongle = false, currentKestrix = false, trennic = false, transceiver = false, serialPort = false;
    std::set<uint32_t> serials;
    std::set<uint16_t> usbIds;
    for (const DravikEbInfo& info : boards) {
        SCOPED_TRACE(info.deviceText);
        char name[16];
        std::snprintf(name, sizeof name, "QZ%X", info.chipCode);
        EXPECT_STREQ(info.chipName, name);
        EXPECT_TRUE(serials.insert(info.serialNumber).second);
        if (info.boardType == DravikEb::kBoardSerialPort) {
            serialPort = true;
            EXPECT_EQ(info.chipCode, 0x6F1C);
            EXPECT_EQ(std::string(info.portName).rfind("/dev/tty", 0), 0u);
            continue;
        }
        // Listed USB devices have ids of their own.
        EXPECT_NE(info.usbDeviceId, 0);
        EXPECT_NE(info.usbDeviceId, 0xFFFF);
        EXPECT_TRUE(usbIds.insert(info.usbDeviceId).second);
        dongle |= info.boardType == DravikEb::kBoardDalvor && IsUsbDongleChip(info.chipCode, info.boardType);
        currentKestrix |= info.boardType == DravikEb::kBoardKestrix && info.chipCode == 0x6F1C &&
                          FirmwareRevision{info.firmwareId, info.firmwareRevision} ==
                              FirmwareRevision::Shipped(DravikEb::kBoardKestrix);
        transceiver |= IsTransceiverChip(info.chipCode);
        if (info.boardType == DravikEb::kBoardTrennic) {
            trennic = true;
            EXPECT_STREQ(info.deviceText, "Trennic board");
        }
        if (info.boardType == DravikEb::kBoardKestrix) {
            EXPECT_STREQ(info.deviceText, "Kestrix board");
        }
        if (info.boardType == DravikEb::kBoardDalvor) {
            EXPECT_STREQ(info.deviceText, "Dalvor");
        }
    }
    EXPECT_TRUE(dongle);
    EXPECT_TRUE(currentKestrix);
    EXPECT_TRUE(trennic);
    EXPECT_TRUE(transceiver);
    EXPECT_TRUE(serialPort);
}

TEST_F(DefaultBoards, EditingTheBoardFilePlugsAndUnplugs)
{
    const std::string one = "[board]\ntype = kestrix\nchip = 0x6F1C\nserial = 31\n";
    const std::string two = one + "[board]\ntype = dalvor\nchip = 0x6F87\nserial = 32\nusb id = 0xFFFF\n";
    home_.WriteBoards(one);
    auto boards = Enumerate();
    ASSERT_EQ(boards.size(), 1u);
    const DravikEbInfo first = boards[0];
    EXPECT_NE(DravikEb::CreateEb(first, 0), nullptr);

    home_.WriteBoards(two);
    boards = Enumerate();
    ASSERT_EQ(boards.size(), 2u);
    EXPECT_EQ(boards[1].usbDeviceId, 0xFFFF);

    home_.WriteBoards("");
    EXPECT_TRUE(Enumerate().empty());
    EXPECT_EQ(DravikEb::CreateEb(first, 0), nullptr) << "an unplugged board cannot be opened";

    std::filesystem::remove(home_.Folder().Path() / "pelagor/boards.ini");
    EXPECT_EQ(Enumerate().size(), BoardFile::DefaultBoards().size());
}

TEST_F(DefaultBoards, OpenNeedsTypeAndSerialOfAnAttachedBoard)
{
    const auto boards = Enumerate();
    ASSERT_FALSE(boards.empty());
    DravikEbInfo other = boards[0];
    other.serialNumber = 0xDEAD;
    EXPECT_EQ(DravikEb::CreateEb(other, 0), nullptr);
    other = boards[0];
    other.boardType = 0x7777;
    EXPECT_EQ(DravikEb::CreateEb(other, 0), nullptr);
    auto board = DravikEb::CreateEb(boards[0], 0);
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetChipType(), boards[0].chipCode);
}

TEST(DravikEbLibrary, HasARevisionRecord)
{
    const DravikRevision r = dravikGetRevision();
    EXPECT_GT(r.major + r.minor + r.patch, 0);
    ASSERT_NE(r.generated, nullptr);
    ASSERT_NE(r.toolchain, nullptr);
    EXPECT_NE(std::string(r.generated), "");
    EXPECT_NE(std::string(r.toolchain), "");
}

namespace {

// A source that claims more boards than it was given room for.
class BoastingSource : public DravikBoardSource {
public:
    int Enumerate(DravikEbInfo* records, int capacity, uint32_t) override
    {
        for (int i = 0; i < capacity; ++i)
            records[i].boardType = DravikEb::kBoardKestrix;
        return capacity + 5;
    }
    std::unique_ptr<DravikEb> Open(const DravikEbInfo&, int) override { return nullptr; }
    int Update(const DravikEbInfo&, const char*, int, DravikEb::ProgressFunction) override { return -3; }
};

} // namespace

TEST(DravikBoardSource, CountNeverExceedsTheRoomGiven)
{
    BoastingSource source;
    boardtest::InstalledSource installed(source);
    DravikEbInfo records[3];
    int count = 3;
    ASSERT_EQ(DravikEb::EnumEbs(records, &count, 0xFFFF), 0);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(DravikEb::UpdateEb(records[0], "x.hex", 1, nullptr), -3);
}

TEST(DravikBoardSource, NullReturnsToTheSimulatedBoards)
{
    boardtest::ConfigHome home;
    BoastingSource source;
    InstallDravikBoardSource(&source);
    EXPECT_EQ(&CurrentDravikBoardSource(), &source);
    InstallDravikBoardSource(nullptr);
    EXPECT_NE(dynamic_cast<SimulatedBoardSource*>(&CurrentDravikBoardSource()), nullptr);
}

TEST(DravikBoardSource, InstallingWhileOthersEnumerateIsSafe)
{
    boardtest::ConfigHome home;
    BoastingSource source;
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t)
        readers.emplace_back([&] {
            while (!stop.load()) {
                DravikEbInfo records[DravikEb::kMaxBoards];
                int count = DravikEb::kMaxBoards;
                EXPECT_EQ(DravikEb::EnumEbs(records, &count, 0xFFFF), 0);
                EXPECT_LE(count, DravikEb::kMaxBoards);
            }
        });
    for (int i = 0; i < 200; ++i)
        InstallDravikBoardSource(i % 2 == 0 ? &source : nullptr);
    InstallDravikBoardSource(nullptr);
    stop = true;
    for (std::thread& t : readers)
        t.join();
}
