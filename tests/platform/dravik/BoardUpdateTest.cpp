#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "platform/dravik/DravikEb.h"
#include "platform/dravik/FirmwareRevision.h"
#include "tests/platform/dravik/BoardTestSupport.h"
#include "tests/support/IntelHexText.h"

namespace {

const std::string kTrennicImage = std::string(PELAGOR_TEST_BOARD_FIRMWARE_DIR) + "Trennic/dravik_fw_trennic.hex";

using testsupport::kHexEndRecord;

std::string Record(uint8_t type, uint16_t offset, const std::vector<uint8_t>& data)
{
    return testsupport::HexRecordLine(type, offset, data);
}

const std::string kEnd = kHexEndRecord;

// A Trennic board with older firmware than shipped, and a serial-port device.
class BoardUpdate : public ::testing::Test {
protected:
    void SetUp() override { Write(""); }

    void Write(const std::string& trennicExtra)
    {
        home_.WriteBoards("[board]\ntype = trennic\nchip = 0x6E7A\nserial = 7\nrevision = 0x0102\nupdate ms = 0\n" +
                          trennicExtra +
                          "\n[board]\ntype = serial\nchip = 0x6F1C\nserial = 8\nport = /dev/ttyS0\nupdate ms = 0\n");
    }
    DravikEbInfo Board(uint32_t serial) const
    {
        for (const DravikEbInfo& info : boardtest::Enumerate())
            if (info.serialNumber == serial)
                return info;
        ADD_FAILURE() << "board " << serial << " not listed";
        return {};
    }
    FirmwareRevision FirmwareOf(uint32_t serial) const
    {
        const DravikEbInfo info = Board(serial);
        return {info.firmwareId, info.firmwareRevision};
    }

    boardtest::ConfigHome home_;
    SimulatedBoardSource source_;
    boardtest::InstalledSource installed_{source_};
};

std::mutex progressMutex;
std::vector<int> progressSeen;

void RecordProgress(int percent)
{
    std::lock_guard lock(progressMutex);
    progressSeen.push_back(percent);
}

} // namespace

TEST_F(BoardUpdate, InstallsTheImageAndTheNextEnumerationShowsIt)
{
    Write("update ms = 150");
    const FirmwareRevision before = FirmwareOf(7);
    EXPECT_EQ(before.revision, 0x0102);
    progressSeen.clear();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(DravikEb::UpdateEb(Board(7), kTrennicImage.c_str(), 1, RecordProgress), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(140));
    EXPECT_EQ(FirmwareOf(7), FirmwareRevision::Shipped(DravikEb::kBoardTrennic));
    ASSERT_GE(progressSeen.size(), 2u);
    EXPECT_EQ(progressSeen.front(), 0);
    EXPECT_EQ(progressSeen.back(), 100);
    EXPECT_TRUE(std::is_sorted(progressSeen.begin(), progressSeen.end()));
}

TEST_F(BoardUpdate, EditedFirmwareInTheBoardFileCountsAgain)
{
    ASSERT_EQ(DravikEb::UpdateEb(Board(7), kTrennicImage.c_str(), 1, nullptr), 0);
    Write("revision = 0xBAAD");
    EXPECT_EQ(FirmwareOf(7).revision, 0xBAAD);
}

TEST_F(BoardUpdate, PathsMayUseBackslashes)
{
    std::string path = kTrennicImage;
    path.replace(path.rfind('/'), 1, "\\");
    EXPECT_EQ(DravikEb::UpdateEb(Board(7), path.c_str(), 1, nullptr), 0);
}

TEST_F(BoardUpdate, UnknownDevices)
{
    EXPECT_EQ(DravikEb::UpdateEb(Board(8), kTrennicImage.c_str(), 1, nullptr), -4) << "no board firmware";
    DravikEbInfo gone = Board(7);
    gone.serialNumber = 99;
    EXPECT_EQ(DravikEb::UpdateEb(gone, kTrennicImage.c_str(), 1, nullptr), -4);
}

namespace {

struct ForcedCase {
    int result;
};

void PrintTo(const ForcedCase& c, std::ostream* os)
{
    *os << c.result;
}

class ForcedUpdateResults : public BoardUpdate, public ::testing::WithParamInterface<ForcedCase> {};

} // namespace

TEST_P(ForcedUpdateResults, LeaveTheFirmwareAsItWas)
{
    Write("update result = " + std::to_string(GetParam().result));
    const FirmwareRevision before = FirmwareOf(7);
    EXPECT_EQ(DravikEb::UpdateEb(Board(7), kTrennicImage.c_str(), 1, nullptr), GetParam().result);
    EXPECT_EQ(FirmwareOf(7), before);
}

INSTANTIATE_TEST_SUITE_P(Results, ForcedUpdateResults,
                         ::testing::Values(ForcedCase{-1}, ForcedCase{-2}, ForcedCase{-3}, ForcedCase{-4},
                                           ForcedCase{-5}, ForcedCase{-6}, ForcedCase{-7}, ForcedCase{-42}),
                         [](const auto& info) { return "Minus" + std::to_string(-info.param.result); });

namespace {

std::vector<uint8_t> Le16(uint16_t v)
{
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
}

struct FileCase {
    const char* name;
    std::string text; // written to a file; nullptr-like "-" means: no file
    int result;
};

void PrintTo(const FileCase& c, std::ostream* os)
{
    *os << c.name;
}

const std::string kRevisionRecord = Record(0, 0x1896, Le16(0x18A0)) + Record(0, 0x18A0, {0x05, 0x21, 0x09, 0x01});

const FileCase kFileCases[] = {
    {"Missing", "-", -1},
    {"Empty", "", -1},
    {"OnlyEndRecord", kEnd, -1},
    {"BadChecksum", ":0100000011EF\n" + kEnd, -6},
    {"NoEndRecord", Record(0, 0, {1, 2, 3}) + kRevisionRecord, -6},
    {"BeyondTheImage", Record(4, 0, {0x00, 0x01}) + Record(0, 0, {1}) + kEnd, -7},
    {"NoRevisionRecord", Record(0, 0, {1, 2, 3}) + kEnd, -7},
    {"RevisionRecordOutside", Record(0, 0x1896, Le16(0x7FFE)) + kEnd, -7},
    {"Good", Record(0, 0, {1, 2, 3}) + kRevisionRecord + kEnd, 0},
};

class UpdateFiles : public BoardUpdate, public ::testing::WithParamInterface<FileCase> {};

} // namespace

TEST_P(UpdateFiles, MapToTheirResult)
{
    const FileCase& c = GetParam();
    const std::string path =
        c.text == "-" ? home_.Folder() / "absent.hex" : home_.Folder().Write("image.hex", c.text);
    const FirmwareRevision before = FirmwareOf(7);
    EXPECT_EQ(DravikEb::UpdateEb(Board(7), path.c_str(), 1, nullptr), c.result);
    if (c.result == 0)
        EXPECT_EQ(FirmwareOf(7), (FirmwareRevision{0x2105, 0x0109}));
    else
        EXPECT_EQ(FirmwareOf(7), before);
}

INSTANTIATE_TEST_SUITE_P(Files, UpdateFiles, ::testing::ValuesIn(kFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardUpdate, NoPathIsAMissingFile)
{
    EXPECT_EQ(DravikEb::UpdateEb(Board(7), nullptr, 1, nullptr), -1);
    EXPECT_EQ(DravikEb::UpdateEb(Board(7), "", 1, nullptr), -1);
}
