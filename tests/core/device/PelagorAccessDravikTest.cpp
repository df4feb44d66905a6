#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "core/device/PacketBuffer.h"
#include "core/device/PelagorAccessDravik.h"
#include "platform/dravik/DravikEb.h"
#include "tests/support/ScriptedBoard.h"
#include "tests/support/TempFolder.h"

namespace {

using testsupport::BoardScript;
using Calls = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

// ---- What the callbacks were given ---------------------------------------------------------
// The callbacks are plain functions, so what they see is kept here, safe for the update thread.

struct Recorder {
    std::mutex mutex;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<int> progress;
    int answer = 0;
    bool starterWorks = true;
    std::vector<std::thread> workers;
};

Recorder recorder;

void OnMessage(const char* text)
{
    std::lock_guard lock(recorder.mutex);
    recorder.messages.emplace_back(text);
}

void OnProgress(int on)
{
    std::lock_guard lock(recorder.mutex);
    recorder.progress.push_back(on);
}

int OnQuestion(const char* question)
{
    std::lock_guard lock(recorder.mutex);
    recorder.questions.emplace_back(question);
    return recorder.answer;
}

int OnStartThread(PelagorAccess::ThreadFunction function)
{
    std::lock_guard lock(recorder.mutex);
    if (!recorder.starterWorks)
        return 0;
    recorder.workers.emplace_back(function);
    return 1;
}

void JoinWorkers()
{
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(recorder.mutex);
        workers.swap(recorder.workers);
    }
    for (std::thread& worker : workers)
        worker.join();
}

std::vector<std::string> Messages()
{
    std::lock_guard lock(recorder.mutex);
    return recorder.messages;
}

std::vector<std::string> Questions()
{
    std::lock_guard lock(recorder.mutex);
    return recorder.questions;
}

std::vector<int> Progress()
{
    std::lock_guard lock(recorder.mutex);
    return recorder.progress;
}

void SetAnswer(int answer)
{
    std::lock_guard lock(recorder.mutex);
    recorder.answer = answer;
}

// ---- Looking at call sequences -------------------------------------------------------------

