#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/dravik/BoardFile.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/FirmwareRevision.h"
#include "tests/platform/dravik/BoardTestSupport.h"

namespace {

using Boards = std::vector<SimulatedBoardConfig>;

struct ParseCase {
    const char* name;
    std::string text;
    size_t boards;
    std::vector<int> skipped;
    std::function<void(const Boards&)> check;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string ManySections(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "[board]\ntype = kestrix\nchip = 0x6F1C\nserial = " + std::to_string(i) + "\n";
    return text;
}

const char kJunk[] = "\x00\xff[\x01]=\n=\x80\x00[board\n\xfe";

const ParseCase kParseCases[] = {
    {"EveryKey",
     "[board]\n"
     "type = 0x2005\nchip = 0x6E7A\nchip name = QZ6E7B\nusb id = 0x0042\nserial = 77\n"
     "firmware id = 0x2105\nrevision = 0xBAAD\ntext = Bench board\nport = /dev/ttyUSB3\n"
     "layout = old\nrate = 0\nupdate result = -5\nupdate ms = 20\nflash = blank\n"
     "faults = verify, pipe\nprofile delay ms = 120\nbuffer = 4096\n"
     "junk = 3\nstatus = 4\ncut = 5\noverflow = 6\nread errors = 7\n",
     1, {},
     [](const Boards& b) {
         const SimulatedBoardConfig& c = b[0];
         EXPECT_EQ(c.boardType, 0x2005);
         EXPECT_EQ(c.chipCode, 0x6E7A);
         EXPECT_EQ(c.ChipNameText(), "QZ6E7B");
         EXPECT_EQ(c.usbDeviceId, 0x42);
         EXPECT_EQ(c.serialNumber, 77u);
         EXPECT_EQ(c.firmwareId, 0x2105);
         EXPECT_EQ(c.firmwareRevision, 0xBAAD);
         EXPECT_EQ(c.deviceText, "Bench board");
         EXPECT_EQ(c.portName, "/dev/ttyUSB3");
         EXPECT_EQ(c.layout, 0);
         EXPECT_EQ(c.framesPerSecond, 0);
         EXPECT_EQ(c.updateResult, -5);
         EXPECT_EQ(c.updateMs, 20);
         EXPECT_TRUE(c.blankFlash);
         EXPECT_EQ(c.faults, kFaultVerify | kFaultPipe);
         EXPECT_EQ(c.profileDelayMs, 120);
         EXPECT_EQ(c.deviceBufferBytes, 4096);
         EXPECT_EQ(c.junkEvery, 3);
         EXPECT_EQ(c.statusEvery, 4);
         EXPECT_EQ(c.cutEvery, 5);
         EXPECT_EQ(c.overflowEvery, 6);
         EXPECT_EQ(c.readErrorEvery, 7);
     }},
    {"NamesForTypeAndChip", "[board]\ntype = Dalvor\nchip = QZ3A1E\n", 1, {},
     [](const Boards& b) {
         EXPECT_EQ(b[0].boardType, DravikEb::kBoardDalvor);
         EXPECT_EQ(b[0].chipCode, 0x3A1E);
         EXPECT_EQ(b[0].ChipNameText(), "QZ3A1E");
         EXPECT_EQ(b[0].deviceText, "Dalvor");
     }},
    {"DefaultsOfAMinimalSection", "[board]\ntype = kestrix\nchip = 0x6F1C\n[board]\ntype = trennic\nchip = 0xE61\n", 2,
     {},
     [](const Boards& b) {
         EXPECT_EQ(b[0].usbDeviceId, 1);
         EXPECT_EQ(b[1].usbDeviceId, 2);
         EXPECT_NE(b[0].serialNumber, b[1].serialNumber);
         EXPECT_EQ(b[0].deviceText, "Kestrix board");
         EXPECT_EQ(b[1].deviceText, "Trennic board");
         EXPECT_EQ(b[1].ChipNameText(), "QZE61");
         // Unless told otherwise a board holds the shipped firmware.
         EXPECT_EQ((FirmwareRevision{b[0].firmwareId, b[0].firmwareRevision}),
                   FirmwareRevision::Shipped(DravikEb::kBoardKestrix));
         EXPECT_EQ(b[0].layout, 1);
         EXPECT_EQ(b[0].framesPerSecond, 200);
         EXPECT_EQ(b[0].faults, 0u);
     }},
    {"SerialPortDevice", "[board]\ntype = serial\nchip = 0x6F1C\nport = /dev/ttyS1\n", 1, {},
     [](const Boards& b) {
         EXPECT_EQ(b[0].boardType, DravikEb::kBoardSerialPort);
         EXPECT_EQ(b[0].usbDeviceId, 1);
         EXPECT_EQ(b[0].portName, "/dev/ttyS1");
         EXPECT_EQ(b[0].firmwareId, 0);
     }},
    {"KeySpellings", "[BOARD]\nTYPE=kestrix\nChip=0x6F1C\nUSB-ID = 7\n[board]\ntype=kestrix\nchip=0x6F1C\nusb_id=8\n", 2, {},
     [](const Boards& b) {
         EXPECT_EQ(b[0].usbDeviceId, 7);
         EXPECT_EQ(b[1].usbDeviceId, 8);
     }},
    {"LeadingZeroIsDecimal", "[board]\ntype = kestrix\nchip = 0x6F1C\nusb id = 010\n", 1, {},
     [](const Boards& b) { EXPECT_EQ(b[0].usbDeviceId, 10); }},
    {"CommentsBlankLinesAndCrLf", "# boards\r\n; more\r\n\r\n[board]\r\ntype = kestrix\r\nchip = 0x6F1C\r\ntext = Desk\r\n",
     1, {}, [](const Boards& b) { EXPECT_EQ(b[0].deviceText, "Desk"); }},
    {"BadLinesAreSkipped",
     "type = kestrix\n"             // 1: before any section
     "[board]\n"                    // 2
     "type = kestrix\n"             // 3
     "chip = 0x6F1C\n"              // 4
     "garbage\n"                    // 5
     "rate = fast\n"                // 6
     "revision = 0x10000\n"         // 7
     "colour = blue\n"              // 8
     "layout = sideways\n"          // 9
     "usb id = -1\n"                // 10
     "serial = 0\n"                 // 11
     "faults = open, melt\n"        // 12
     "chip = QZ12345\n"             // 13
     "[settings]\n"                 // 14
     "rate = 5\n",                  // 15: inside another section
     1, {1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
     [](const Boards& b) {
         EXPECT_EQ(b[0].chipCode, 0x6F1C);
         EXPECT_EQ(b[0].framesPerSecond, 200);
         EXPECT_EQ(b[0].faults, 0u);
         EXPECT_EQ(b[0].layout, 1);
     }},
    {"SectionWithoutChipOrTypeIsDropped", "[board]\ntype = kestrix\n[board]\nchip = 0x6F1C\n[board]\ntype=5\nchip=0x6F1C\n",
     1, {1, 3}, [](const Boards& b) { EXPECT_EQ(b[0].boardType, 5); }},
    {"DuplicateSerialIsDropped",
     "[board]\ntype = kestrix\nchip = 0x6F1C\nserial = 9\n[board]\ntype = dalvor\nchip = 0x6F87\nserial = 9\n", 1, {5},
     [](const Boards& b) { EXPECT_EQ(b[0].boardType, DravikEb::kBoardKestrix); }},
    {"GivenSerialsAreNotTakenByDefaults",
     "[board]\ntype = kestrix\nchip = 0x6F1C\n[board]\ntype = kestrix\nchip = 0x6F1C\nserial = 0x80000001\n", 2, {},
     [](const Boards& b) { EXPECT_NE(b[0].serialNumber, b[1].serialNumber); }},
    {"AtMostTheLimit", ManySections(BoardFile::kMaxBoards + 3), BoardFile::kMaxBoards,
     {4 * BoardFile::kMaxBoards + 1, 4 * BoardFile::kMaxBoards + 5, 4 * BoardFile::kMaxBoards + 9}, nullptr},
    {"Empty", "", 0, {}, nullptr},
    {"BinaryJunk", std::string(kJunk, sizeof kJunk - 1), 0, {1, 2, 3}, nullptr},
    {"LongTextsAreCut", "[board]\ntype = kestrix\nchip = 0x6F1C\ntext = " + std::string(300, 'x') + "\n", 1, {},
     [](const Boards& b) {
         const DravikEbInfo info = b[0].Info();
         EXPECT_EQ(std::string(info.deviceText), std::string(sizeof info.deviceText - 1, 'x'));
     }},
};

class BoardFileParse : public ::testing::TestWithParam<ParseCase> {};

} // namespace

TEST_P(BoardFileParse, ReadsWhatItCanAndSkipsTheRest)
{
    const ParseCase& c = GetParam();
    std::vector<int> skipped;
    const Boards boards = BoardFile::Parse(c.text, &skipped);
    ASSERT_EQ(boards.size(), c.boards);
    EXPECT_EQ(skipped, c.skipped);
    if (c.check)
        c.check(boards);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoardFileParse, ::testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BoardFileParse, DefaultSerialsStayWhileTheOrderStays)
{
    const std::string text = "[board]\ntype = kestrix\nchip = 0x6F1C\n[board]\ntype = dalvor\nchip = 0x6F87\n";
    const Boards first = BoardFile::Parse(text);
    const Boards again = BoardFile::Parse(text + "rate = 50\n");
    ASSERT_EQ(first.size(), 2u);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(first[1].serialNumber, again[1].serialNumber);
}

class BoardFileOnDisk : public ::testing::Test {
protected:
    boardtest::ConfigHome home_;
};

TEST_F(BoardFileOnDisk, LivesUnderTheConfigFolder)
{
    EXPECT_EQ(BoardFile::Path(), (home_.Folder().Path() / "pelagor/boards.ini").string());
}

TEST_F(BoardFileOnDisk, RelativeConfigFolderIsIgnored)
{
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        EXPECT_EQ(BoardFile::Path(), std::string(home) + "/.config/pelagor/boards.ini");
    else
        EXPECT_EQ(BoardFile::Path(), "");
}

TEST_F(BoardFileOnDisk, WithoutTheFileTheDefaultSetIsAttached)
{
    EXPECT_EQ(BoardFile::Attached().size(), BoardFile::DefaultBoards().size());
}

TEST_F(BoardFileOnDisk, TheFileDecidesWhatIsAttached)
{
    home_.WriteBoards("[board]\ntype = trennic\nchip = 0x6E7A\nserial = 5\n");
    Boards boards = BoardFile::Attached();
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0].serialNumber, 5u);

