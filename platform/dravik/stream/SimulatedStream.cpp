#include "platform/dravik/stream/SimulatedStream.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "platform/dravik/stream/ChipRadio.h"
#include "platform/dravik/stream/DeviceFrameWriter.h"
#include "platform/dravik/stream/FennetTrafficModel.h"
#include "platform/dravik/stream/GenericTrafficModel.h"
#include "platform/dravik/stream/Ieee802154TrafficModel.h"
#include "platform/dravik/stream/MixedTrafficModel.h"
#include "platform/dravik/stream/SimRandom.h"
#include "platform/dravik/stream/TrafficModel.h"

namespace {

constexpr int kMaxAttempts = 64;
constexpr int kMaxTickBump = 4;
constexpr uint64_t kMaxGapMicroseconds = 600'000'000;
// A header plus the 5 payload bytes the reader checks: what a false header can span.
constexpr size_t kLookAheadSpan = 8;
constexpr uint64_t kSplitUnit = 5000;
// Counter steps the reader's tick extension follows without timer frames in between.
constexpr uint64_t kSafeStepWithoutTimers = 0x20000000;
constexpr double kGenericShare = 0.25; // foreign generic frames among the Fennet ones

std::unique_ptr<TrafficModel> MakeModel(const SimulatedStreamConfig& config)
{
    TrafficSettings settings;
    settings.chipCode = config.chipCode;
    settings.channel = config.channel;
    settings.seed = config.seed;
    settings.crcErrorShare = config.crcErrorShare;
    switch (TrafficFamilyOf(config.chipCode)) {
    case TrafficFamily::Ieee802154:
        return std::make_unique<Ieee802154TrafficModel>(settings);
    case TrafficFamily::FennetWithGeneric: {
        TrafficSettings fennet = settings;
        fennet.seed = SimRandom::Mix(config.seed, 1);
        TrafficSettings generic = settings;
        generic.seed = SimRandom::Mix(config.seed, 2);
        return std::make_unique<MixedTrafficModel>(settings, std::make_unique<FennetTrafficModel>(fennet),
                                                   std::make_unique<GenericTrafficModel>(generic),
                                                   kGenericShare);
    }
    case TrafficFamily::Generic:
        break;
    }
    return std::make_unique<GenericTrafficModel>(settings);
}

// Whether the reader's new-layout look-ahead would take the bytes at p as a frame header
// (kinds 0x10, 0x14 and 0x11; the others count only at the read position). Candidates
// whose checked bytes have not all been written yet are judged once they have.
bool LooksLikeHeader(const uint8_t* p, size_t available, int capacity)
{
    const uint8_t kind = p[0];
    if (kind == 0x10 || kind == 0x14) {
        if (available < 8)
            return false;
        const int length = p[1] | p[2] << 8;
        return length >= 5 && length <= capacity && p[7] == (p[3] ^ p[4] ^ p[5] ^ p[6]);
    }
    if (kind == 0x11) {
        if (available < 5)
            return false;
        return p[1] == 2 && p[2] == 0 && p[3] == p[4];
    }
    return false;
}

} // namespace

struct SimulatedStream::State {
    // One radio frame as it will go out.
    struct Plan {
        SimulatedFrame frame;
        uint64_t gapUs = 0;
        uint64_t airUs = 0;
        double owedAfter = 0;
        uint64_t startTicks = 0;
        uint64_t endTicks = 0;
        std::vector<size_t> parts;
    };
    struct Emission {
        std::vector<uint8_t> bytes;
        std::vector<std::pair<size_t, size_t>> regions; // packet bytes of each packet frame
        uint64_t lastSent = 0;
        uint32_t packetTick = 0;
    };