bool Has(const Calls& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

bool HasAnyStartingWith(const Calls& calls, const std::string& prefix)
{
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

// True when wanted occur in calls in this order (others may lie between).
bool InOrder(const Calls& calls, const Calls& wanted)
{
    auto at = calls.begin();
    for (const std::string& call : wanted) {
        at = std::find(at, calls.end(), call);
        if (at == calls.end())
            return false;
        ++at;
    }
    return true;
}

// The GetProfile reads that follow the first SetProfile(profile).
int ReadsAfterSetting(const Calls& calls, int profile)
{
    auto at = std::find(calls.begin(), calls.end(), "SetProfile(" + std::to_string(profile) + ")");
    if (at == calls.end())
        return -1;
    int reads = 0;
    for (++at; at != calls.end() && *at == "GetProfile"; ++at)
        ++reads;
    return reads;
}

std::string Joined(const Calls& calls)
{
    std::string all;
    for (const std::string& call : calls)
        all += call + " ";
    return all;
}

// ---- Files -----------------------------------------------------------------------------------

const Bytes kChipImage = {0x02, 0x00, 0x80, 0x75, 0x81, 0x60, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC,
                          0xDE, 0xF0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};

constexpr uint16_t kFirmwareId = 0x0A01;
constexpr uint16_t kFirmwareRevision = 0x0103;

enum class ChipFile { Valid, Missing, Malformed, NoData };

// ---- The fixture -----------------------------------------------------------------------------

// A Kestrix board whose own firmware is current and whose QZ6F1C takes the capture firmware.
class DravikAccessTest : public testing::Test {
protected:
    void SetUp() override
    {
        {
            std::lock_guard lock(recorder.mutex);
            recorder.messages.clear();
            recorder.questions.clear();
            recorder.progress.clear();
            recorder.answer = 0;
            recorder.starterWorks = true;
        }
        device_.boardType = DravikEb::kBoardKestrix;
        device_.chipCode = 0x6F1C;
        device_.usbDeviceId = 0x0042;
        device_.firmwareId = kFirmwareId;
        device_.firmwareRevision = kFirmwareRevision;
        device_.serialNumber = 7;
        std::strcpy(device_.deviceText, "Test board");
        WriteAllBoardFirmware(kFirmwareId, kFirmwareRevision);
        WriteChipFirmware(ChipFile::Valid);
        source_.Script().chipType = 0x6F1C;
    }

    void TearDown() override { JoinWorkers(); }

    std::string BoardFolder() const { return folder_ / "board/"; }
    std::string ChipFolder() const { return folder_ / "chip/"; }
    std::string ChipFirmwarePath() const { return folder_ / "chip/capture.hex"; }

    void WriteBoardFirmware(const std::string& file, uint16_t id, uint16_t revision)
    {
        folder_.Write("board/" + file, testsupport::BoardFirmwareHexText(id, revision));
    }

    void WriteAllBoardFirmware(uint16_t id, uint16_t revision)
    {
        for (uint16_t type : {DravikEb::kBoardKestrix, DravikEb::kBoardDalvor, DravikEb::kBoardTrennic})
            WriteBoardFirmware(PelagorAccessDravik::BoardFirmwareFile(type), id, revision);
    }

    void WriteChipFirmware(ChipFile file)
    {
        std::filesystem::remove(ChipFirmwarePath());
        switch (file) {
        case ChipFile::Valid: folder_.Write("chip/capture.hex", testsupport::IntelHexText({{0, kChipImage}})); break;
        case ChipFile::Missing: break;
        case ChipFile::Malformed: folder_.Write("chip/capture.hex", ":10000000GARBAGE\n"); break;
        case ChipFile::NoData: folder_.Write("chip/capture.hex", ":00000001FF\n"); break;
        }
    }

    // An access object with the engine's callbacks and the chip firmware file set.
    std::unique_ptr<PelagorAccessDravik> Make(const std::string& boardFolder = "")
    {
        const std::string folder = boardFolder.empty() ? BoardFolder() : boardFolder;
        auto access = std::make_unique<PelagorAccessDravik>(device_, folder.c_str(), ChipFolder().c_str());
        access->SetProgressCallback(&OnProgress);
        access->SetMessageCallback(&OnMessage);
        access->SetQuestionCallback(&OnQuestion);
        access->SetThreadStarter(&OnStartThread);
        EXPECT_TRUE(access->SetFirmwareFile("capture.hex"));
        return access;
    }

    Calls BoardCalls() const { return source_.Calls(); }

    // Reads until something other than "nothing yet" comes.
    static int ReadUntilResult(PelagorAccess& access, uint8_t* kind, int* length, uint8_t* record)
    {
        int status = kPacketPending;
        for (int i = 0; i < 20 && status == kPacketPending; ++i) {
            *length = 0;
            status = access.ReadPacket(kind, length, record, 0);
        }
        return status;
    }

    testsupport::TempFolder folder_;
    testsupport::ScriptedBoardSource source_;
    DravikEbInfo device_;
};

// ---- Opening ---------------------------------------------------------------------------------

TEST_F(DravikAccessTest, ConnectPreparesTheChipOpensThePipeAndBoots)
{
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);

    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(Questions().empty());
    const testsupport::BoardRecord record = source_.Recorded();
    ASSERT_EQ(record.opens.size(), 1u);
    EXPECT_EQ(record.opens[0].flags, 0);
    EXPECT_EQ(record.opens[0].info.serialNumber, 7u);
    EXPECT_EQ(record.logFiles, std::vector<std::string>{"ReadData_GetPacket"});
    EXPECT_TRUE(InOrder(record.calls, {"GetChipType", "GetChip", "Family1Debugger", "SetProfile(0)", "GetProfile",
                                       "Debugger.Reset", "Debugger.Verify", "Debugger.StartChip",
                                       "Debugger.Release", "GetUsbPipe", "SetProfile(4)", "GetProfile",
                                       "Command(0xC9)"}))
        << Joined(record.calls);
    EXPECT_EQ(access->BoardProfile(), PelagorAccessDravik::kProfileChipFirmware);
}

TEST_F(DravikAccessTest, NoBoardFailsConnectAndEveryBoardOperation)
{
    source_.Script().opens = false;
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Connect to EB device failed: Test board"});

    uint8_t value = 11;
    EXPECT_FALSE(access->SetParameter(0, &value, 1));
    EXPECT_FALSE(access->SetParameter16(4, 16, &value, 1));
    EXPECT_FALSE(access->StartCapture(0, 64));
    EXPECT_FALSE(access->StopCapture());
    // Nothing to read: "nothing could be read", nothing written.
    uint8_t kind = 0xEE;
    int length = -3;
    uint8_t record[16] = {0xEE};
    EXPECT_EQ(access->ReadPacket(&kind, &length, record, 0), kPacketNothingRead);
    EXPECT_EQ(kind, 0xEE);
    EXPECT_EQ(length, -3);
    EXPECT_EQ(record[0], 0xEE);
}

TEST_F(DravikAccessTest, AnUnterminatedDeviceTextIsReadToTheEndOfItsField)
{
    source_.Script().opens = false;
    std::memset(device_.deviceText, 'X', sizeof device_.deviceText);
    std::memset(device_.chipName, 'Y', sizeof device_.chipName);
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Connect to EB device failed: " +
                                                   std::string(sizeof device_.deviceText, 'X')});
}

// ---- Which debugger, which image ----------------------------------------------------------------

struct ChipCase {
    uint16_t chip;
    int family;
    int imageKind;
};

void PrintTo(const ChipCase& c, std::ostream* os)
{
    *os << "chip 0x" << std::hex << c.chip;
}

class ChipFamilyTest : public DravikAccessTest, public testing::WithParamInterface<ChipCase> {};

