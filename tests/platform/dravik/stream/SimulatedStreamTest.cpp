#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/dravik/stream/ChipRadio.h"
#include "platform/dravik/stream/SimulatedStream.h"
#include "platform/dravik/stream/TrafficModel.h"
#include "tests/platform/dravik/stream/MacFrameCheck.h"
#include "tests/platform/dravik/stream/ReadBack.h"

namespace {

using Bytes = std::vector<uint8_t>;
using streamtest::ReadBack;
using streamtest::ReadThrough;

struct Sent {
    Bytes packet;
    uint32_t tick = 0;
    uint64_t time = 0; // radio time at the frame's start
    int fragments = 1;
    uint32_t interval = 0;
};

struct StreamRun {
    Bytes stream;
    std::vector<Sent> sent;
};

// Frames to check, then a few more: in the old layout the end of a fragmented packet waits
// for bytes behind it.
constexpr int kFlushFrames = 8;

StreamRun Generate(SimulatedStream& stream, int frames)
{
    StreamRun run;
    for (int i = 0; i < frames + kFlushFrames; ++i) {
        const uint32_t interval = stream.NextFrame(run.stream);
        if (i < frames)
            run.sent.push_back({stream.LastPacket(), stream.LastPacketTick(), stream.LastPacketTime(),
                                stream.LastFragmentCount(), interval});
    }
    return run;
}

// Every radio frame is exactly one complete record with its bytes and tick, in order, and
// nothing but complete records and "nothing yet" comes out.
void ExpectDeliveredWhole(const StreamRun& run, const ReadBack& back)
{
    for (const auto& [status, count] : back.statuses) {
        EXPECT_TRUE(status == 0 || status == 9) << "status " << status << " x" << count;
    }
    ASSERT_GE(back.records.size(), run.sent.size());
    ASSERT_LE(back.records.size(), run.sent.size() + kFlushFrames);
    for (size_t i = 0; i < run.sent.size(); ++i) {
        ASSERT_EQ(back.records[i].bytes, run.sent[i].packet) << "frame " << i;
        ASSERT_EQ(back.records[i].ticks, run.sent[i].tick) << "frame " << i;
        if (i > 0) {
            ASSERT_GT(back.records[i].Time(), back.records[i - 1].Time()) << "frame " << i;
        }
    }
}

SimulatedStreamConfig Config(uint16_t chip, int layout)
{
    SimulatedStreamConfig config;
    config.chipCode = chip;
    config.layout = layout;
    config.seed = 7;
    return config;
}

// ---- Every chip family, both layouts, through the real framing ----------------------------

struct ChipCase {
    uint16_t chip;
    int layout;
};

std::string ChipCaseName(const testing::TestParamInfo<ChipCase>& info)
{
    char name[32];
    std::snprintf(name, sizeof name, "chip_%04X_%s", info.param.chip, info.param.layout == 0 ? "old" : "new");
    return name;
}

void PrintTo(const ChipCase& c, std::ostream* os)
{
    *os << std::hex << c.chip << (c.layout == 0 ? " old" : " new");
}

class StreamThroughFraming : public testing::TestWithParam<ChipCase> {};

TEST_P(StreamThroughFraming, EveryRadioFrameIsOneWholeRecord)
{
    SimulatedStreamConfig config = Config(GetParam().chip, GetParam().layout);
    config.fragmentAbove = 40;
    config.fragmentShare = 0.5;
    SimulatedStream stream(config);
    const StreamRun run = Generate(stream, 1500);
    const ReadBack back = ReadThrough(run.stream);
    EXPECT_EQ(back.layout, config.layout);
    ExpectDeliveredWhole(run, back);

    int fragmented = 0;
    int crcErrors = 0;
    for (const Sent& s : run.sent) {
        fragmented += s.fragments > 1;
        crcErrors += (s.packet.back() & 0x80) == 0;
    }
    EXPECT_GT(fragmented, 10) << "both paths of the reader";
    EXPECT_GT(crcErrors, 0);
    EXPECT_LT(crcErrors, 75);

    const ChipRadio radio = ChipRadioFor(config.chipCode);
    if (!radio.splitTimestamp) {
        // The tick is the radio time at the frame's start, moved by at most a few ticks.
        for (const Sent& s : run.sent) {
            const uint64_t expected = s.time * radio.ticksPerMicrosecond;
            ASSERT_GE(s.tick, expected);
            ASSERT_LE(s.tick, expected + 3);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, StreamThroughFraming,
                         testing::Values(ChipCase{0x6F86, 0}, ChipCase{0x6F86, 1}, ChipCase{0x6F48, 1},
                                         ChipCase{0x3A1E, 0}, ChipCase{0x3A1E, 1}, ChipCase{0x3B92, 1},
                                         ChipCase{0x6FB2, 0}, ChipCase{0x6FB2, 1}, ChipCase{0x6F1C, 1}),
                         ChipCaseName);

// ---- The frames themselves ----------------------------------------------------------------

TEST(SimulatedStream, Ieee802154FramesAreWellFormedAndAcknowledgedInTurn)
{
    SimulatedStream stream(Config(0x6F86, 1));
    const StreamRun run = Generate(stream, 3000);
    std::set<uint64_t> shortSources;
    std::set<uint64_t> extendedSources;
    std::set<int> types;
    int acks = 0;
    for (size_t i = 0; i < run.sent.size(); ++i) {
        const Bytes& bytes = run.sent[i].packet;
        // RSSI as the 802.15.4 decoder reads it for this chip: (raw - 73) as a signed byte.
        const int rssi = static_cast<int8_t>(static_cast<uint8_t>(bytes[bytes.size() - 2] - 73));
        EXPECT_GE(rssi, -100);
        EXPECT_LE(rssi, -30);
        if ((bytes.back() & 0x80) == 0)
            continue; // damaged on the air
        const streamtest::MacFacts facts = streamtest::CheckMacFrame(bytes);
        ASSERT_EQ(facts.error, "") << "frame " << i;
        types.insert(facts.frameType);
        if (facts.sourceMode == 2)
            shortSources.insert(facts.sourceAddress);
        if (facts.sourceMode == 3)
            extendedSources.insert(facts.sourceAddress);
        if (facts.frameType != 2 || i == 0 || (run.sent[i - 1].packet.back() & 0x80) == 0)
            continue;
        const streamtest::MacFacts acked = streamtest::CheckMacFrame(run.sent[i - 1].packet);
        EXPECT_TRUE(acked.ackRequest) << "frame " << i;
        EXPECT_EQ(facts.sequence, acked.sequence) << "frame " << i;
        ++acks;
    }
    EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3}));
    EXPECT_GT(acks, 500);
    // A small population an address book fills with: short and extended addresses.
    EXPECT_GE(shortSources.size(), 3u);
    EXPECT_LE(shortSources.size(), 16u);
    EXPECT_GE(extendedSources.size(), 2u);
    EXPECT_LE(extendedSources.size(), 8u);
}

