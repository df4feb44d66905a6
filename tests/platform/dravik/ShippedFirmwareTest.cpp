#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/dravik/BoardFile.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikHexFile.h"
#include "platform/dravik/FirmwareRevision.h"

namespace {

struct ChipFile {
    int chip;
    std::string name;
};

// The chip firmware files that common.plt names, as the program tree has it.
std::vector<ChipFile> FirmwareLines()
{
    std::ifstream in(std::string(PELAGOR_TEST_PROTOCOLS_DIR) + "common.plt");
    EXPECT_TRUE(in.good());
    std::vector<ChipFile> files;
    const std::regex line(R"(^\s*0x([0-9A-Fa-f]+)(::USART0)?=(\S+)\s*$)");
    bool inSection = false;
    std::string text;
    while (std::getline(in, text)) {
        if (!text.empty() && text[0] == '[')
            inSection = text.rfind("[Firmware]", 0) == 0;
        std::smatch m;
        if (inSection && std::regex_match(text, m, line))
            files.push_back({std::stoi(m[1], nullptr, 16), m[3]});
    }
    return files;
}

int KindOf(int chip)
{
    static const std::set<int> large = {0x6E7A, 0x6E7B, 0x6F86, 0x6F87, 0x6FB2, 0x6FB3};
    return large.count(chip) != 0 ? DravikHexFile::kKindLargeFlash : DravikHexFile::kKindSmallFlash;
}

struct BoardImage {
    uint16_t boardType;
    const char* path;
};

void PrintTo(const BoardImage& b, std::ostream* os)
{
    *os << b.path;
}

class BoardImages : public ::testing::TestWithParam<BoardImage> {};

} // namespace

TEST(ChipFirmware, EveryNamedFileReadsIntoItsKind)
{
    const auto files = FirmwareLines();
    ASSERT_GE(files.size(), 14u);
    for (const ChipFile& file : files) {
        SCOPED_TRACE(file.name);
        const int kind = KindOf(file.chip);
        auto image = DravikHexFile::Create(kind);
        const int read = image->ReadHexFile(std::string(PELAGOR_TEST_CHIP_FIRMWARE_DIR) + file.name);
        EXPECT_GT(read, 100) << "code-like content";
        if (kind == DravikHexFile::kKindLargeFlash) {
            // Large images use the flash beyond 32 KiB, so the small kind cannot hold them.
            EXPECT_LT(DravikHexFile::Create(DravikHexFile::kKindSmallFlash)
                          ->ReadHexFile(std::string(PELAGOR_TEST_CHIP_FIRMWARE_DIR) + file.name),
                      1);
        }
    }
}

TEST_P(BoardImages, CarryTheRevisionTheBoardsCompareWith)
{
    auto image = DravikHexFile::Create(DravikHexFile::kKindSmallFlash);
    ASSERT_GT(image->ReadHexFile(std::string(PELAGOR_TEST_BOARD_FIRMWARE_DIR) + GetParam().path), 0);
    const auto revision = FirmwareRevision::Read(*image);
    ASSERT_TRUE(revision.has_value());
    EXPECT_EQ(revision, FirmwareRevision::Shipped(GetParam().boardType));
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardImages,
                         ::testing::Values(BoardImage{DravikEb::kBoardKestrix, "Kestrix/dravik_fw_kestrixeb.hex"},
                                           BoardImage{DravikEb::kBoardTrennic, "Trennic/dravik_fw_trennic.hex"},
                                           BoardImage{DravikEb::kBoardDalvor, "Dalvor/dravik_fw_kestrixdbg.hex"}),
                         [](const auto& info) {
                             std::string name = info.param.path;
                             return name.substr(0, name.find('/'));
                         });

TEST(DefaultBoardFirmware, OnlyTheTrennicBoardIsOutOfDate)
{
    for (const SimulatedBoardConfig& board : BoardFile::DefaultBoards()) {
        const auto shipped = FirmwareRevision::Shipped(board.boardType);
        if (!shipped)
            continue;
        SCOPED_TRACE(board.deviceText);
        EXPECT_EQ(board.firmwareId, shipped->id);
        if (board.boardType == DravikEb::kBoardTrennic)
            EXPECT_LT(board.firmwareRevision, shipped->revision);
        else
            EXPECT_EQ(board.firmwareRevision, shipped->revision);
    }
}