// Only the chip's own family answers, as a real chip does.
TEST_P(ChipFamilyTest, TheChipsFamilyDebuggerProgramsItsImageKind)
{
    const ChipCase& c = GetParam();
    BoardScript& script = source_.Script();
    script.chipType = c.chip;
    script.family1 = c.family == 1;
    script.family2 = c.family == 2;
    script.family3 = c.family == 3;
    script.verifyResults = {DravikDebugger::kVerifyDiffers, DravikDebugger::kVerifyMatch};

    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk) << testing::PrintToString(Messages());

    const testsupport::BoardRecord record = source_.Recorded();
    EXPECT_TRUE(Has(record.calls, "Family" + std::to_string(c.family) + "Debugger"));
    EXPECT_EQ(record.verifiedImageKinds, (std::vector<int>{c.imageKind, c.imageKind}));
    // The image is the file's, laid out in the flash of its kind.
    ASSERT_EQ(record.programmedImage.size(), c.imageKind == 10 ? 32u * 1024 : 256u * 1024);
    EXPECT_TRUE(std::equal(kChipImage.begin(), kChipImage.end(), record.programmedImage.begin()));
    EXPECT_EQ(record.programmedImage[kChipImage.size()], 0xFF);
}

INSTANTIATE_TEST_SUITE_P(Chips, ChipFamilyTest,
                         testing::Values(ChipCase{0x3A1E, 1, 10}, ChipCase{0x3A1F, 1, 10}, ChipCase{0x6F1C, 1, 10},
                                         ChipCase{0x6F1D, 1, 10}, ChipCase{0x6E7A, 2, 11}, ChipCase{0x6E7B, 2, 11},
                                         ChipCase{0x6F89, 3, 10}, ChipCase{0x6F86, 3, 11}, ChipCase{0x6F87, 3, 11},
                                         ChipCase{0x6FB2, 3, 11}, ChipCase{0x6FB3, 3, 11}),
                         [](const testing::TestParamInfo<ChipCase>& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Chip%04X", info.param.chip);
                             return std::string(name);
                         });

struct UnknownChipCase {
    uint16_t chip;
    const char* message;
};

void PrintTo(const UnknownChipCase& c, std::ostream* os)
{
    *os << c.message;
}

class UnknownChipTest : public DravikAccessTest, public testing::WithParamInterface<UnknownChipCase> {};

TEST_P(UnknownChipTest, IsRefusedBeforeAnythingIsTouched)
{
    source_.Script().chipType = GetParam().chip;
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);
    EXPECT_EQ(Messages(), std::vector<std::string>{GetParam().message});
    const Calls calls = BoardCalls();
    EXPECT_FALSE(HasAnyStartingWith(calls, "Debugger.")) << Joined(calls);
    EXPECT_FALSE(Has(calls, "GetUsbPipe"));
    EXPECT_FALSE(Has(calls, "Command(0xC9)"));
}

INSTANTIATE_TEST_SUITE_P(Codes, UnknownChipTest,
                         // 0x6FB6 has a debugger family but no image kind; 0 and 1 name no chip.
                         testing::Values(UnknownChipCase{0x6FB6, "Unknown chip type: 0x6FB6"},
                                         UnknownChipCase{0x0001, "Unknown chip type: 0x0001"},
                                         UnknownChipCase{0x0000, "Unknown chip type: 0x0000"},
                                         UnknownChipCase{0x1234, "Unknown chip type: 0x1234"}));

TEST_F(DravikAccessTest, ChipCodesBelowTwoAskForNoChipObject)
{
    source_.Script().chipType = 1;
    auto access = Make();
    EXPECT_FALSE(Has(BoardCalls(), "GetChip"));
    EXPECT_FALSE(access->IsTransceiver());
}

// ---- Chips that are not programmed -------------------------------------------------------------

struct DongleCase {
    const char* name;
    uint16_t boardType;
    bool programmed;
};

void PrintTo(const DongleCase& c, std::ostream* os)
{
    *os << c.name;
}

class DongleTest : public DravikAccessTest, public testing::WithParamInterface<DongleCase> {};

TEST_P(DongleTest, AUsbChipIsTheCaptureDeviceExceptOnAKestrixBoard)
{
    device_.boardType = GetParam().boardType;
    source_.Script().chipType = 0x6F87;
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk) << testing::PrintToString(Messages());
    const Calls calls = BoardCalls();
    EXPECT_EQ(Has(calls, "Debugger.Verify"), GetParam().programmed) << Joined(calls);
    EXPECT_TRUE(InOrder(calls, {"GetUsbPipe", "SetProfile(4)", "Command(0xC9)"})) << Joined(calls);
}

INSTANTIATE_TEST_SUITE_P(Boards, DongleTest,
                         testing::Values(DongleCase{"DalvorUnit", DravikEb::kBoardDalvor, false},
                                         DongleCase{"TrennicBoard", DravikEb::kBoardTrennic, false},
                                         DongleCase{"KestrixBoard", DravikEb::kBoardKestrix, true}),
                         [](const testing::TestParamInfo<DongleCase>& info) { return std::string(info.param.name); });