TEST(SimulatedStream, LengthByteFramesCountTheirBytes)
{
    for (const uint16_t chip : {uint16_t{0x3A1E}, uint16_t{0x6FB2}}) {
        SimulatedStream stream(Config(chip, 1));
        const StreamRun run = Generate(stream, 500);
        for (const Sent& s : run.sent) {
            // Fennet: B frame bytes, then the status bytes; generic: its own length byte.
            ASSERT_EQ(s.packet[0] + 3u, s.packet.size());
            ASSERT_GE(s.packet.size(), 7u);
        }
    }
}

TEST(SimulatedStream, ChannelChangeBringsAnotherNetwork)
{
    SimulatedStream stream(Config(0x6F86, 1));
    StreamRun before = Generate(stream, 400);
    stream.SetChannel(20);
    const StreamRun after = Generate(stream, 400);

    auto networks = [](const StreamRun& run, std::set<int>& designators) {
        std::set<uint16_t> pans;
        for (const Sent& s : run.sent) {
            const streamtest::MacFacts facts = streamtest::CheckMacFrame(s.packet);
            if ((s.packet.back() & 0x80) == 0 || facts.frameType != 1 || facts.destinationPan == 0xFFFF)
                continue;
            pans.insert(facts.destinationPan);
            designators.insert(facts.networkDesignator);
        }
        return pans;
    };
    std::set<int> designatorsBefore;
    std::set<int> designatorsAfter;
    const std::set<uint16_t> pansBefore = networks(before, designatorsBefore);
    const std::set<uint16_t> pansAfter = networks(after, designatorsAfter);
    ASSERT_EQ(pansBefore.size(), 1u);
    ASSERT_EQ(pansAfter.size(), 1u);
    EXPECT_NE(*pansBefore.begin(), *pansAfter.begin());
    EXPECT_EQ(designatorsBefore, std::set<int>{0});
    EXPECT_EQ(designatorsAfter, std::set<int>{2}); // channel 20

    // One stream all along: the counter runs on.
    before.stream.insert(before.stream.end(), after.stream.begin(), after.stream.end());
    const ReadBack back = ReadThrough(before.stream);
    ASSERT_GE(back.records.size(), 800u);
    for (size_t i = 1; i < back.records.size(); ++i)
        ASSERT_GT(back.records[i].Time(), back.records[i - 1].Time());
}