    State(const SimulatedStreamConfig& c, std::unique_ptr<TrafficModel> m, bool ownsModel)
        : config(c), radio(ChipRadioFor(c.chipCode)), writer(c.layout),
          random(SimRandom::Mix(c.seed, 0x5354524Du)), model(std::move(m)), ownModel(ownsModel)
    {
        ticksPerUs = config.ticksPerMicrosecond != 0 ? config.ticksPerMicrosecond : radio.ticksPerMicrosecond;
        bitsPerSecond = config.bitsPerSecond != 0 ? config.bitsPerSecond : radio.bitsPerSecond;
        capacity = config.readerCapacity > 0 ? config.readerCapacity : 0xFFFF;
        if (radio.splitTimestamp)
            originTicks = (config.firstTick >> 16) * kSplitUnit +
                          std::min<uint64_t>(config.firstTick & 0xFFFF, kSplitUnit - 1);
        else
            originTicks = config.firstTick;
        highIndex = Counter(originTicks) >> 24;
        lastSent = Counter(originTicks);
    }

    // The free-running counter for a tick count, before it is cut to 32 bits.
    uint64_t Counter(uint64_t ticks) const
    {
        return radio.splitTimestamp ? (ticks / kSplitUnit) << 16 | ticks % kSplitUnit : ticks;
    }
    uint64_t TicksAt(uint64_t timeUs) const { return originTicks + timeUs * ticksPerUs; }

    Plan MakePlan(SimulatedFrame frame);
    Emission Encode(const Plan& plan, int bump, bool dropTimers, bool separator) const;
    bool Clean(const Emission& emission) const;
    bool TryEncode(const Plan& plan, Emission& emission) const;
    uint32_t Commit(const Plan& plan, const Emission& emission, std::vector<uint8_t>& out);

    SimulatedStreamConfig config;
    ChipRadio radio;
    DeviceFrameWriter writer;
    SimRandom random;
    std::unique_ptr<TrafficModel> model;
    bool ownModel;
    uint64_t ticksPerUs = 32;
    uint64_t bitsPerSecond = 250000;
    int capacity = 0xFFFF;
    uint64_t originTicks = 0;
    uint64_t timeUs = 0;    // radio time at the end of the last frame
    uint64_t highIndex = 0; // counter >> 24 last reported by a timer frame (or passed)
    uint64_t lastSent = 0;  // the highest counter value sent in a packet or timer frame
    double owedUs = 0;      // radio time still owed to the mean rate
    std::vector<uint8_t> tail; // the last bytes sent
    size_t tailCandidates = 0; // how many of them are packet bytes not yet judged
    std::vector<uint8_t> lastPacket;
    uint32_t lastPacketTick = 0;
    uint64_t lastPacketTime = 0;
    int lastFragments = 0;
    uint64_t frames = 0;
};

SimulatedStream::State::Plan SimulatedStream::State::MakePlan(SimulatedFrame frame)
{
    Plan plan;
    const uint64_t bits = (radio.syncBytes + frame.airBytes) * 8ull;
    plan.airUs = (bits * 1'000'000 + bitsPerSecond - 1) / bitsPerSecond;
    const double period = config.framesPerSecond > 0 ? 1e6 / config.framesPerSecond : 0;
    plan.owedAfter = owedUs;
    if (frame.afterTurnaround) {
        plan.gapUs = radio.turnaroundMicroseconds;
        if (period > 0)
            plan.owedAfter = owedUs + period - static_cast<double>(plan.gapUs + plan.airUs);
    } else if (period <= 0) {
        plan.gapUs = radio.minimumGapMicroseconds;
    } else {
        // Pauses drawn so that pause and frame together average the period; what the
        // acknowledgements' short pauses saved goes into the next one.
        const double mean = period - radio.minimumGapMicroseconds - static_cast<double>(plan.airUs) + owedUs;
        if (mean > 0) {
            plan.gapUs = radio.minimumGapMicroseconds +
                         static_cast<uint64_t>(std::llround(std::min(random.Exponential(mean), 1e12)));
            plan.owedAfter = 0;
        } else {
            plan.gapUs = radio.minimumGapMicroseconds;
            plan.owedAfter = mean;
        }
    }
    if (period > 0)
        plan.owedAfter = std::clamp(plan.owedAfter, -4 * period, 4 * period);
    plan.gapUs = std::min(plan.gapUs, kMaxGapMicroseconds);
    plan.startTicks = TicksAt(timeUs + plan.gapUs);
    plan.endTicks = TicksAt(timeUs + plan.gapUs + plan.airUs);

    const size_t size = frame.bytes.size();
    if (size > config.fragmentAbove && size >= 2 && random.Chance(config.fragmentShare)) {
        const int count = random.Between(2, static_cast<int>(std::min<size_t>(4, size)));
        std::set<size_t> cuts;
        while (cuts.size() < static_cast<size_t>(count - 1))
            cuts.insert(static_cast<size_t>(random.Between(1, static_cast<int>(size) - 1)));
        size_t at = 0;
        for (size_t cut : cuts) {
            plan.parts.push_back(cut - at);
            at = cut;
        }
        plan.parts.push_back(size - at);
    } else {
        plan.parts.push_back(size);
    }
    plan.frame = std::move(frame);
    return plan;
}

