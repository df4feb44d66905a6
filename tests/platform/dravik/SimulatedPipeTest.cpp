#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "chips/ChipCodes.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/SimulatedBoard.h"
#include "platform/dravik/SimulatedPipe.h"
#include "platform/dravik/SimulatedStreamSource.h"
#include "tests/platform/dravik/BoardTestSupport.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using boardtest::FixedFrameSource;

std::unique_ptr<SimulatedPipe> PipeOf(uint32_t gapUs, SimulatedPipeSettings settings = {})
{
    return std::make_unique<SimulatedPipe>(settings, std::make_unique<FixedFrameSource>(gapUs));
}

// Bytes that arrive within the time, read in pieces of up to 4096.
size_t ReadBytes(SimulatedPipe& pipe, std::chrono::milliseconds duration, std::vector<uint8_t>* out = nullptr)
{
    std::vector<uint8_t> buffer(4096);
    size_t total = 0;
    const auto end = Clock::now() + duration;
    while (Clock::now() < end) {
        int received = -1;
        EXPECT_EQ(pipe.Read(buffer.data(), static_cast<int>(buffer.size()), &received, 10), 0);
        total += static_cast<size_t>(received);
        if (out != nullptr)
            out->insert(out->end(), buffer.begin(), buffer.begin() + received);
    }
    return total;
}

} // namespace

TEST(SimulatedPipe, BadArgumentsReadNothing)
{
    auto pipe = PipeOf(100);
    pipe->Start();
    uint8_t buffer[16];
    int received = 7;
    EXPECT_EQ(pipe->Read(buffer, 16, nullptr, 0), -1);
    EXPECT_EQ(pipe->Read(nullptr, 16, &received, 0), -1);
    EXPECT_EQ(received, 0);
    received = 7;
    EXPECT_EQ(pipe->Read(buffer, -1, &received, 0), -1);
    EXPECT_EQ(received, 0);
    received = 7;
    EXPECT_EQ(pipe->Read(buffer, 0, &received, 0), 0);
    EXPECT_EQ(received, 0);
}

TEST(SimulatedPipe, FillsAtMostWhatIsRequested)
{
    auto pipe = PipeOf(10);
    pipe->Start();
    std::this_thread::sleep_for(20ms);
    uint8_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 0xCC);
    int received = 0;
    ASSERT_EQ(pipe->Read(buffer, 5, &received, 0), 0);
    EXPECT_EQ(received, 5);
    EXPECT_EQ(buffer[5], 0xCC);
    EXPECT_EQ(buffer[7], 0xCC);
    EXPECT_EQ(buffer[0], 0x10) << "the stream begins with a frame";
}

TEST(SimulatedPipe, NothingBeforeStartOrAfterStop)
{
    auto pipe = PipeOf(10);
    uint8_t buffer[256];
    int received = -1;
    auto start = Clock::now();
    EXPECT_EQ(pipe->Read(buffer, sizeof buffer, &received, 500), 0);
    EXPECT_EQ(received, 0);
    EXPECT_LT(Clock::now() - start, 200ms) << "an idle pipe waits only briefly";

    pipe->Start();
    EXPECT_GT(ReadBytes(*pipe, 30ms), 0u);
    pipe->Stop();
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(pipe->Read(buffer, sizeof buffer, &received, 0), 0);
        EXPECT_EQ(received, 0);
    }
}

TEST(SimulatedPipe, PollingWithTimeOutZeroWaitsAMoment)
{
    auto pipe = PipeOf(10'000'000); // nothing is due for ten seconds
    pipe->Start();
    uint8_t buffer[64];
    int reads = 0;
    const auto end = Clock::now() + 60ms;
    while (Clock::now() < end) {
        int received = -1;
        ASSERT_EQ(pipe->Read(buffer, sizeof buffer, &received, 0), 0);
        EXPECT_EQ(received, 0);
        ++reads;
    }
    EXPECT_GE(reads, 5);
    EXPECT_LE(reads, 60) << "a poll loop must not spin";
}

TEST(SimulatedPipe, AThousandFramesASecondArriveAtThatRate)
{
    auto pipe = PipeOf(1000);
    pipe->Start();
    const auto statuses = boardtest::ReadFor(pipe.get(), 200ms);
    EXPECT_GE(statuses.Count(0), 170);
    EXPECT_LE(statuses.Count(0), 205);
}