// ---- Tick counter ---------------------------------------------------------------------------

class TickCounter : public testing::TestWithParam<int> {};

TEST_P(TickCounter, CarriesAcrossTheWrapFromNearItsEnd)
{
    SimulatedStreamConfig config = Config(0x6F86, GetParam());
    config.firstTick = 0xFF000000;
    SimulatedStream stream(config);
    const StreamRun run = Generate(stream, 300);
    const ReadBack back = ReadThrough(run.stream);
    ExpectDeliveredWhole(run, back);
    // The first value is taken as it stands; the wrap that follows is counted.
    EXPECT_EQ(back.records.front().wraps, 0u);
    EXPECT_EQ(back.records[run.sent.size() - 1].wraps, 1u);
    EXPECT_LT(stream.Tick(), 0x10000000u);
}

TEST_P(TickCounter, TimerFramesCarryItThroughLongSilences)
{
    SimulatedStreamConfig config = Config(0x6F86, GetParam());
    config.firstTick = 0x10000000;
    config.framesPerSecond = 0.02; // pauses far longer than a wrap
    SimulatedStream stream(config);
    const StreamRun run = Generate(stream, 120);
    const ReadBack back = ReadThrough(run.stream);
    ExpectDeliveredWhole(run, back);
    EXPECT_GT(back.timerFramesUsed, 1000);
    for (size_t i = 0; i < run.sent.size(); ++i) {
        const streamtest::Record& r = back.records[i];
        const uint64_t stamp = static_cast<uint64_t>(r.wraps) << 32 | r.ticks;
        const uint64_t expected = 0x10000000u + run.sent[i].time * 32;
        ASSERT_GE(stamp, expected) << "frame " << i;
        ASSERT_LE(stamp, expected + 3) << "frame " << i;
    }
    EXPECT_GE(back.records[run.sent.size() - 1].wraps, 10u);
}

INSTANTIATE_TEST_SUITE_P(Layouts, TickCounter, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) { return info.param == 0 ? "old" : "new"; });

// ---- Seeds and rates ------------------------------------------------------------------------

TEST(SimulatedStream, SameSeedSameStreamOtherSeedOtherStream)
{
    auto make = [](uint32_t seed) {
        SimulatedStreamConfig config = Config(0x3A1E, 1);
        config.seed = seed;
        SimulatedStream stream(config);
        StreamRun run = Generate(stream, 300);
        stream.SetChannel(3);
        const StreamRun more = Generate(stream, 100);
        run.stream.insert(run.stream.end(), more.stream.begin(), more.stream.end());
        return run;
    };
    const StreamRun a = make(11);
    const StreamRun b = make(11);
    const StreamRun c = make(12);
    EXPECT_EQ(a.stream, b.stream);
    for (size_t i = 0; i < a.sent.size(); ++i)
        ASSERT_EQ(a.sent[i].interval, b.sent[i].interval);
    EXPECT_NE(a.stream, c.stream);
}

struct RateCase {
    uint16_t chip;
    double framesPerSecond;
};

void PrintTo(const RateCase& c, std::ostream* os)
{
    *os << std::hex << c.chip << std::dec << " at " << c.framesPerSecond;
}

class FrameRate : public testing::TestWithParam<RateCase> {};

