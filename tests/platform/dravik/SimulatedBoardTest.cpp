#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikHexFile.h"
#include "platform/dravik/SimulatedBoard.h"
#include "tests/platform/dravik/BoardTestSupport.h"

namespace {

constexpr int kVerifyMatch = DravikDebugger::kVerifyMatch;
constexpr int kVerifyDiffers = DravikDebugger::kVerifyDiffers;

std::string ChipFirmware(const char* name)
{
    return std::string(PELAGOR_TEST_CHIP_FIRMWARE_DIR) + name;
}

std::unique_ptr<DravikHexFile> Image(int kind, const char* name)
{
    auto image = DravikHexFile::Create(kind);
    EXPECT_GT(image->ReadHexFile(ChipFirmware(name)), 0) << name;
    return image;
}

// Boards from a board file of the test's own, opened through DravikEb.
class BoardFixture : public ::testing::Test {
protected:
    // One board of the given chip on a board of the given type, plus extra lines.
    std::unique_ptr<DravikEb> Open(const std::string& type, uint16_t chip, const std::string& extra = "")
    {
        char section[160];
        std::snprintf(section, sizeof section, "[board]\ntype = %s\nchip = 0x%04X\nserial = %u\n", type.c_str(), chip,
                      ++serial_);
        boards_ += section + extra + "\n";
        home_.WriteBoards(boards_);
        for (const DravikEbInfo& info : boardtest::Enumerate())
            if (info.serialNumber == serial_) {
                last_ = info;
                return DravikEb::CreateEb(info, 0);
            }
        ADD_FAILURE() << "board " << serial_ << " not listed";
        return nullptr;
    }
    std::unique_ptr<DravikEb> Reopen() { return DravikEb::CreateEb(last_, 0); }

    static DravikDebugger* Debugger(DravikEb& board)
    {
        DravikChip* chip = board.GetChip();
        if (chip == nullptr)
            return nullptr;
        if (DravikDebugger* d = chip->GetFamily1Debugger())
            return d;
        if (DravikDebugger* d = chip->GetFamily2Debugger())
            return d;
        return chip->GetFamily3Debugger();
    }

    boardtest::ConfigHome home_;
    SimulatedBoardSource source_;
    boardtest::InstalledSource installed_{source_};
    std::string boards_;
    uint32_t serial_ = 100;
    DravikEbInfo last_;
};

struct FamilyCase {
    uint16_t chip;
    int family; // 0: no debug interface
};

void PrintTo(const FamilyCase& c, std::ostream* os)
{
    *os << std::hex << c.chip;
}

class ChipFamilies : public BoardFixture, public ::testing::WithParamInterface<FamilyCase> {};

} // namespace

TEST_P(ChipFamilies, AnswerThroughTheirOwnDebuggerOnly)
{
    auto board = Open("kestrix", GetParam().chip);
    ASSERT_NE(board, nullptr);
    EXPECT_EQ(board->GetChipType(), GetParam().chip);
    DravikChip* chip = board->GetChip();
    ASSERT_NE(chip, nullptr);
    EXPECT_EQ(chip->GetFamily1Debugger() != nullptr, GetParam().family == 1);
    EXPECT_EQ(chip->GetFamily2Debugger() != nullptr, GetParam().family == 2);
    EXPECT_EQ(chip->GetFamily3Debugger() != nullptr, GetParam().family == 3);
    EXPECT_EQ(chip->Reset(), 0);
}

INSTANTIATE_TEST_SUITE_P(Chips, ChipFamilies,
                         ::testing::Values(FamilyCase{0x3A1E, 1}, FamilyCase{0x3A1F, 1}, FamilyCase{0x6F1C, 1},
                                           FamilyCase{0x6F1D, 1}, FamilyCase{0x6E7A, 2}, FamilyCase{0x6E7B, 2},
                                           FamilyCase{0x6F86, 3}, FamilyCase{0x6F87, 3}, FamilyCase{0x6FB6, 3},
                                           FamilyCase{0x0E61, 3}, FamilyCase{0x3A5C, 0}, FamilyCase{0x6F48, 0}),
                         [](const auto& info) {
                             char name[8];
                             std::snprintf(name, sizeof name, "QZ%X", info.param.chip);
                             return std::string(name);
                         });