SimulatedStream::State::Emission SimulatedStream::State::Encode(const Plan& plan, int bump, bool dropTimers,
                                                                bool separator) const
{
    Emission emission;
    emission.lastSent = lastSent;
    std::vector<uint8_t>& out = emission.bytes;
    // A repeat of the high byte already known changes nothing in the reader.
    if (separator)
        writer.Timer(out, static_cast<uint8_t>(lastSent >> 24));
    // The device reports each step of the high byte as it happens, so also those during
    // the frame, before the frame itself comes out.
    const uint64_t endIndex = Counter(plan.endTicks) >> 24;
    if (!dropTimers) {
        for (uint64_t index = highIndex + 1; index <= endIndex; ++index) {
            writer.Timer(out, static_cast<uint8_t>(index));
            emission.lastSent = std::max(emission.lastSent, index << 24);
        }
    }
    const uint64_t counter = Counter(plan.startTicks + static_cast<uint64_t>(bump));
    emission.packetTick = static_cast<uint32_t>(counter);
    emission.lastSent = std::max(emission.lastSent, counter);

    const std::vector<uint8_t>& packet = plan.frame.bytes;
    const std::span<const uint8_t> all(packet);
    size_t at = 0;
    for (size_t i = 0; i < plan.parts.size(); ++i) {
        const std::span<const uint8_t> part = all.subspan(at, plan.parts[i]);
        if (plan.parts.size() == 1)
            writer.Packet(out, emission.packetTick, part);
        else if (i + 1 < plan.parts.size())
            writer.FragmentStart(out, emission.packetTick, part);
        else
            writer.FragmentEnd(out, emission.packetTick, part, packet.size());
        emission.regions.emplace_back(out.size() - part.size(), out.size());
        at += plan.parts[i];
    }
    return emission;
}

bool SimulatedStream::State::Clean(const Emission& emission) const
{
    if (writer.Layout() != DeviceFrameWriter::kLayoutNew)
        return true;
    std::vector<uint8_t> bytes = tail;
    bytes.insert(bytes.end(), emission.bytes.begin(), emission.bytes.end());
    auto judge = [&](size_t from, size_t to) {
        for (size_t j = from; j < to; ++j) {
            if (LooksLikeHeader(bytes.data() + j, bytes.size() - j, capacity))
                return false;
        }
        return true;
    };
    if (!judge(tail.size() - tailCandidates, tail.size()))
        return false;
    for (const auto& [from, to] : emission.regions) {
        if (!judge(tail.size() + from, tail.size() + to))
            return false;
    }
    return true;
}