TEST_F(DravikAccessTest, ATransceiverIsResetNeitherProgrammedNorBooted)
{
    source_.Script().chipType = 0x3A5C;
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk) << testing::PrintToString(Messages());
    EXPECT_TRUE(access->IsTransceiver());
    EXPECT_EQ(access->BoardProfile(), PelagorAccessDravik::kProfileBoardFirmware);
    const Calls calls = BoardCalls();
    EXPECT_FALSE(HasAnyStartingWith(calls, "Debugger.")) << Joined(calls);
    EXPECT_FALSE(HasAnyStartingWith(calls, "Family")) << Joined(calls);
    EXPECT_FALSE(Has(calls, "Command(0xC9)"));
    EXPECT_TRUE(InOrder(calls, {"GetUsbPipe", "GetChip", "Chip.Reset", "SetProfile(5)", "GetProfile"}))
        << Joined(calls);
}

TEST_F(DravikAccessTest, ATransceiversFailedChipResetIsIgnored)
{
    source_.Script().chipType = 0x3B92;
    source_.Script().chipResetResult = -3;
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DravikAccessTest, ATransceiverWithoutChipObjectFailsAndDropsTheReader)
{
    source_.Script().chipType = 0x3A5C;
    source_.Script().hasChip = false;
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);
    EXPECT_EQ(Messages(),
              (std::vector<std::string>{"Not able to reset Tranceiver", "Not able to initialize sniffer on Test board"}));
    int length = 0;
    uint8_t kind = 0;
    uint8_t record[64];
    EXPECT_EQ(access->ReadPacket(&kind, &length, record, 0), kPacketNothingRead);
    EXPECT_FALSE(access->StartCapture(0, 64));
}

// ---- Programming the chip --------------------------------------------------------------------------

TEST_F(DravikAccessTest, AMatchingFlashIsNeitherErasedNorProgrammed)
{
    source_.Script().verifyResults = {DravikDebugger::kVerifyMatch};
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    const Calls calls = BoardCalls();
    EXPECT_FALSE(Has(calls, "Debugger.Erase"));
    EXPECT_FALSE(Has(calls, "Debugger.Program"));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "Debugger.Verify"), 1);
}

TEST_F(DravikAccessTest, ADifferingFlashIsErasedProgrammedAndVerified)
{
    source_.Script().verifyResults = {DravikDebugger::kVerifyDiffers, DravikDebugger::kVerifyMatch};
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_TRUE(InOrder(BoardCalls(), {"Debugger.Reset", "Debugger.Verify", "Debugger.Erase", "Debugger.Program",
                                       "Debugger.Verify", "Debugger.StartChip", "Debugger.Release",
                                       "Command(0xC9)"}))
        << Joined(BoardCalls());
}

struct FailureCase {
    const char* name;
    std::function<void(BoardScript&)> script;
    ChipFile file;
    const char* message;
    bool followedByPath; // the message ends with the chip firmware path
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class ProgrammingFailureTest : public DravikAccessTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(ProgrammingFailureTest, FailsConnectWithItsMessageAndNeverBoots)
{
    const FailureCase& c = GetParam();
    if (c.script)
        c.script(source_.Script());
    WriteChipFirmware(c.file);

    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);