TEST_F(BoardFixture, ProfileReadsBackWhatWasSet)
{
    auto board = Open("kestrix", 0x6F1C);
    EXPECT_EQ(board->GetProfile(), SimulatedBoard::kProfileIdle);
    for (int profile : {0, 4, 5, 1}) {
        EXPECT_EQ(board->SetProfile(profile), 0);
        EXPECT_EQ(board->GetProfile(), profile);
    }
    EXPECT_NE(board->SetProfile(-1), 0);
    EXPECT_NE(board->SetProfile(6), 0);
    EXPECT_EQ(board->GetProfile(), 1);
}

TEST_F(BoardFixture, SlowProfileChangeIsSeenByPolling)
{
    auto board = Open("kestrix", 0x6F1C, "profile delay ms = 120");
    ASSERT_EQ(board->SetProfile(4), 0);
    EXPECT_EQ(board->GetProfile(), 1) << "not switched yet";
    int reads = 0;
    while (board->GetProfile() != 4 && ++reads < 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(board->GetProfile(), 4);
    EXPECT_GE(reads, 2);
}

TEST_F(BoardFixture, ProfileFaultNeverSwitches)
{
    auto board = Open("kestrix", 0x6F1C, "faults = profile");
    EXPECT_EQ(board->SetProfile(0), 0);
    EXPECT_EQ(board->GetProfile(), 1);
}

namespace {

struct ProgramCase {
    const char* name;
    const char* type;
    uint16_t chip;
    int kind;
    const char* firmware;
};

void PrintTo(const ProgramCase& c, std::ostream* os)
{
    *os << c.name;
}

class ChipProgramming : public BoardFixture, public ::testing::WithParamInterface<ProgramCase> {};

} // namespace

TEST_P(ChipProgramming, VerifyEraseProgramVerifyAndTheFlashStays)
{
    const ProgramCase& c = GetParam();
    auto image = Image(c.kind, c.firmware);
    auto board = Open(c.type, c.chip);
    ASSERT_NE(board, nullptr);
    DravikDebugger* debugger = Debugger(*board);
    ASSERT_NE(debugger, nullptr);
    ASSERT_EQ(board->SetProfile(0), 0);
    EXPECT_EQ(debugger->Reset(), 0);
    EXPECT_EQ(debugger->VerifyFlash(*image), kVerifyDiffers);
    EXPECT_EQ(debugger->EraseFlash(), 0);
    EXPECT_EQ(debugger->ProgramFlash(*image), 0);
    EXPECT_EQ(debugger->VerifyFlash(*image), kVerifyMatch);
    EXPECT_EQ(debugger->StartChip(), 0);
    EXPECT_EQ(debugger->Release(), 1);
    board.reset();

    // The next connection finds the chip programmed.
    board = Reopen();
    ASSERT_NE(board, nullptr);
    ASSERT_EQ(board->SetProfile(0), 0);
    EXPECT_EQ(Debugger(*board)->VerifyFlash(*image), kVerifyMatch);
    ASSERT_EQ(board->SetProfile(4), 0);
    EXPECT_EQ(board->Command(SimulatedBoard::kCmdBoot, 0, 0, 0, nullptr), 0);
}

INSTANTIATE_TEST_SUITE_P(Chips, ChipProgramming,
                         ::testing::Values(ProgramCase{"SmallFlash", "kestrix", 0x6F1C, 10, "sniffer_fw_qz6f1c.hex"},
                                           ProgramCase{"LargeFlash", "trennic", 0x6E7A, 11, "sniffer_fw_qz6e7a.hex"},
                                           ProgramCase{"FamilyThree", "kestrix", 0x6F87, 11, "sniffer_fw_qz6f87.hex"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardFixture, ProgrammingOverUnerasedFlashFailsItsVerification)
{
    auto image = Image(10, "sniffer_fw_qz6f1c.hex");
    auto board = Open("kestrix", 0x6F1C);
    DravikDebugger* debugger = Debugger(*board);
    ASSERT_EQ(board->SetProfile(0), 0);
    EXPECT_EQ(debugger->ProgramFlash(*image), 0);
    EXPECT_EQ(debugger->VerifyFlash(*image), kVerifyDiffers);
}

TEST_F(BoardFixture, AnImageOfTheOtherKindIsRefused)
{
    auto large = Image(11, "sniffer_fw_qz6e7a.hex");
    auto board = Open("kestrix", 0x6F1C);
    DravikDebugger* debugger = Debugger(*board);
    ASSERT_EQ(board->SetProfile(0), 0);
    const int verify = debugger->VerifyFlash(*large);
    EXPECT_NE(verify, kVerifyMatch);
    EXPECT_NE(verify, kVerifyDiffers);
    EXPECT_NE(debugger->ProgramFlash(*large), 0);
}

TEST_F(BoardFixture, DebuggerWorksOnlyInTheDebuggerProfile)
{
    auto image = Image(10, "sniffer_fw_qz6f1c.hex");
    auto board = Open("kestrix", 0x6F1C);
    DravikDebugger* debugger = Debugger(*board);
    ASSERT_EQ(board->SetProfile(4), 0);
    EXPECT_NE(debugger->Reset(), 0);
    const int verify = debugger->VerifyFlash(*image);
    EXPECT_NE(verify, kVerifyMatch);
    EXPECT_NE(verify, kVerifyDiffers);
    EXPECT_NE(debugger->EraseFlash(), 0);
    EXPECT_NE(debugger->ProgramFlash(*image), 0);
    // Nothing was erased: the old firmware still boots.
    EXPECT_EQ(board->Command(SimulatedBoard::kCmdBoot, 0, 0, 0, nullptr), 0);
}

namespace {

struct FaultCase {
    const char* fault;
    std::function<bool(DravikEb*, DravikDebugger*, const DravikHexFile&)> fails;
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.fault;
}

class BoardFaults : public BoardFixture, public ::testing::WithParamInterface<FaultCase> {};

const FaultCase kFaultCases[] = {
    {"nochip", [](DravikEb* b, DravikDebugger*, const DravikHexFile&) { return b->GetChip() == nullptr; }},
    {"pipe", [](DravikEb* b, DravikDebugger*, const DravikHexFile&) { return b->GetUsbPipe() == nullptr; }},
    {"log", [](DravikEb* b, DravikDebugger*, const DravikHexFile&) { return b->SetLogFile("ReadData_GetPacket") != 0; }},
    {"reset",
     [](DravikEb* b, DravikDebugger* d, const DravikHexFile&) { return d->Reset() != 0 && b->GetChip()->Reset() != 0; }},
    {"verify",
     [](DravikEb*, DravikDebugger* d, const DravikHexFile& image) {
         const int v = d->VerifyFlash(image);
         return v != kVerifyMatch && v != kVerifyDiffers;
     }},
    {"erase", [](DravikEb*, DravikDebugger* d, const DravikHexFile&) { return d->EraseFlash() != 0; }},
    {"program", [](DravikEb*, DravikDebugger* d, const DravikHexFile& image) { return d->ProgramFlash(image) != 0; }},
    {"stuck",
     [](DravikEb*, DravikDebugger* d, const DravikHexFile& image) {
         return d->EraseFlash() == 0 && d->ProgramFlash(image) == 0 && d->VerifyFlash(image) == kVerifyDiffers;
     }},
    {"release", [](DravikEb*, DravikDebugger* d, const DravikHexFile&) { return d->Release() != 1; }},
    {"boot",
     [](DravikEb* b, DravikDebugger*, const DravikHexFile&) {
         return b->SetProfile(4) == 0 && b->Command(SimulatedBoard::kCmdBoot, 0, 0, 0, nullptr) != 0;
     }},
    {"start",
     [](DravikEb* b, DravikDebugger*, const DravikHexFile&) {
         return b->SetProfile(4) == 0 && b->Command(SimulatedBoard::kCmdBoot, 0, 0, 0, nullptr) == 0 &&
                b->Command(SimulatedBoard::kCmdStart, 0, 0, 0, nullptr) != 0;
     }},
    {"param",
     [](DravikEb* b, DravikDebugger*, const DravikHexFile&) {
         const uint8_t channel = 12;
         return b->SetProfile(4) == 0 && b->Command(SimulatedBoard::kCmdBoot, 0, 0, 0, nullptr) == 0 &&
                b->Command(SimulatedBoard::kCmdSetParam, 0, 0, 1, &channel) != 0;
     }},
};

} // namespace

TEST_P(BoardFaults, FailTheirStep)
{
    auto image = Image(10, "sniffer_fw_qz6f1c.hex");
    auto board = Open("kestrix", 0x6F1C, std::string("faults = ") + GetParam().fault);
    ASSERT_NE(board, nullptr);
    ASSERT_EQ(board->SetProfile(0), 0);
    EXPECT_TRUE(GetParam().fails(board.get(), Debugger(*board), *image));
}

INSTANTIATE_TEST_SUITE_P(Faults, BoardFaults, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.fault); });

TEST_F(BoardFixture, OpenFaultGivesNoBoard)
{
    EXPECT_EQ(Open("kestrix", 0x6F1C, "faults = open"), nullptr);
}

namespace {

enum class Setup { Idle, Booted, Transceiver, TransceiverRunning, BlankFlash };

struct CommandCase {
    const char* name;
    Setup setup;
    uint8_t command;
    uint8_t parameter1;
    uint8_t parameter2;
    std::vector<uint8_t> data;
    bool succeeds;
    std::function<void(SimulatedBoard&)> check;
    int length = -1; // -1: the data's size
    bool nullData = false;
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << c.name;
}

using Registers = std::map<uint16_t, uint8_t>;

const CommandCase kCommandCases[] = {
    {"BootBeforeProfile", Setup::Idle, 201, 0, 0, {}, false, nullptr},
    {"BootWithBlankFlash", Setup::BlankFlash, 201, 0, 0, {}, false,
     [](SimulatedBoard& b) { EXPECT_FALSE(b.Booted()); }},
    {"BootOfATransceiver", Setup::Transceiver, 201, 0, 0, {}, false, nullptr},
    {"BootWithData", Setup::Booted, 201, 0, 0, {1}, false, nullptr},
    {"StartBeforeBoot", Setup::Idle, 208, 0, 0, {}, false, [](SimulatedBoard& b) { EXPECT_FALSE(b.Capturing()); }},
    {"StartAfterBoot", Setup::Booted, 208, 0, 0, {}, true, [](SimulatedBoard& b) { EXPECT_TRUE(b.Capturing()); }},
    {"StartOfARunningTransceiver", Setup::TransceiverRunning, 208, 0, 0, {}, true, nullptr},
    {"StopAfterBoot", Setup::Booted, 209, 0, 0, {}, true, nullptr},
    {"UnknownCommand", Setup::Booted, 200, 0, 0, {}, false, nullptr},
    {"Channel", Setup::Booted, 210, 0, 0, {20}, true, [](SimulatedBoard& b) { EXPECT_EQ(b.Channel(), 20); }},
    {"ChannelBeforeBoot", Setup::Idle, 210, 0, 0, {20}, false,
     [](SimulatedBoard& b) { EXPECT_EQ(b.Channel(), SimulatedBoard::kDefaultChannel); }},
    {"ChannelOfTwoBytes", Setup::Booted, 210, 0, 0, {20, 21}, false, nullptr},
    {"ChannelWithSubtype", Setup::Booted, 210, 0, 16, {20}, false, nullptr},
    {"CaptureMode", Setup::Booted, 210, 1, 0, {3}, true, [](SimulatedBoard& b) { EXPECT_EQ(b.CaptureMode(), 3); }},
    {"RegisterPairs", Setup::Booted, 210, 4, 0, {0x10, 0x01, 0x2F, 0x02}, true,
     [](SimulatedBoard& b) { EXPECT_EQ(b.Registers(), (Registers{{0x10, 0x01}, {0x2F, 0x02}})); }},
    {"RegisterTriples", Setup::TransceiverRunning, 210, 4, 16, {0x01, 0x10, 0xAA, 0x7F, 0xFF, 0x55}, true,
     [](SimulatedBoard& b) { EXPECT_EQ(b.Registers(), (Registers{{0x0110, 0xAA}, {0x7FFF, 0x55}})); }},
    {"RegisterPairsOddLength", Setup::Booted, 210, 4, 0, {0x10, 0x01, 0x11}, false,
     [](SimulatedBoard& b) { EXPECT_TRUE(b.Registers().empty()); }},
    {"RegisterTriplesCut", Setup::Booted, 210, 4, 16, {0x01, 0x10, 0xAA, 0x02}, false, nullptr},
    {"RegistersUnknownSubtype", Setup::Booted, 210, 4, 5, {0x10, 0x01}, false, nullptr},
    {"RegistersNone", Setup::Booted, 210, 4, 0, {}, false, nullptr},
    {"InitiatorAddress", Setup::Booted, 210, 6, 0, {1, 2, 3, 4, 5, 6}, true,
     [](SimulatedBoard& b) { EXPECT_EQ(b.InitiatorAddress(), (std::array<uint8_t, 6>{1, 2, 3, 4, 5, 6})); }},
    {"InitiatorAddressShort", Setup::Booted, 210, 6, 0, {1, 2, 3, 4, 5}, false, nullptr},
    {"UnknownParameter", Setup::Booted, 210, 2, 0, {1}, false, nullptr},
    {"LengthWithoutData", Setup::Booted, 210, 0, 0, {}, false, nullptr, 1, true},
    {"NegativeLength", Setup::Booted, 210, 0, 0, {1}, false, nullptr, -5},
    {"OverlongParameter", Setup::Booted, 210, 4, 0, std::vector<uint8_t>(256, 1), false, nullptr},
};

class BoardCommands : public BoardFixture, public ::testing::WithParamInterface<CommandCase> {};

} // namespace

TEST_P(BoardCommands, AnswerAsTheFirmwareWould)
{
    const CommandCase& c = GetParam();
    const bool transceiver = c.setup == Setup::Transceiver || c.setup == Setup::TransceiverRunning;
    auto board = Open("kestrix", transceiver ? 0x3A5C : 0x6F1C, c.setup == Setup::BlankFlash ? "flash = blank" : "");
    ASSERT_NE(board, nullptr);
    switch (c.setup) {
    case Setup::Idle: break;
    case Setup::Booted:
        ASSERT_EQ(board->SetProfile(4), 0);
        ASSERT_EQ(board->Command(201, 0, 0, 0, nullptr), 0);
        break;
    case Setup::Transceiver:
    case Setup::BlankFlash: ASSERT_EQ(board->SetProfile(4), 0); break;
    case Setup::TransceiverRunning: ASSERT_EQ(board->SetProfile(5), 0); break;
    }
    const int length = c.length == -1 ? static_cast<int>(c.data.size()) : c.length;
    const int result = board->Command(c.command, c.parameter1, c.parameter2, length,
                                      c.nullData || c.data.empty() ? nullptr : c.data.data());
    EXPECT_EQ(result == 0, c.succeeds) << result;
    if (c.check)
        c.check(dynamic_cast<SimulatedBoard&>(*board));
}

INSTANTIATE_TEST_SUITE_P(Commands, BoardCommands, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardFixture, AnotherProfileStopsTheCaptureFirmware)
{
    auto board = Open("kestrix", 0x6F1C);
    ASSERT_TRUE(boardtest::StartCapture(*board));
    ASSERT_EQ(board->SetProfile(0), 0);
    auto& simulated = dynamic_cast<SimulatedBoard&>(*board);
    EXPECT_FALSE(simulated.Booted());
    EXPECT_FALSE(simulated.Capturing());
    ASSERT_EQ(board->SetProfile(4), 0);
    EXPECT_NE(board->Command(208, 0, 0, 0, nullptr), 0) << "START needs a new BOOT";
}

TEST_F(BoardFixture, PipeBelongsToTheBoard)
{
    auto board = Open("kestrix", 0x6F1C);
    DravikPipe* pipe = board->GetUsbPipe();
    ASSERT_NE(pipe, nullptr);
    EXPECT_EQ(board->GetUsbPipe(), pipe);
}

TEST_F(BoardFixture, LogIsKeptInMemoryWhileOpen)
{
    auto board = Open("kestrix", 0x6F1C);
    auto& simulated = dynamic_cast<SimulatedBoard&>(*board);
    EXPECT_NE(board->SetLogFile(nullptr), 0);
    EXPECT_NE(board->SetLogFile(""), 0);
    board->Command(200, 0, 0, 0, nullptr);
    EXPECT_TRUE(simulated.LogLines().empty());

    ASSERT_EQ(board->SetLogFile("ReadData_GetPacket"), 0);
    board->Command(200, 0, 0, 0, nullptr);
    const auto lines = simulated.LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].rfind("ReadData_GetPacket: command 200", 0), 0u) << lines[1];

    for (size_t i = 0; i < SimulatedBoard::kMaxLogLines + 10; ++i)
        board->Command(200, 0, 0, 0, nullptr);
    EXPECT_EQ(simulated.LogLines().size(), SimulatedBoard::kMaxLogLines);

    board->CloseLogFile();
    const size_t closed = simulated.LogLines().size();
    board->Command(200, 0, 0, 0, nullptr);
    EXPECT_EQ(simulated.LogLines().size(), closed);
}