bool SimulatedStream::State::TryEncode(const Plan& plan, Emission& emission) const
{
    const bool timersDue = (Counter(plan.endTicks) >> 24) > highIndex;
    // Ways to keep packet bytes from reading as a header, least intrusive first: move the
    // tick value, leave out the timer frames while packets alone carry the counter safely,
    // or put a harmless timer frame in front.
    for (int variant = 0; variant < 3; ++variant) {
        const bool dropTimers = variant == 1;
        if (dropTimers && (!timersDue || Counter(plan.startTicks) - lastSent >= kSafeStepWithoutTimers))
            continue;
        for (int bump = 0; bump < kMaxTickBump; ++bump) {
            emission = Encode(plan, bump, dropTimers, variant == 2);
            if (Clean(emission))
                return true;
        }
    }
    return false;
}

uint32_t SimulatedStream::State::Commit(const Plan& plan, const Emission& emission, std::vector<uint8_t>& out)
{
    out.insert(out.end(), emission.bytes.begin(), emission.bytes.end());
    const size_t keep = std::min(kLookAheadSpan - 1, emission.bytes.size());
    tail.assign(emission.bytes.end() - static_cast<long>(keep), emission.bytes.end());
    const auto& [from, to] = emission.regions.back();
    tailCandidates = std::min(keep, to - from);
    highIndex = std::max(highIndex, Counter(plan.endTicks) >> 24);
    lastSent = emission.lastSent;
    owedUs = plan.owedAfter;
    lastPacket = plan.frame.bytes;
    lastPacketTick = emission.packetTick;
    lastPacketTime = timeUs + plan.gapUs;
    lastFragments = static_cast<int>(plan.parts.size());
    timeUs += plan.gapUs + plan.airUs;
    ++frames;
    return static_cast<uint32_t>(plan.gapUs + plan.airUs);
}

SimulatedStream::SimulatedStream(const SimulatedStreamConfig& config)
    : state_(std::make_unique<State>(config, MakeModel(config), true))
{
}

SimulatedStream::SimulatedStream(const SimulatedStreamConfig& config, std::unique_ptr<TrafficModel> model)
    : state_(std::make_unique<State>(config, std::move(model), false))
{
}

SimulatedStream::~SimulatedStream() = default;

uint32_t SimulatedStream::NextFrame(std::vector<uint8_t>& out)
{
    State& s = *state_;
    State::Plan plan;
    State::Emission emission;
    bool planned = false;
    bool skipAcknowledgements = false;
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        SimulatedFrame frame = s.model->Next();
        // The frame before went unheard; so does its acknowledgement.
        if (skipAcknowledgements && frame.afterTurnaround)
            continue;
        plan = s.MakePlan(std::move(frame));
        planned = true;
        if (s.TryEncode(plan, emission))
            return s.Commit(plan, emission, out);
        skipAcknowledgements = true;
    }
    // Nothing clean in all those tries: send the last one as it is.
    if (!planned)
        plan = s.MakePlan(s.model->Next());
    emission = s.Encode(plan, 0, false, false);
    return s.Commit(plan, emission, out);
}

void SimulatedStream::SetChannel(uint8_t channel)
{
    State& s = *state_;
    s.config.channel = channel;
    // Each channel has a network of its own.
    if (s.ownModel)
        s.model = MakeModel(s.config);
}

uint32_t SimulatedStream::Tick() const
{
    return static_cast<uint32_t>(state_->Counter(state_->TicksAt(state_->timeUs)));
}

const std::vector<uint8_t>& SimulatedStream::LastPacket() const
{
    return state_->lastPacket;
}

uint32_t SimulatedStream::LastPacketTick() const
{
    return state_->lastPacketTick;
}

int SimulatedStream::LastFragmentCount() const
{
    return state_->lastFragments;
}

uint64_t SimulatedStream::LastPacketTime() const
{
    return state_->lastPacketTime;
}

uint64_t SimulatedStream::RadioTimeMicroseconds() const
{
    return state_->timeUs;
}

uint64_t SimulatedStream::FrameCount() const
{
    return state_->frames;
}

const SimulatedStreamConfig& SimulatedStream::Config() const
{
    return state_->config;
}