    const std::string expected = std::string(c.message) + (c.followedByPath ? ChipFirmwarePath() : "");
    EXPECT_EQ(Messages(), std::vector<std::string>{expected});
    const Calls calls = BoardCalls();
    EXPECT_FALSE(Has(calls, "GetUsbPipe")) << Joined(calls);
    EXPECT_FALSE(Has(calls, "Command(0xC9)"));
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ProgrammingFailureTest,
    testing::Values(
        FailureCase{"FileMissing", nullptr, ChipFile::Missing, "Not able to read firmware file: ", true},
        // Read errors are negative: they must not pass for a read image.
        FailureCase{"FileMalformed", nullptr, ChipFile::Malformed, "Not able to read firmware file: ", true},
        FailureCase{"FileWithoutData", nullptr, ChipFile::NoData, "Not able to read firmware file: ", true},
        FailureCase{"NoChipObject", [](BoardScript& s) { s.hasChip = false; }, ChipFile::Valid,
                    "Failed to attach debugger", false},
        FailureCase{"NoDebuggerOfTheFamily", [](BoardScript& s) { s.family1 = false; }, ChipFile::Valid,
                    "Failed to attach debugger", false},
        FailureCase{"ProfileNeverReadBack", [](BoardScript& s) { s.profileReadsNeeded = BoardScript::kNever; },
                    ChipFile::Valid, "Failed to set debugger profile", false},
        FailureCase{"ProfileReadBackAfterEleven", [](BoardScript& s) { s.profileReadsNeeded = 11; },
                    ChipFile::Valid, "Failed to set debugger profile", false},
        FailureCase{"ResetFails", [](BoardScript& s) { s.debuggerResetResult = -1; }, ChipFile::Valid,
                    "Debugger reset failed", false},
        FailureCase{"VerifyUnexpected", [](BoardScript& s) { s.verifyResults = {-3}; }, ChipFile::Valid,
                    "Unexpected flash verification status", false},
        FailureCase{"EraseFails",
                    [](BoardScript& s) {
                        s.verifyResults = {DravikDebugger::kVerifyDiffers};
                        s.eraseResult = -1;
                    },
                    ChipFile::Valid, "Flash erase failed", false},
        FailureCase{"ProgramFails",
                    [](BoardScript& s) {
                        s.verifyResults = {DravikDebugger::kVerifyDiffers};
                        s.programResult = -2;
                    },
                    ChipFile::Valid, "Flash programming failed", false},
        FailureCase{"SecondVerifyDiffers",
                    [](BoardScript& s) { s.verifyResults = {DravikDebugger::kVerifyDiffers, DravikDebugger::kVerifyDiffers}; },
                    ChipFile::Valid, "Flash verification failed", false},
        // Connect would fail without a word otherwise.
        FailureCase{"ReleaseFails", [](BoardScript& s) { s.releaseResult = 0; }, ChipFile::Valid,
                    "Failed to release debugger", false}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(DravikAccessTest, TheDebuggerProfileIsReadTenTimesFiftyMillisecondsApart)
{
    source_.Script().profileReadsNeeded = BoardScript::kNever;
    auto access = Make();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(ReadsAfterSetting(BoardCalls(), 0), 10);
    EXPECT_GE(elapsed, std::chrono::milliseconds(9 * 50));
}

TEST_F(DravikAccessTest, AProfileReadBackAtTheTenthReadIsInTime)
{
    source_.Script().profileReadsNeeded = 10;
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectOk) << testing::PrintToString(Messages());
    EXPECT_EQ(ReadsAfterSetting(BoardCalls(), 0), 10);
    EXPECT_EQ(ReadsAfterSetting(BoardCalls(), 4), 10);
}

// ---- Opening the pipe and booting ---------------------------------------------------------------

struct PipeFailureCase {
    const char* name;
    std::function<void(BoardScript&)> script;
    std::vector<std::string> messages;
};

void PrintTo(const PipeFailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class PipeFailureTest : public DravikAccessTest, public testing::WithParamInterface<PipeFailureCase> {};

TEST_P(PipeFailureTest, FailsConnectAndLeavesNothingToRead)
{
    GetParam().script(source_.Script());
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);
    EXPECT_EQ(Messages(), GetParam().messages);
    int length = 0;
    uint8_t kind = 0;
    uint8_t record[64];
    EXPECT_EQ(access->ReadPacket(&kind, &length, record, 0), kPacketNothingRead);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PipeFailureTest,
    testing::Values(PipeFailureCase{"NoPipe", [](BoardScript& s) { s.hasPipe = false; },
                                    {"USB pipe creation failed", "Not able to initialize sniffer on Test board"}},
                    PipeFailureCase{"CaptureProfileNeverReadBack",
                                    [](BoardScript& s) { s.unreachableProfiles = {4}; },
                                    {"Failed to set debugger profile", "Not able to initialize sniffer on Test board"}},
                    PipeFailureCase{"TransceiverProfileNeverReadBack",
                                    [](BoardScript& s) {
                                        s.chipType = 0x3A5C;
                                        s.unreachableProfiles = {5};
                                    },
                                    {"Failed to set debugger profile", "Not able to initialize sniffer on Test board"}}),
    [](const testing::TestParamInfo<PipeFailureCase>& info) { return std::string(info.param.name); });

TEST_F(DravikAccessTest, AFailedBootFailsConnect)
{
    source_.Script().commandResults[PelagorAccessDravik::kBoardCmdBoot] = 1;
    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectFailed);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Not able to boot Test board"});
}

// ---- Capture ---------------------------------------------------------------------------------------

struct CaptureCase {
    const char* name;
    int capacity;
    int status;
    int length;
};

void PrintTo(const CaptureCase& c, std::ostream* os)
{
    *os << c.name;
}

class CaptureTest : public DravikAccessTest, public testing::WithParamInterface<CaptureCase> {};

// One new-layout packet of four bytes at tick 1 (a frame of nine payload bytes).
const Bytes kStream = {0x10, 0x09, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44};