TEST_P(FrameRate, MeanRadioTimePerFrameMatchesTheRate)
{
    SimulatedStreamConfig config = Config(GetParam().chip, 1);
    config.framesPerSecond = GetParam().framesPerSecond;
    SimulatedStream stream(config);
    const StreamRun run = Generate(stream, 4000);
    uint64_t total = 0;
    for (const Sent& s : run.sent)
        total += s.interval;
    const double mean = static_cast<double>(total) / static_cast<double>(run.sent.size());
    EXPECT_NEAR(mean, 1e6 / config.framesPerSecond, 0.05 * 1e6 / config.framesPerSecond);
    EXPECT_EQ(stream.FrameCount(), run.sent.size() + kFlushFrames);
    EXPECT_GE(stream.RadioTimeMicroseconds(), total);
}

INSTANTIATE_TEST_SUITE_P(Rates, FrameRate,
                         testing::Values(RateCase{0x6F86, 200}, RateCase{0x3A1E, 50}, RateCase{0x6FB2, 120}),
                         [](const testing::TestParamInfo<RateCase>& info) {
                             char name[32];
                             std::snprintf(name, sizeof name, "chip_%04X_%d", info.param.chip,
                                           static_cast<int>(info.param.framesPerSecond));
                             return std::string(name);
                         });

TEST(SimulatedStream, RateZeroSendsBackToBack)
{
    SimulatedStreamConfig config = Config(0x6F86, 1);
    config.framesPerSecond = 0;
    SimulatedStream stream(config);
    const StreamRun run = Generate(stream, 500);
    for (const Sent& s : run.sent) {
        // The longest frame's air time (preamble and 128 bytes at 32 us) after the long pause.
        EXPECT_LE(s.interval, 640u + (5 + 128) * 32u);
        EXPECT_GE(s.interval, 192u + (5 + 6) * 32u);
    }
    EXPECT_TRUE(ReadThrough(run.stream).records.size() >= run.sent.size());
}

// ---- Packets that read like headers ---------------------------------------------------------

// Packets made of the bytes device headers are made of; some hold an exact header.
class LookAlikeModel : public TrafficModel {
public:
    explicit LookAlikeModel(const TrafficSettings& settings) : TrafficModel(settings) {}

    SimulatedFrame Next() override
    {
        ++made;
        static const uint8_t kAlphabet[] = {0x10, 0x11, 0x14, 0x00, 0x02, 0x05, 0x07, 0x09};
        SimulatedFrame frame;
        frame.bytes.resize(static_cast<size_t>(Random().Between(6, 90)));
        for (uint8_t& byte : frame.bytes)
            byte = kAlphabet[Random().Between(0, 7)];
        if (Random().Chance(0.2)) {
            const size_t at = static_cast<size_t>(Random().Between(0, static_cast<int>(frame.bytes.size()) - 5));
            const uint8_t high = Random().Byte();
            const uint8_t timer[] = {0x11, 0x02, 0x00, high, high};
            std::copy(std::begin(timer), std::end(timer), frame.bytes.begin() + static_cast<long>(at));
        }
        frame.airBytes = static_cast<uint32_t>(frame.bytes.size());
        frame.afterTurnaround = Random().Chance(0.2);
        return frame;
    }
    bool MidExchange() const override { return false; }

    int made = 0;
};

class LookAlikePackets : public testing::TestWithParam<int> {};

TEST_P(LookAlikePackets, NeverCutAFrame)
{
    SimulatedStreamConfig config = Config(0x6F86, GetParam());
    config.fragmentAbove = 30;
    config.fragmentShare = 0.5;
    TrafficSettings settings;
    settings.seed = 3;
    auto model = std::make_unique<LookAlikeModel>(settings);
    LookAlikeModel* seen = model.get();
    SimulatedStream stream(config, std::move(model));
    const StreamRun run = Generate(stream, 1500);
    ExpectDeliveredWhole(run, ReadThrough(run.stream));
    if (GetParam() == 1)
        EXPECT_GT(seen->made, static_cast<int>(stream.FrameCount())) << "some packets had to be left out";
    else
        EXPECT_EQ(seen->made, static_cast<int>(stream.FrameCount())) << "the old layout has no look-ahead";
}

INSTANTIATE_TEST_SUITE_P(Layouts, LookAlikePackets, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) { return info.param == 0 ? "old" : "new"; });

} // namespace
