#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <iomanip>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/device/PacketBufferDravik.h"
#include "tests/support/ScriptedPipe.h"
#include "platform/dravik/DravikPipe.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- Stream and record builders ------------------------------------------------------------

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes U16(int value)
{
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
}

Bytes U32(uint32_t value)
{
    return {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
            static_cast<uint8_t>(value >> 24)};
}

Bytes Frame(uint8_t kind, const Bytes& payload)
{
    return Cat({{kind}, U16(static_cast<int>(payload.size())), payload});
}

// A frame whose declared length counts extra bytes beyond its payload: the end of a
// fragmented packet declares the whole packet.
Bytes FrameDeclaring(uint8_t kind, int extra, const Bytes& payload)
{
    return Cat({{kind}, U16(static_cast<int>(payload.size()) + extra), payload});
}

Bytes NewTicks(uint32_t ticks)
{
    Bytes t = U32(ticks);
    t.push_back(static_cast<uint8_t>(t[0] ^ t[1] ^ t[2] ^ t[3]));
    return t;
}

Bytes NewPacket(uint32_t ticks, const Bytes& data) { return Frame(0x10, Cat({NewTicks(ticks), data})); }
Bytes NewStart(uint32_t ticks, const Bytes& data) { return Frame(0x14, Cat({NewTicks(ticks), data})); }
Bytes NewEnd(uint32_t ticks, int fragmentBytes, const Bytes& data)
{
    return FrameDeclaring(0x10, fragmentBytes, Cat({NewTicks(ticks), data}));
}
Bytes NewTimer(uint8_t high, uint8_t second) { return Frame(0x11, {high, second}); }
Bytes NewTimer(uint8_t high) { return NewTimer(high, high); }

Bytes OldPacket(uint32_t ticks, const Bytes& data) { return Frame(0x00, Cat({U32(ticks), data})); }
Bytes OldStart(uint32_t ticks, const Bytes& data) { return Frame(0x04, Cat({U32(ticks), data})); }
Bytes OldEnd(uint32_t ticks, int fragmentBytes, const Bytes& data)
{
    return FrameDeclaring(0x00, fragmentBytes, Cat({U32(ticks), data}));
}
Bytes OldTimer(uint8_t high) { return Frame(0x01, {high}); }

// A new-layout packet whose check byte is wrong.
Bytes BadCheck(uint8_t kind, uint32_t ticks, const Bytes& data)
{
    Bytes frame = Frame(kind, Cat({NewTicks(ticks), data}));
    frame[7] ^= 0x5A;
    return frame;
}

Bytes Filler(int count, uint8_t first = 0xA0)
{
    Bytes bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<uint8_t>(first + i % 16));
    return bytes;
}

Bytes Record(uint32_t ticks, uint32_t wraps, const Bytes& data)
{
    return Cat({U32(ticks), U32(wraps), U16(static_cast<int>(data.size())), data});
}

// ---- The scripted pipe and the call loop ---------------------------------------------------

using Step = testsupport::ScriptedPipe::Step;
using testsupport::ScriptedPipe;

constexpr int kUntouched = -1;
constexpr uint8_t kFill = 0xEE;

// What one call handed to the caller. length is kUntouched when it was not written.
struct Result {
    int status = 0;
    int kind = 0;
    int length = kUntouched;
    Bytes record;

    bool operator==(const Result&) const = default;
};

void PrintTo(const Result& r, std::ostream* os)
{
    *os << "{status " << r.status << ", kind " << r.kind << ", length " << r.length << ",";
    for (uint8_t b : r.record)
        *os << ' ' << std::hex << std::setw(2) << std::setfill('0') << int(b) << std::dec;
    *os << "}";
}

Result Rec(int status, int kind, const Bytes& record)
{
    return {status, kind, static_cast<int>(record.size()), record};
}
Result NoRec(int status, int kind) { return {status, kind, kUntouched, {}}; }
Result Empty(int status, int kind) { return {status, kind, 0, {}}; }

struct Outcome {
    std::vector<Result> results; // every result except 9
    bool ended = false;          // the layer asked for more after the script ran out
    bool clean = true;           // nothing written beyond the handed-out length
};

// Calls ReadPacket until the layer wants more than the script holds.
Outcome Drive(PacketBufferDravik& framing, ScriptedPipe& pipe, int capacity, int maxCalls = 20000)
{
    Outcome out;
    for (int call = 0; call < maxCalls; ++call) {
        const int starvedBefore = pipe.starved;
        Bytes buffer(static_cast<size_t>(capacity), kFill);
        uint8_t kind = kFill;
        int length = kUntouched;
        const int status = framing.ReadPacket(&kind, &length, buffer.data(), 0);
        const int used = std::clamp(length, 0, capacity);
        if (!std::all_of(buffer.begin() + used, buffer.end(), [](uint8_t b) { return b == kFill; }))
            out.clean = false;
        if (status != kPacketPending)
            out.results.push_back({status, kind, length, Bytes(buffer.begin(), buffer.begin() + used)});
        if (status == kPacketPending && pipe.starved > starvedBefore) {
            out.ended = true;
            break;
        }
    }
    return out;
}