TEST_P(CaptureTest, StartCaptureSizesTheFramingOfThePipe)
{
    const CaptureCase& c = GetParam();
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    source_.Pipe().Add({0, kStream});

    ASSERT_TRUE(access->StartCapture(0, c.capacity));
    EXPECT_EQ(access->MaximumRecordLength(), c.capacity);

    std::vector<uint8_t> record(static_cast<size_t>(c.capacity) + 16, 0xEE);
    uint8_t kind = 0xEE;
    int length = 0;
    EXPECT_EQ(ReadUntilResult(*access, &kind, &length, record.data()), c.status);
    EXPECT_EQ(length, c.length);
    if (c.status == kPacketComplete) {
        const Bytes expected = {0x01, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x00, 0x11, 0x22, 0x33, 0x44};
        EXPECT_EQ(Bytes(record.begin(), record.begin() + length), expected);
        EXPECT_EQ(kind, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Capacities, CaptureTest,
                         testing::Values(CaptureCase{"RoomForThePacket", 64, kPacketComplete, 14},
                                         // A frame longer than the capacity is never taken for one.
                                         CaptureCase{"FrameAboveCapacity", 8, kPacketResync, 0}),
                         [](const testing::TestParamInfo<CaptureCase>& info) { return std::string(info.param.name); });

TEST_F(DravikAccessTest, StartCaptureSendsTheModeThenStarts)
{
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    ASSERT_TRUE(access->StartCapture(0, 64));
    const std::vector<testsupport::BoardRecord::Command> commands = source_.Recorded().commands;
    ASSERT_GE(commands.size(), 2u);
    const auto& mode = commands[commands.size() - 2];
    EXPECT_EQ(mode.command, PelagorAccessDravik::kBoardCmdSetParam);
    EXPECT_EQ(mode.parameter1, 1);
    EXPECT_EQ(mode.parameter2, 0);
    EXPECT_EQ(mode.data, Bytes{0});
    EXPECT_EQ(commands.back().command, PelagorAccessDravik::kBoardCmdStart);
}

TEST_F(DravikAccessTest, ARefusedCaptureModeFailsStartCapture)
{
    source_.Script().commandResults[PelagorAccessDravik::kBoardCmdSetParam] = 2;
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_FALSE(access->StartCapture(0, 64));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Failed to set debugger profile"});
    EXPECT_FALSE(Has(BoardCalls(), "Command(0xD0)"));
}

TEST_F(DravikAccessTest, ARefusedStartFailsStartCapture)
{
    source_.Script().commandResults[PelagorAccessDravik::kBoardCmdStart] = 1;
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_FALSE(access->StartCapture(0, 64));
}

TEST_F(DravikAccessTest, ParametersAndStopAreBoardCommands)
{
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    uint8_t channel = 37;
    uint8_t registers[6] = {0x12, 0x34, 0x56, 0x00, 0x10, 0x7F};
    ASSERT_TRUE(access->SetParameter(0, &channel, 1));
    ASSERT_TRUE(access->SetParameter16(4, 16, registers, 6));
    ASSERT_TRUE(access->StopCapture());

    std::vector<testsupport::BoardRecord::Command> commands = source_.Recorded().commands;
    ASSERT_GE(commands.size(), 3u);
    commands.erase(commands.begin(), commands.end() - 3);
    EXPECT_EQ(commands[0].command, 0xD2);
    EXPECT_EQ(commands[0].parameter1, 0);
    EXPECT_EQ(commands[0].parameter2, 0);
    EXPECT_EQ(commands[0].data, Bytes{37});
    EXPECT_EQ(commands[1].command, 0xD2);
    EXPECT_EQ(commands[1].parameter1, 4);
    EXPECT_EQ(commands[1].parameter2, 16);
    EXPECT_EQ(commands[1].data, Bytes(registers, registers + 6));
    EXPECT_EQ(commands[2].command, 0xD1);

    source_.Script().commandResults[0xD2] = -1;
    source_.Script().commandResults[0xD1] = 3;
    EXPECT_FALSE(access->SetParameter(0, &channel, 1));
    EXPECT_FALSE(access->SetParameter16(4, 16, registers, 6));
    EXPECT_FALSE(access->StopCapture());
}

// ---- Closing ------------------------------------------------------------------------------------------

struct CloseCase {
    const char* name;
    uint16_t chip;
    bool connect;
    const char* profileSet;
};

void PrintTo(const CloseCase& c, std::ostream* os)
{
    *os << c.name;
}

class CloseTest : public DravikAccessTest, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTest, ClosesTheLogSetsTheProfileAndLetsGoOfTheBoard)
{
    source_.Script().chipType = GetParam().chip;
    auto access = Make();
    source_.Pipe().Add({0, kStream});
    if (GetParam().connect) {
        ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
        ASSERT_TRUE(access->StartCapture(0, 64));
        uint8_t kind = 0;
        int length = 0;
        uint8_t record[80];
        ASSERT_EQ(ReadUntilResult(*access, &kind, &length, record), kPacketComplete);
    }
    const size_t before = BoardCalls().size();
    access.reset();

    const Calls calls = BoardCalls();
    const Calls closing(calls.begin() + static_cast<long>(before), calls.end());
    EXPECT_EQ(closing, (Calls{"CloseLogFile", GetParam().profileSet, "~Board"}));
    EXPECT_EQ(source_.Recorded().boardsOpen, 0);
}

INSTANTIATE_TEST_SUITE_P(Profiles, CloseTest,
                         testing::Values(CloseCase{"ChipRunsTheCapture", 0x6F1C, true, "SetProfile(0)"},
                                         CloseCase{"BoardRunsTheCapture", 0x3A5C, true, "SetProfile(1)"},
                                         CloseCase{"NeverConnected", 0x6F1C, false, "SetProfile(1)"}),
                         [](const testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(DravikAccessTest, WithoutBoardClosingTouchesNothing)
{
    source_.Script().opens = false;
    auto access = Make();
    access.reset();
    EXPECT_EQ(BoardCalls(), Calls{"Open"});
}

// ---- The board's own firmware -----------------------------------------------------------------------

struct OfferCase {
    const char* name;
    uint16_t boardType;
    uint16_t boardId;
    uint16_t boardRevision;
    uint16_t imageId;
    uint16_t imageRevision;
    const char* question; // null: no update offered
};

void PrintTo(const OfferCase& c, std::ostream* os)
{
    *os << c.name;
}

class FirmwareOfferTest : public DravikAccessTest, public testing::WithParamInterface<OfferCase> {};

TEST_P(FirmwareOfferTest, DecliningOrCurrentFirmwareGoesOnToProgramAndBoot)
{
    const OfferCase& c = GetParam();
    device_.boardType = c.boardType;
    device_.firmwareId = c.boardId;
    device_.firmwareRevision = c.boardRevision;
    WriteAllBoardFirmware(c.imageId, c.imageRevision);
    SetAnswer(0);

    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectOk) << testing::PrintToString(Messages());

    if (c.question != nullptr)
        EXPECT_EQ(Questions(), std::vector<std::string>{c.question});
    else
        EXPECT_TRUE(Questions().empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(Progress().empty());
    const Calls calls = BoardCalls();
    EXPECT_FALSE(Has(calls, "Update"));
    EXPECT_TRUE(InOrder(calls, {"Debugger.Verify", "GetUsbPipe", "Command(0xC9)"})) << Joined(calls);
}

INSTANTIATE_TEST_SUITE_P(
    Revisions, FirmwareOfferTest,
    testing::Values(
        OfferCase{"Current", DravikEb::kBoardKestrix, 0x0A01, 0x0103, 0x0A01, 0x0103, nullptr},
        OfferCase{"BoardNewer", DravikEb::kBoardKestrix, 0x0A01, 0x0104, 0x0A01, 0x0103, nullptr},
        OfferCase{"BoardOlder", DravikEb::kBoardKestrix, 0x0A01, 0x0102, 0x0A01, 0x0103,
                  "Firmware on Kestrix board [rev. 0x0102] is out of date. Update to most recent [rev. 0x0103]? "},
        OfferCase{"OtherFirmwareId", DravikEb::kBoardKestrix, 0x0A02, 0x0200, 0x0A01, 0x0103,
                  "Firmware on Kestrix board [rev. 0x0200] is out of date. Update to most recent [rev. 0x0103]? "},
        // Offered although the id matches and 0xBAAD lies above the image's revision.
        OfferCase{"NoValidFirmware", DravikEb::kBoardKestrix, 0x0A01, 0xBAAD, 0x0A01, 0x0103,
                  "Firmware on Kestrix board [rev. 0xBAAD] is out of date. Update to most recent [rev. 0x0103]? "},
        OfferCase{"DalvorOlder", DravikEb::kBoardDalvor, 0x0A01, 0x0001, 0x0A01, 0x0100,
                  "Firmware on Dalvor [rev. 0x0001] is out of date. Update to most recent [rev. 0x0100]? "},
        OfferCase{"TrennicNoValidFirmware", DravikEb::kBoardTrennic, 0x0A01, 0xBAAD, 0x0A01, 0xFFF0,
                  "Firmware on Trennic board [rev. 0xBAAD] is out of date. Update to most recent [rev. 0xFFF0]? "},
        // Other boards keep no firmware of their own to check.
        OfferCase{"SerialPortDevice", DravikEb::kBoardSerialPort, 0x0A01, 0xBAAD, 0x0A01, 0x0103, nullptr}),
    [](const testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });

struct UpdateResultCase {
    int result;
    const char* message; // null: nothing shown
};

void PrintTo(const UpdateResultCase& c, std::ostream* os)
{
    *os << "result " << c.result;
}

class FirmwareUpdateResultTest : public DravikAccessTest, public testing::WithParamInterface<UpdateResultCase> {};

TEST_P(FirmwareUpdateResultTest, TheUpdateThreadTellsItsResultAndEndsTheBusyState)
{
    device_.firmwareRevision = 0x0100;
    source_.Script().updateResult = GetParam().result;
    SetAnswer(1);
    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectUpdateStarted);
    access.reset();
    JoinWorkers();

    if (GetParam().message != nullptr)
        EXPECT_EQ(Messages(), std::vector<std::string>{GetParam().message});
    else
        EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Progress(), (std::vector<int>{1, 0}));
}

INSTANTIATE_TEST_SUITE_P(
    Results, FirmwareUpdateResultTest,
    testing::Values(UpdateResultCase{0, nullptr}, UpdateResultCase{-1, "HEX file not found or empty!\n"},
                    UpdateResultCase{-2, "Verification of programmed image failed!\n"},
                    UpdateResultCase{-3, "Communication error!\n"}, UpdateResultCase{-4, "Device not known!\n"},
                    UpdateResultCase{-5, "Timeout while waiting for device to appear on the USB bus!\n"},
                    UpdateResultCase{-6, "Invalid length of HEX file!\n"},
                    UpdateResultCase{-7, "Invalid address range in HEX file!\n"},
                    UpdateResultCase{-8, "Firmware update failed!\n"}, UpdateResultCase{3, "Firmware update failed!\n"}),
    [](const testing::TestParamInfo<UpdateResultCase>& info) {
        return (info.param.result < 0 ? "Minus" : "Plus") + std::to_string(std::abs(info.param.result));
    });

TEST_F(DravikAccessTest, AnAcceptedUpdateRunsOnAfterTheObjectIsGone)
{
    device_.firmwareRevision = 0x0100;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> entered;
    source_.Script().updateHook = [&entered, released] {
        entered.set_value();
        released.wait();
    };
    SetAnswer(1);

    auto access = Make();
    ASSERT_EQ(access->Connect(0), PelagorAccess::kConnectUpdateStarted);
    entered.get_future().wait();
    EXPECT_EQ(Progress(), std::vector<int>{1});
    // The update replaces the board's firmware: nothing else is done to the board.
    const Calls calls = BoardCalls();
    EXPECT_FALSE(HasAnyStartingWith(calls, "Debugger.")) << Joined(calls);
    EXPECT_FALSE(Has(calls, "GetUsbPipe"));
    EXPECT_FALSE(Has(calls, "Command(0xC9)"));

    // The engine deletes the object and may make another for another board meanwhile.
    access.reset();
    const DravikEbInfo first = device_;
    device_.serialNumber = 99;
    auto other = Make();
    release.set_value();
    JoinWorkers();

    const testsupport::BoardRecord record = source_.Recorded();
    ASSERT_EQ(record.updates.size(), 1u);
    EXPECT_EQ(record.updates[0].info.serialNumber, first.serialNumber);
    EXPECT_EQ(record.updates[0].hexPath, BoardFolder() + "Kestrix/dravik_fw_kestrixeb.hex");
    EXPECT_EQ(record.updates[0].verify, 1);
    EXPECT_FALSE(record.updates[0].withProgress);
    EXPECT_EQ(Progress(), (std::vector<int>{1, 0}));
    EXPECT_TRUE(Messages().empty());
}

class UpdateNotStartedTest : public DravikAccessTest, public testing::WithParamInterface<bool> {};

// A busy state nobody would end must not be left behind.
TEST_P(UpdateNotStartedTest, AnUpdateThatCannotStartIsReportedAndConnectGoesOn)
{
    device_.firmwareRevision = 0x0100;
    SetAnswer(1);
    auto access = Make();
    if (GetParam()) {
        std::lock_guard lock(recorder.mutex);
        recorder.starterWorks = false;
    } else {
        access->SetThreadStarter(nullptr);
    }
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_EQ(Progress(), (std::vector<int>{1, 0}));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Firmware update failed!\n"});
    EXPECT_FALSE(Has(BoardCalls(), "Update"));
    EXPECT_TRUE(Has(BoardCalls(), "Command(0xC9)"));
}

INSTANTIATE_TEST_SUITE_P(Starters, UpdateNotStartedTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "StarterRefuses" : "NoStarter");
                         });