    home_.WriteBoards("# nothing plugged in\n");
    EXPECT_TRUE(BoardFile::Attached().empty());
}

TEST_F(BoardFileOnDisk, AFolderInPlaceOfTheFileGivesTheDefaultSet)
{
    std::filesystem::create_directories(home_.Folder().Path() / "pelagor/boards.ini");
    EXPECT_FALSE(BoardFile::Read(BoardFile::Path()).has_value());
    EXPECT_EQ(BoardFile::Attached().size(), BoardFile::DefaultBoards().size());
}

TEST_F(BoardFileOnDisk, UnreadableFileGivesTheDefaultSet)
{
    const std::string path = home_.WriteBoards("[board]\ntype = kestrix\nchip = 0x6F1C\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    if (::access(path.c_str(), R_OK) == 0)
        GTEST_SKIP() << "this user reads files without read permission";
    EXPECT_EQ(BoardFile::Attached().size(), BoardFile::DefaultBoards().size());
}

TEST_F(BoardFileOnDisk, OnlyTheFirstMegabyteOfAHugeFileIsRead)
{
    std::string text = "[board]\ntype = kestrix\nchip = 0x6F1C\nserial = 1\n";
    text += std::string(BoardFile::kMaxFileBytes, '#');
    text += "\n[board]\ntype = kestrix\nchip = 0x6F1C\nserial = 2\n";
    const std::string path = home_.WriteBoards(text);
    auto boards = BoardFile::Read(path);
    ASSERT_TRUE(boards.has_value());
    ASSERT_EQ(boards->size(), 1u);
    EXPECT_EQ((*boards)[0].serialNumber, 1u);
}