TEST(SimulatedPipe, AWaitingReadReturnsWhenTheFrameIsDue)
{
    auto pipe = PipeOf(40'000);
    pipe->Start();
    uint8_t buffer[256];
    int received = 0;
    const auto start = Clock::now();
    ASSERT_EQ(pipe->Read(buffer, sizeof buffer, &received, 2000), 0);
    const auto waited = Clock::now() - start;
    EXPECT_GT(received, 0);
    EXPECT_GE(waited, 35ms);
    EXPECT_LT(waited, 500ms);
}

TEST(SimulatedPipe, StopWakesAWaitingReader)
{
    auto pipe = PipeOf(10'000'000);
    pipe->Start();
    std::atomic<bool> returned{false};
    Clock::duration waited{};
    std::thread reader([&] {
        uint8_t buffer[64];
        int received = 0;
        const auto start = Clock::now();
        EXPECT_EQ(pipe->Read(buffer, sizeof buffer, &received, 5000), 0);
        waited = Clock::now() - start;
        returned = true;
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(returned.load());
    pipe->Stop();
    reader.join();
    EXPECT_LT(waited, 1000ms);
}

TEST(SimulatedPipe, ASlowReaderLosesFramesAndSeesAnOverflow)
{
    SimulatedPipeSettings settings;
    settings.deviceBufferBytes = 1024;
    auto pipe = PipeOf(20, settings);
    pipe->Start();
    std::this_thread::sleep_for(60ms); // about 3000 frames of 14 bytes are due
    const auto statuses = boardtest::ReadFor(pipe.get(), 30ms);
    EXPECT_GT(pipe->FramesDropped(), 0u);
    EXPECT_GE(statuses.Count(7), 1);
    EXPECT_GT(statuses.Count(0), 70) << "the stream goes on after the loss";
}

TEST(SimulatedPipe, UnpacedDeliversAsFastAsRead)
{
    SimulatedPipeSettings settings;
    settings.paced = false;
    auto pipe = PipeOf(1'000'000, settings); // a second per frame, were it paced
    pipe->Start();
    const auto statuses = boardtest::ReadFor(pipe.get(), 100ms);
    EXPECT_GT(statuses.Count(0), 2000);
    EXPECT_EQ(pipe->FramesDropped(), 0u);
}

// Boards of a board file read through the real framing.
class BoardStream : public ::testing::Test {
protected:
    std::unique_ptr<DravikEb> Open(const std::string& lines)
    {
        home_.WriteBoards("[board]\nserial = 3\n" + lines + "\n");
        const auto boards = boardtest::Enumerate();
        if (boards.size() != 1) {
            ADD_FAILURE() << "board not listed";
            return nullptr;
        }
        return DravikEb::CreateEb(boards[0], 0);
    }

    boardtest::ConfigHome home_;
    SimulatedBoardSource source_;
    boardtest::InstalledSource installed_{source_};
};

namespace {

struct PacingCase {
    const char* name;
    const char* type;
    uint16_t chip;
    int layout;
};

void PrintTo(const PacingCase& c, std::ostream* os)
{
    *os << c.name;
}

class BoardPacing : public BoardStream, public ::testing::WithParamInterface<PacingCase> {};

} // namespace

TEST_P(BoardPacing, AThousandFramesASecondArePacedByRealTime)
{
    const PacingCase& c = GetParam();
    char lines[128];
    std::snprintf(lines, sizeof lines, "type = %s\nchip = 0x%04X\nlayout = %d\nrate = 1000", c.type, c.chip, c.layout);
    auto board = Open(lines);
    ASSERT_NE(board, nullptr);
    DravikPipe* pipe = board->GetUsbPipe();
    ASSERT_NE(pipe, nullptr);
    EXPECT_EQ(boardtest::ReadFor(pipe, 50ms).Count(0), 0) << "nothing before START";

    // What the same stream holds in 200 ms of radio time (a busy channel carries fewer
    // frames than asked for).
    SimulatedStreamSource twin(dynamic_cast<SimulatedBoard&>(*board).Config(), SimulatedBoard::kDefaultChannel);
    std::vector<uint8_t> ignored;
    int expected = 0;
    for (uint64_t radioUs = 0; radioUs < 200'000; ++expected)
        radioUs += twin.NextFrame(ignored);

    ASSERT_TRUE(boardtest::StartCapture(*board, IsTransceiverChip(c.chip)));
    const auto statuses = boardtest::ReadFor(pipe, 200ms);
    EXPECT_GE(statuses.Count(0), expected * 8 / 10);
    EXPECT_LE(statuses.Count(0), expected + 5);
    EXPECT_GE(expected, 100);
    for (const auto& [status, count] : statuses.statuses)
        EXPECT_TRUE(status == 0 || status == 9) << "status " << status << " x" << count;
}

INSTANTIATE_TEST_SUITE_P(Boards, BoardPacing,
                         ::testing::Values(PacingCase{"SubGhzNewLayout", "kestrix", 0x6F1C, 1},
                                           PacingCase{"SubGhzOldLayout", "kestrix", 0x6F1C, 0},
                                           PacingCase{"DongleOnDalvor", "dalvor", 0x6F87, 1},
                                           PacingCase{"LargeFlashChip", "trennic", 0x6E7A, 0},
                                           PacingCase{"Transceiver", "kestrix", 0x3A5C, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardStream, RateZeroIsNotPaced)
{
    auto board = Open("type = kestrix\nchip = 0x6F1C\nrate = 0");
    ASSERT_TRUE(boardtest::StartCapture(*board));
    EXPECT_GT(boardtest::ReadFor(board->GetUsbPipe(), 200ms).Count(0), 1000);
}

namespace {

struct StreamFaultCase {
    const char* name;
    const char* lines;
    int status; // what the framing then reports
};

void PrintTo(const StreamFaultCase& c, std::ostream* os)
{
    *os << c.name;
}

class StreamFaults : public BoardStream, public ::testing::WithParamInterface<StreamFaultCase> {};

} // namespace

TEST_P(StreamFaults, ReachTheFraming)
{
    auto board = Open(std::string("type = kestrix\nchip = 0x6F1C\nrate = 0\n") + GetParam().lines);
    ASSERT_TRUE(boardtest::StartCapture(*board));
    const auto statuses = boardtest::ReadFor(board->GetUsbPipe(), 100ms);
    EXPECT_GT(statuses.Count(GetParam().status), 0);
    EXPECT_GT(statuses.Count(0), 0) << "the stream goes on after the fault";
}

INSTANTIATE_TEST_SUITE_P(Faults, StreamFaults,
                         ::testing::Values(StreamFaultCase{"Junk", "junk = 10", 6},
                                           StreamFaultCase{"CutFrames", "cut = 10", 2},
                                           StreamFaultCase{"StatusFrames", "status = 10", 8},
                                           StreamFaultCase{"Overflow", "overflow = 10", 7},
                                           StreamFaultCase{"ReadErrors", "read errors = 5", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardStream, ChannelCommandReachesTheStream)
{
    source_.SetFrameSourceFactory(
        [](const SimulatedBoardConfig&, uint8_t) { return std::make_unique<FixedFrameSource>(100); });
    auto board = Open("type = kestrix\nchip = 0x6F1C");
    ASSERT_TRUE(boardtest::StartCapture(*board));
    const uint8_t channel = 0x17;
    ASSERT_EQ(board->Command(SimulatedBoard::kCmdSetParam, SimulatedBoard::kParamChannel, 0, 1, &channel), 0);
    std::vector<uint8_t> bytes;
    ReadBytes(dynamic_cast<SimulatedPipe&>(*board->GetUsbPipe()), 20ms, &bytes);
    // [0x10][L][L][4 ticks][xor][length][0x41][channel]...
    ASSERT_GE(bytes.size(), 11u);
    EXPECT_EQ(bytes[10], channel);
}

TEST_F(BoardStream, ReaderThreadAndCommandThreadShareThePipe)
{
    auto board = Open("type = kestrix\nchip = 0x6F1C\nrate = 5000");
    ASSERT_TRUE(boardtest::StartCapture(*board));
    DravikPipe* pipe = board->GetUsbPipe();
    std::atomic<bool> stop{false};
    std::atomic<int> records{0};
    std::thread reader([&] {
        PacketBufferDravik framing(pipe);
        framing.SetCapacity(271);
        std::vector<uint8_t> record(271);
        while (!stop.load()) {
            uint8_t kind = 0;
            int length = 0;
            if (framing.ReadPacket(&kind, &length, record.data(), 5) == 0)
                ++records;
        }
    });
    for (int i = 0; i < 40; ++i) {
        const uint8_t channel = static_cast<uint8_t>(11 + i % 16);
        EXPECT_EQ(board->Command(SimulatedBoard::kCmdSetParam, 0, 0, 1, &channel), 0);
        EXPECT_EQ(board->Command(i % 2 == 0 ? SimulatedBoard::kCmdStop : SimulatedBoard::kCmdStart, 0, 0, 0, nullptr),
                  0);
        std::this_thread::sleep_for(3ms);
    }
    EXPECT_EQ(board->Command(SimulatedBoard::kCmdStop, 0, 0, 0, nullptr), 0);
    stop = true;
    reader.join();
    EXPECT_GT(records.load(), 0);

    uint8_t buffer[64];
    int received = -1;
    EXPECT_EQ(pipe->Read(buffer, sizeof buffer, &received, 0), 0);
    EXPECT_EQ(received, 0) << "nothing after STOP";
}