TEST_F(DravikAccessTest, WithNobodyToAskNoUpdateIsStarted)
{
    device_.firmwareRevision = 0xBAAD;
    auto access = Make();
    access->SetQuestionCallback(nullptr);
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_TRUE(Progress().empty());
    EXPECT_FALSE(Has(BoardCalls(), "Update"));
}

struct BoardFileCase {
    const char* name;
    std::optional<std::string> text; // nullopt: no file
};

void PrintTo(const BoardFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class BoardFileTest : public DravikAccessTest, public testing::WithParamInterface<BoardFileCase> {};

TEST_P(BoardFileTest, AnUnreadableBoardFirmwareFileIsShownAndConnectGoesOn)
{
    const std::string path = BoardFolder() + "Kestrix/dravik_fw_kestrixeb.hex";
    std::filesystem::remove(path);
    if (GetParam().text)
        folder_.Write("board/Kestrix/dravik_fw_kestrixeb.hex", *GetParam().text);
    device_.firmwareRevision = 0xBAAD;

    auto access = Make();
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to find newest firmware hex file.\nCannot "
                                                   "confirm/upgrade firmware on board!\n" +
                                                   path});
    EXPECT_TRUE(Questions().empty());
    EXPECT_TRUE(Has(BoardCalls(), "Command(0xC9)"));
}

INSTANTIATE_TEST_SUITE_P(Files, BoardFileTest,
                         testing::Values(BoardFileCase{"Missing", std::nullopt},
                                         BoardFileCase{"Malformed", std::string(":1000\n")},
                                         BoardFileCase{"WithoutData", std::string(":00000001FF\n")},
                                         // Beyond the 32 KiB of a board image.
                                         BoardFileCase{"OutsideTheImage", std::string(":01900000AAC5\n:00000001FF\n")}),
                         [](const testing::TestParamInfo<BoardFileCase>& info) { return std::string(info.param.name); });

TEST_F(DravikAccessTest, ABoardFolderWrittenWithBackslashesIsFound)
{
    device_.firmwareRevision = 0x0102;
    auto access = Make(folder_.Path().string() + "\\board\\");
    EXPECT_EQ(access->Connect(0), PelagorAccess::kConnectOk);
    EXPECT_TRUE(Messages().empty()) << testing::PrintToString(Messages());
    EXPECT_EQ(Questions().size(), 1u);
}

} // namespace