constexpr int64_t kSkip = -2;

// State after the stream, where a case cares.
struct Final {
    int64_t layout = kSkip;
    int64_t resync = kSkip;
    int64_t wraps = kSkip;
    int64_t lastTick = kSkip;
};

struct StreamCase {
    std::string name;
    int capacity;
    std::vector<Step> script;
    std::vector<Result> expected;
    Final final{};
};

void PrintTo(const StreamCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<Step> One(const Bytes& stream)
{
    return {{0, stream}};
}

void RunCase(const StreamCase& c)
{
    ScriptedPipe pipe(c.script);
    PacketBufferDravik framing(&pipe);
    framing.SetCapacity(c.capacity);
    const Outcome out = Drive(framing, pipe, c.capacity);
    EXPECT_TRUE(out.ended);
    EXPECT_TRUE(out.clean);
    EXPECT_EQ(out.results, c.expected);
    if (c.final.layout != kSkip) {
        EXPECT_EQ(framing.Layout(), c.final.layout);
    }
    if (c.final.resync != kSkip) {
        EXPECT_EQ(framing.ResyncCount(), c.final.resync);
    }
    if (c.final.wraps != kSkip) {
        EXPECT_EQ(framing.WrapCount(), c.final.wraps);
    }
    if (c.final.lastTick != kSkip) {
        EXPECT_EQ(framing.LastTickValue(), c.final.lastTick);
    }
    for (int requested : pipe.requests)
        EXPECT_TRUE(requested > 0 && requested <= PacketBuffer::kMaxReadSize) << requested;
}

// Eleven (or count) results of junk in the new layout, each followed by a timer frame.
Bytes JunkAndTimers(int count)
{
    Bytes all;
    for (int i = 0; i < count; ++i)
        all = Cat({all, {0xEE}, NewTimer(0)});
    return all;
}

std::vector<Result> Repeat(int count, const Result& r)
{
    return std::vector<Result>(static_cast<size_t>(count), r);
}

std::vector<Result> Join(std::initializer_list<std::vector<Result>> parts)
{
    std::vector<Result> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const Bytes kA = {0xA1};
const Bytes kAB = {0xA1, 0xA2};

class PacketBufferFraming : public ::testing::TestWithParam<StreamCase> {};
class PacketBufferTickExtension : public ::testing::TestWithParam<StreamCase> {};
class PacketBufferResync : public ::testing::TestWithParam<StreamCase> {};
class PacketBufferFragments : public ::testing::TestWithParam<StreamCase> {};
class PacketBufferOverflow : public ::testing::TestWithParam<StreamCase> {};
class PacketBufferRepeats : public ::testing::TestWithParam<StreamCase> {};
class PacketBufferCapacityLimit : public ::testing::TestWithParam<StreamCase> {};
class PacketBufferStatusFrames : public ::testing::TestWithParam<StreamCase> {};

template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info)
{
    return info.param.name;
}

} // namespace

TEST_P(PacketBufferFraming, Stream) { RunCase(GetParam()); }
TEST_P(PacketBufferTickExtension, Stream) { RunCase(GetParam()); }
TEST_P(PacketBufferResync, Stream) { RunCase(GetParam()); }
TEST_P(PacketBufferFragments, Stream) { RunCase(GetParam()); }
TEST_P(PacketBufferOverflow, Stream) { RunCase(GetParam()); }
TEST_P(PacketBufferRepeats, Stream) { RunCase(GetParam()); }
TEST_P(PacketBufferCapacityLimit, Stream) { RunCase(GetParam()); }
TEST_P(PacketBufferStatusFrames, Stream) { RunCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(
    Layouts, PacketBufferFraming,
    ::testing::Values(
        StreamCase{"new_packet_sets_new_layout", 64,
                   One({0x10, 0x09, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44}),
                   {Rec(0, 0, {1, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0x11, 0x22, 0x33, 0x44})},
                   {.layout = kLayoutNew, .resync = 0}},
        StreamCase{"old_packets_set_old_layout", 64,
                   One(Cat({OldPacket(0x20, kAB), OldPacket(0x30, {})})),
                   {Rec(0, 0, Record(0x20, 0, kAB)), Rec(0, 0, Record(0x30, 0, {}))},
                   {.layout = kLayoutOld}},
        StreamCase{"new_packet_without_bytes", 64, One(NewPacket(0x20, {})),
                   {Rec(0, 0, Record(0x20, 0, {}))}, {.layout = kLayoutNew}},
        StreamCase{"bad_check_byte_packet_is_junk", 64,
                   One(Cat({BadCheck(0x10, 1, {0x11, 0x22, 0x33, 0x44}), NewPacket(2, kA)})),
                   {Empty(6, 0), Rec(0, 0, Record(2, 0, kA))}, {.layout = kLayoutNew, .resync = 0}},
        StreamCase{"bad_check_byte_start_is_junk", 64,
                   One(Cat({NewPacket(1, kA), BadCheck(0x14, 2, kAB), NewPacket(3, kA)})),
                   {Rec(0, 0, Record(1, 0, kA)), Empty(6, 0), Rec(0, 0, Record(3, 0, kA))}},
        StreamCase{"junk_before_first_header", 64, One(Cat({{0xEE, 0xEF}, NewPacket(5, kA)})),
                   {Empty(6, 0), Rec(0, 0, Record(5, 0, kA))}, {.layout = kLayoutNew, .resync = 0}},
        StreamCase{"junk_between_old_packets", 64,
                   One(Cat({OldPacket(5, kA), {0xEE, 0xEF, 0xF0}, OldPacket(6, kA)})),
                   {Rec(0, 0, Record(5, 0, kA)), Empty(6, 0), Rec(0, 0, Record(6, 0, kA))}},
        StreamCase{"old_layout_rejects_new_kinds", 64,
                   One(Cat({OldPacket(5, kA), NewTimer(5), OldPacket(7, kA)})),
                   {Rec(0, 0, Record(5, 0, kA)), Empty(6, 0), Rec(0, 0, Record(7, 0, kA))}},
        StreamCase{"old_timer_frame_is_not_handed_out", 64,
                   One(Cat({OldPacket(5, kA), OldTimer(0x00), OldPacket(6, kA)})),
                   {Rec(0, 0, Record(5, 0, kA)), Rec(0, 0, Record(6, 0, kA))}},
        StreamCase{"new_timer_with_unequal_bytes_is_junk", 64,
                   One(Cat({NewPacket(0x50000000, kA), NewPacket(0xFF000000, kA), NewTimer(0x01, 0x02),
                            NewPacket(0xFF000010, kA)})),
                   {Rec(0, 0, Record(0x50000000, 0, kA)), Rec(0, 0, Record(0xFF000000, 0, kA)), Empty(6, 0),
                    Rec(0, 0, Record(0xFF000010, 0, kA))},
                   {.wraps = 0, .lastTick = 0xFF000010}},
        StreamCase{"cut_frame_hands_out_what_arrived", 64,
                   One(Cat({NewPacket(1, kA), FrameDeclaring(0x10, 13, Cat({NewTicks(5), kAB})),
                            NewPacket(6, {0xA3})})),
                   {Rec(0, 0, Record(1, 0, kA)), Rec(2, 0, Record(5, 0, kAB)), Rec(0, 0, Record(6, 0, {0xA3}))}},
        StreamCase{"cut_start_frame", 64,
                   One(Cat({NewPacket(1, kA), FrameDeclaring(0x14, 20, Cat({NewTicks(5), kAB})),
                            NewTimer(0), NewPacket(6, kA)})),
                   {Rec(0, 0, Record(1, 0, kA)), Rec(2, 4, Record(5, 0, kAB)), Rec(0, 0, Record(6, 0, kA))}}), CaseName<StreamCase>);

INSTANTIATE_TEST_SUITE_P(
    Wraps, PacketBufferTickExtension,
    ::testing::Values(
        // 0x100 after a value with bit 31 set is a wrap; a later bit-31 value is late.
        StreamCase{"late_value_from_before_the_wrap", 64,
                   One(Cat({NewPacket(0x50000000, kA), NewPacket(0x80000001, kA), NewPacket(0x100, kA),
                            NewPacket(0x90000000, kA), NewPacket(0x150, kA)})),
                   {Rec(0, 0, Record(0x50000000, 0, kA)), Rec(0, 0, Record(0x80000001, 0, kA)),
                    Rec(0, 0, Record(0x100, 1, kA)), Rec(0, 0, Record(0x90000000, 0, kA)),
                    Rec(0, 0, Record(0x150, 1, kA))},
                   {.wraps = 1, .lastTick = 0x150}},
        StreamCase{"small_step_back_keeps_the_last_value", 64,
                   One(Cat({NewPacket(0x1000, kA), NewPacket(0x0F00, kA)})),
                   {Rec(0, 0, Record(0x1000, 0, kA)), Rec(0, 0, Record(0x0F00, 0, kA))},
                   {.wraps = 0, .lastTick = 0x1000}},
        StreamCase{"old_timer_high_byte_wraps", 64,
                   One(Cat({OldPacket(0x50000000, kA), OldPacket(0xFF000000, kA), OldTimer(0x01),
                            OldPacket(0x01000010, kA)})),
                   {Rec(0, 0, Record(0x50000000, 0, kA)), Rec(0, 0, Record(0xFF000000, 0, kA)),
                    Rec(0, 0, Record(0x01000010, 1, kA))},
                   {.wraps = 1, .lastTick = 0x01000010}},
        StreamCase{"new_timer_high_byte_wraps", 64,
                   One(Cat({NewPacket(0x50000000, kA), NewPacket(0xFF000000, kA), NewTimer(0x01)})),
                   {Rec(0, 0, Record(0x50000000, 0, kA)), Rec(0, 0, Record(0xFF000000, 0, kA))},
                   {.wraps = 1, .lastTick = 0x01000000}},
        // A counter in its upper half at capture start is no late value: no wrap lies before
        // it, and the wrap that follows counts.
        StreamCase{"high_value_at_capture_start", 64,
                   One(Cat({NewPacket(0x80000000, kA), NewPacket(0x100, kA)})),
                   {Rec(0, 0, Record(0x80000000, 0, kA)), Rec(0, 0, Record(0x100, 1, kA))},
                   {.wraps = 1, .lastTick = 0x100}},
        StreamCase{"high_timer_at_capture_start", 64,
                   One(Cat({NewTimer(0xF0), NewPacket(0xF0000010, kA), NewPacket(0x10, kA)})),
                   {Rec(0, 0, Record(0xF0000010, 0, kA)), Rec(0, 0, Record(0x10, 1, kA))},
                   {.wraps = 1, .lastTick = 0x10}},
        // The value that also means "no packet" still starts a packet and is stamped.
        StreamCase{"all_ones_tick_is_a_packet", 64,
                   One(Cat({NewPacket(0x70000000, kA), NewPacket(0xFFFFFFFF, kAB)})),
                   {Rec(0, 0, Record(0x70000000, 0, kA)), Rec(0, 0, Record(0xFFFFFFFF, 0, kAB))}},
        StreamCase{"all_ones_tick_fragments_join", 64,
                   One(Cat({NewPacket(0x70000000, kA), NewStart(0xFFFFFFFF, kA), NewEnd(0xFFFFFFFF, 1, {0xA2})})),
                   {Rec(0, 0, Record(0x70000000, 0, kA)), Rec(0, 0, Record(0xFFFFFFFF, 0, kAB))}},
        StreamCase{"old_all_ones_tick_is_a_packet", 64,
                   One(Cat({OldPacket(0xFFFFFFFF, kA)})),
                   {Rec(0, 0, Record(0xFFFFFFFF, 0, kA))}}), CaseName<StreamCase>);

INSTANTIATE_TEST_SUITE_P(
    Counting, PacketBufferResync,
    ::testing::Values(
        // The eleventh junk result forgets the layout, so an old-layout packet is taken next.
        StreamCase{"eleven_junk_results_forget_the_layout", 64,
                   {{0, Cat({NewPacket(1, kA), JunkAndTimers(10), {0xEE, 0xEE, 0xEE}})}, {0, OldPacket(5, kA)}},
                   Join({{Rec(0, 0, Record(1, 0, kA)), Empty(6, 0)}, Repeat(10, Empty(6, 1)),
                         {Rec(0, 0, Record(5, 0, kA))}}),
                   {.layout = kLayoutOld, .resync = 0}},
        StreamCase{"ten_junk_results_keep_the_layout", 64,
                   One(Cat({NewPacket(1, kA), JunkAndTimers(10)})),
                   Join({{Rec(0, 0, Record(1, 0, kA)), Empty(6, 0)}, Repeat(9, Empty(6, 1))}),
                   {.layout = kLayoutNew, .resync = 10}},
        StreamCase{"other_results_between_do_not_count", 64,
                   {{0, Cat({NewPacket(1, kA), JunkAndTimers(5), Frame(0x05, {}), JunkAndTimers(1),
                             FrameDeclaring(0x10, 20, Cat({NewTicks(3), kAB})), NewTimer(0), JunkAndTimers(4),
                             {0xEE, 0xEE, 0xEE}})},
                    {0, OldPacket(5, kA)}},
                   Join({{Rec(0, 0, Record(1, 0, kA)), Empty(6, 0)}, Repeat(4, Empty(6, 1)),
                         {NoRec(8, 5), Empty(6, 5), Rec(2, 0, Record(3, 0, kAB))}, Repeat(5, Empty(6, 1)),
                         {Rec(0, 0, Record(5, 0, kA))}}),
                   {.layout = kLayoutOld, .resync = 0}},
        StreamCase{"complete_packet_after_ten_resets_the_count", 64,
                   One(Cat({NewPacket(1, kA), JunkAndTimers(10), NewPacket(2, kA), JunkAndTimers(1)})),
                   Join({{Rec(0, 0, Record(1, 0, kA)), Empty(6, 0)}, Repeat(9, Empty(6, 1)),
                         {Rec(0, 0, Record(2, 0, kA)), Empty(6, 0)}}),
                   {.layout = kLayoutNew, .resync = 1}}), CaseName<StreamCase>);

INSTANTIATE_TEST_SUITE_P(
    Joining, PacketBufferFragments,
    ::testing::Values(
        StreamCase{"new_start_and_end_make_one_record", 64,
                   One(Cat({NewStart(7, kAB), NewEnd(7, 2, {0xA3})})),
                   {Rec(0, 0, Record(7, 0, {0xA1, 0xA2, 0xA3}))}},
        StreamCase{"new_start_then_other_tick", 64, One(Cat({NewStart(7, kAB), NewPacket(8, {0xA3})})),
                   {Rec(2, 0, Record(7, 0, kAB)), Rec(0, 0, Record(8, 0, {0xA3}))}},
        StreamCase{"new_start_then_start_of_other_tick", 64,
                   One(Cat({NewStart(7, kA), NewStart(8, {0xA2}), NewEnd(8, 1, {0xA3})})),
                   {Rec(2, 4, Record(7, 0, kA)), Rec(0, 0, Record(8, 0, {0xA2, 0xA3}))}},
        StreamCase{"new_three_fragments", 64,
                   One(Cat({NewStart(7, kA), NewStart(7, {0xA2}), NewEnd(7, 2, {0xA3})})),
                   {Rec(0, 0, Record(7, 0, {0xA1, 0xA2, 0xA3}))}},
        // The end frame declares the whole packet, so its header waits for that many bytes.
        StreamCase{"old_start_and_end_make_one_record", 64,
                   One(Cat({OldStart(7, kAB), OldEnd(7, 2, {0xA3}), OldPacket(9, {0xA4, 0xA5})})),
                   {Rec(0, 0, Record(7, 0, {0xA1, 0xA2, 0xA3})), Rec(0, 0, Record(9, 0, {0xA4, 0xA5}))}},
        StreamCase{"old_start_then_other_tick", 64, One(Cat({OldStart(7, kA), OldPacket(8, {0xA2})})),
                   {Rec(2, 0, Record(7, 0, kA)), Rec(0, 0, Record(8, 0, {0xA2}))}},
        // A start frame without packet bytes does not hold the junk back.
        StreamCase{"empty_start_then_junk", 64, One(Cat({NewStart(7, {}), {0xEE, 0xEF}, NewPacket(8, {0xA3})})),
                   {Empty(6, 4), Rec(0, 0, Record(8, 0, {0xA3}))}},
        StreamCase{"start_without_end_then_junk", 64,
                   One(Cat({NewStart(7, kAB), {0xEE, 0xEF}, NewPacket(8, {0xA3})})),
                   {Rec(2, 0, Record(7, 0, kAB)), Rec(0, 0, Record(8, 0, {0xA3}))}, {.resync = 0}},
        // Less than a tick prefix left after the fragments: what precedes the next header.
        StreamCase{"end_shorter_than_its_prefix", 64,
                   One(Cat({NewStart(7, {0xA1, 0xA2, 0xA3}), Frame(0x10, Cat({NewTicks(7), {0xB1}})),
                            NewPacket(8, {0xA4})})),
                   {Rec(2, 0, Record(7, 0, {0xA1, 0xA2, 0xA3, 0xB1})), Rec(0, 0, Record(8, 0, {0xA4}))}},
        StreamCase{"cut_fragment_adds_to_the_open_packet", 64,
                   One(Cat({NewStart(7, kA), FrameDeclaring(0x14, 20, Cat({NewTicks(7), {0xA2}})),
                            NewPacket(8, {0xA3})})),
                   {Rec(2, 4, Record(7, 0, kAB)), Rec(0, 0, Record(8, 0, {0xA3}))}}), CaseName<StreamCase>);

INSTANTIATE_TEST_SUITE_P(
    DeviceOverflow, PacketBufferOverflow,
    ::testing::Values(
        StreamCase{"old_overflow_takes_the_bytes_behind_it", 64,
                   One(Cat({OldPacket(1, kA), Frame(0x03, {}), OldPacket(2, {0xA2})})),
                   {Rec(0, 0, Record(1, 0, kA)), NoRec(7, 3)}},
        StreamCase{"old_overflow_leaves_bytes_that_do_not_fit", 24,
                   One(Cat({OldPacket(1, kA), Frame(0x03, {}), OldPacket(2, Filler(9)), OldPacket(3, Filler(9))})),
                   {Rec(0, 0, Record(1, 0, kA)), NoRec(7, 3), Rec(0, 0, Record(2, 0, Filler(9))),
                    Rec(0, 0, Record(3, 0, Filler(9)))}},
        StreamCase{"new_overflow", 64, One(Cat({NewPacket(1, kA), Frame(0x13, {}), NewPacket(2, {0xA2})})),
                   {Rec(0, 0, Record(1, 0, kA)), NoRec(7, 3)}},
        StreamCase{"new_overflow_leaves_bytes_that_do_not_fit", 24,
                   One(Cat({NewPacket(1, kA), Frame(0x13, {}), NewPacket(2, Filler(8)), NewPacket(3, Filler(8))})),
                   {Rec(0, 0, Record(1, 0, kA)), NoRec(7, 3), Rec(0, 0, Record(2, 0, Filler(8))),
                    Rec(0, 0, Record(3, 0, Filler(8)))}},
        StreamCase{"overflow_hands_out_the_open_packet", 64,
                   One(Cat({NewStart(7, kAB), Frame(0x13, {}), {0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7}})),
                   {Rec(7, 3, Record(7, 0, {0xA1, 0xA2, 0xB6, 0xB7}))}}), CaseName<StreamCase>);

INSTANTIATE_TEST_SUITE_P(
    DroppedRepeats, PacketBufferRepeats,
    ::testing::Values(
        StreamCase{"rest_of_a_cut_packet_is_dropped", 64,
                   One(Cat({NewPacket(1, kA), FrameDeclaring(0x10, 13, Cat({NewTicks(5), kAB})),
                            NewPacket(5, {0xA3}), NewPacket(6, {0xA4})})),
                   {Rec(0, 0, Record(1, 0, kA)), Rec(2, 0, Record(5, 0, kAB)), Rec(10, 0, Record(5, 0, {0xA3})), Rec(0, 0, Record(6, 0, {0xA4}))}},
        StreamCase{"same_tick_without_an_error_is_kept", 64,
                   One(Cat({NewPacket(5, kA), NewPacket(5, {0xA2})})),
                   {Rec(0, 0, Record(5, 0, kA)), Rec(0, 0, Record(5, 0, {0xA2}))}},
        StreamCase{"rest_after_a_status_frame_is_dropped", 64,
                   One(Cat({NewStart(5, kA), Frame(0x02, {}), NewPacket(5, {0xA2}), NewPacket(6, {0xA3})})),
                   {NoRec(8, 2), Rec(10, 0, Record(5, 0, {0xA2})), Rec(0, 0, Record(6, 0, {0xA3}))}},
        // A start frame repeating the incomplete record's tick is dropped as it arrives.
        StreamCase{"start_frames_of_a_handed_out_packet_are_dropped", 64,
                   One(Cat({NewPacket(1, kA), FrameDeclaring(0x10, 13, Cat({NewTicks(5), kAB})),
                            NewStart(5, {0xA3}), NewStart(5, {0xA4}), NewPacket(6, {0xA5})})),
                   {Rec(0, 0, Record(1, 0, kA)), Rec(2, 0, Record(5, 0, kAB)), NoRec(10, 4), NoRec(10, 4),
                    Rec(0, 0, Record(6, 0, {0xA5}))}}), CaseName<StreamCase>);

INSTANTIATE_TEST_SUITE_P(
    Capacity, PacketBufferCapacityLimit,
    ::testing::Values(
        StreamCase{"record_of_exactly_the_capacity", 20, One(NewPacket(1, Filler(10))),
                   {Rec(0, 0, Record(1, 0, Filler(10)))}},
        StreamCase{"frame_longer_than_the_capacity_is_no_header", 20,
                   One(Cat({NewPacket(1, Filler(16)), NewPacket(2, kA)})),
                   {Empty(6, 0), Rec(0, 0, Record(2, 0, kA))}},
        // Fits the header test, not the record: nothing stored, nothing handed out.
        StreamCase{"new_payload_that_does_not_fit", 20, One(Cat({NewPacket(1, Filler(15)), NewPacket(2, kA)})),
                   {Empty(2, 0), Rec(0, 0, Record(2, 0, kA))}},
        StreamCase{"old_payload_that_does_not_fit", 20, One(Cat({OldPacket(1, Filler(16)), OldPacket(2, kA)})),
                   {Empty(2, 0), Rec(0, 0, Record(2, 0, kA))}},
        StreamCase{"fragments_that_do_not_fit", 24,
                   One(Cat({NewStart(7, Filler(8)), NewStart(7, Filler(8)), NewEnd(7, 16, kAB), NewPacket(8, kA)})),
                   {Empty(2, 0), Rec(0, 0, Record(8, 0, kA))}}), CaseName<StreamCase>);

namespace {

std::vector<StreamCase> StatusFrameCases()
{
    std::vector<StreamCase> cases;
    for (uint8_t kind : {2, 5, 6, 7, 8, 9, 10}) {
        cases.push_back({"old_kind_" + std::to_string(kind), 64,
                         One(Cat({OldPacket(1, kA), Frame(kind, {0xB1, 0xB2}), OldPacket(2, kA)})),
                         {Rec(0, 0, Record(1, 0, kA)), NoRec(8, kind), Rec(0, 0, Record(2, 0, kA))}});
        cases.push_back({"new_kind_" + std::to_string(kind), 64,
                         One(Cat({NewPacket(1, kA), Frame(kind, {0xB1, 0xB2}), NewPacket(2, kA)})),
                         {Rec(0, 0, Record(1, 0, kA)), NoRec(8, kind), Rec(0, 0, Record(2, 0, kA))}});
    }
    // A status frame first fixes the old layout, in which new-layout frames are junk.
    cases.push_back({"status_frame_first_means_old_layout", 64, One(Cat({Frame(0x02, {}), NewPacket(1, kA)})),
                     {NoRec(8, 2), Empty(6, 2)}, {.layout = kLayoutOld}});
    return cases;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Kinds, PacketBufferStatusFrames, ::testing::ValuesIn(StatusFrameCases()), CaseName<StreamCase>);

// ---- Pipe results, capacity and ring limits ------------------------------------------------

TEST(PacketBufferPipe, ResultsOfTheRead)
{
    ScriptedPipe pipe({{-1, {}}, {42, {}}, {0, {}}});
    PacketBufferDravik framing(&pipe);
    framing.SetCapacity(32);
    Bytes record(32, kFill);
    for (int expected : {1, 42, 9}) {
        int length = kUntouched;
        uint8_t kind = kFill;
        EXPECT_EQ(framing.ReadPacket(&kind, &length, record.data(), 0), expected);
        EXPECT_EQ(length, kUntouched);
        EXPECT_EQ(kind, 0);
    }
    EXPECT_EQ(record, Bytes(32, kFill));
    EXPECT_EQ(pipe.starved, 0);
}

TEST(PacketBufferPipe, NoCapacityReadsNothing)
{
    ScriptedPipe pipe({{0, NewPacket(1, kA)}});
    PacketBufferDravik framing(&pipe);
    Bytes record(16, kFill);
    int length = kUntouched;
    uint8_t kind = kFill;
    EXPECT_EQ(framing.ReadPacket(&kind, &length, record.data(), 0), kPacketPending);
    EXPECT_EQ(length, kUntouched);
    EXPECT_EQ(kind, kFill);
    EXPECT_TRUE(pipe.requests.empty());
}

TEST(PacketBufferPipe, NullPipeReadsNothing)
{
    PacketBufferDravik framing(nullptr);
    framing.SetCapacity(16);
    int length = kUntouched;
    uint8_t record[16];
    EXPECT_EQ(framing.ReadPacket(nullptr, &length, record, 0), kPacketNothingRead);
}

// Reads ask for at most 4096 bytes and never more than the ring has free.
TEST(PacketBufferPipe, ReadsStayInsideTheRing)
{
    const Bytes frame = OldPacket(9, Filler(6996));
    ASSERT_EQ(frame.size(), 7003u);
    ScriptedPipe pipe({{0, Bytes(frame.begin(), frame.begin() + 4096)},
                       {0, Bytes(frame.begin() + 4096, frame.begin() + 5096)},
                       {0, Bytes(frame.begin() + 5096, frame.end())}});
    PacketBufferDravik framing(&pipe);
    framing.SetCapacity(8000);
    const Outcome out = Drive(framing, pipe, 8000);
    ASSERT_EQ(out.results.size(), 1u);
    EXPECT_EQ(out.results[0], Rec(0, 0, Record(9, 0, Filler(6996))));
    ASSERT_GE(pipe.requests.size(), 3u);
    EXPECT_EQ(std::vector<int>(pipe.requests.begin(), pipe.requests.begin() + 3), (std::vector<int>{4096, 4096, 3096}));
}

// A frame that cannot fit the ring would wait forever: the full ring is dropped instead.
TEST(PacketBufferPipe, FullRingIsDropped)
{
    ScriptedPipe pipe({{0, OldPacket(9, Filler(8496))}});
    PacketBufferDravik framing(&pipe);
    framing.SetCapacity(9000);
    const Outcome out = Drive(framing, pipe, 9000);
    EXPECT_EQ(out.results, (std::vector<Result>{Empty(6, 0), Empty(6, 0)}));
    for (int requested : pipe.requests)
        EXPECT_GT(requested, 0);
}

TEST(PacketBufferRing, ClearRingForgetsBytesAndTicks)
{
    const Bytes head = Cat({NewPacket(0x50000000, kA), NewPacket(0xFF000000, kA), NewTimer(0x01)});
    const Bytes partial = NewPacket(0x123, kAB);
    ScriptedPipe pipe({{0, Cat({head, Bytes(partial.begin(), partial.begin() + 6)})}});
    PacketBufferDravik framing(&pipe);
    framing.SetCapacity(32);
    Drive(framing, pipe, 32);
    EXPECT_EQ(framing.WrapCount(), 1u);
    framing.ClearRing();
    EXPECT_EQ(framing.WrapCount(), 0u);
    EXPECT_EQ(framing.LastTickValue(), 0u);
    EXPECT_EQ(framing.Layout(), kLayoutNew);
    // The partial frame is gone: the next bytes start afresh.
    pipe.Add({0, NewPacket(0x80, kA)});
    const Outcome out = Drive(framing, pipe, 32);
    EXPECT_EQ(out.results, (std::vector<Result>{Rec(0, 0, Record(0x80, 0, kA))}));
}

// ---- Every split of a stream gives the same records ---------------------------------------

namespace {

struct SplitCase {
    const char* name;
    Bytes stream;
    std::vector<Result> expected;
};

void PrintTo(const SplitCase& c, std::ostream* os)
{
    *os << c.name;
}

class PacketBufferSplitStream : public ::testing::TestWithParam<SplitCase> {};

std::vector<Result> Feed(const Bytes& stream, const std::vector<int>& sizes)
{
    std::vector<Step> steps;
    size_t at = 0;
    for (size_t i = 0; at < stream.size(); ++i) {
        const size_t size = std::min(stream.size() - at, static_cast<size_t>(sizes[i % sizes.size()]));
        steps.push_back({0, Bytes(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + size))});
        at += size;
    }
    ScriptedPipe pipe(steps);
    PacketBufferDravik framing(&pipe);
    framing.SetCapacity(64);
    const Outcome out = Drive(framing, pipe, 64, 20 * static_cast<int>(stream.size()) + 100);
    EXPECT_TRUE(out.ended);
    return out.results;
}

} // namespace

TEST_P(PacketBufferSplitStream, SameResultsForEverySplit)
{
    const SplitCase& c = GetParam();
    EXPECT_EQ(Feed(c.stream, {static_cast<int>(c.stream.size())}), c.expected);
    for (int size = 1; size <= static_cast<int>(c.stream.size()); ++size)
        EXPECT_EQ(Feed(c.stream, {size}), c.expected) << "chunks of " << size;
    std::mt19937 random(1234);
    for (int round = 0; round < 50; ++round) {
        std::vector<int> sizes;
        for (int i = 0; i < 64; ++i)
            sizes.push_back(1 + static_cast<int>(random() % 24));
        EXPECT_EQ(Feed(c.stream, sizes), c.expected) << "random split " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, PacketBufferSplitStream,
    ::testing::Values(
        SplitCase{"new_layout",
                  Cat({NewPacket(1, kAB), NewTimer(0), NewStart(3, {0xA3, 0xA4}), NewEnd(3, 2, {0xA5}),
                       Frame(0x02, {}), NewPacket(4, {0xA6}), NewStart(5, {0xA7}), NewPacket(6, {0xA8}),
                       NewPacket(7, Filler(20))}),
                  {Rec(0, 0, Record(1, 0, kAB)), Rec(0, 0, Record(3, 0, {0xA3, 0xA4, 0xA5})), NoRec(8, 2),
                   Rec(0, 0, Record(4, 0, {0xA6})), Rec(2, 0, Record(5, 0, {0xA7})),
                   Rec(0, 0, Record(6, 0, {0xA8})), Rec(0, 0, Record(7, 0, Filler(20)))}},
        SplitCase{"old_layout",
                  Cat({OldPacket(1, kA), OldTimer(0), OldStart(3, {0xA2, 0xA3}), OldEnd(3, 2, {0xA4}),
                       Frame(0x05, {}), OldPacket(4, {0xA5, 0xA6}), OldStart(5, {0xA7}), OldPacket(6, {0xA8}),
                       OldPacket(7, Filler(6))}),
                  {Rec(0, 0, Record(1, 0, kA)), Rec(0, 0, Record(3, 0, {0xA2, 0xA3, 0xA4})), NoRec(8, 5),
                   Rec(0, 0, Record(4, 0, {0xA5, 0xA6})), Rec(2, 0, Record(5, 0, {0xA7})),
                   Rec(0, 0, Record(6, 0, {0xA8})), Rec(0, 0, Record(7, 0, Filler(6)))}},
        SplitCase{"cut_frames_and_wraps",
                  Cat({NewPacket(0x50000000, kA), NewPacket(0xFF000000, Filler(40)),
                       FrameDeclaring(0x10, 13, Cat({NewTicks(0xFF000100), kAB})), NewTimer(0x01),
                       NewPacket(0x01000200, Filler(30, 0xB0))}),
                  {Rec(0, 0, Record(0x50000000, 0, kA)), Rec(0, 0, Record(0xFF000000, 0, Filler(40))),
                   Rec(2, 0, Record(0xFF000100, 0, kAB)), Rec(0, 0, Record(0x01000200, 1, Filler(30, 0xB0)))}}), CaseName<SplitCase>);
