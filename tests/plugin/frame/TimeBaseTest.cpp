#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/ParsedFieldRec.h"
#include "plugin/frame/TimeBase.h"

namespace {

struct Packet {
    uint32_t number;
    uint64_t ticks;
    uint64_t time, sincePrevious, sinceFirst;
};

struct TimeCase {
    const char* name;
    uint32_t divisor;
    double multiplier;
    std::vector<Packet> packets;
};

void PrintTo(const TimeCase& c, std::ostream* os)
{
    *os << c.name;
}

class TimeBaseCases : public ::testing::TestWithParam<TimeCase> {};

} // namespace

TEST_P(TimeBaseCases, Sequence)
{
    const TimeCase& c = GetParam();
    TimeBase timeBase;
    for (const Packet& p : c.packets) {
        SCOPED_TRACE(p.number);
        TimeBase::Step step = timeBase.Advance(p.number, p.ticks, c.divisor, c.multiplier);
        EXPECT_EQ(step.time, p.time);
        EXPECT_EQ(step.sincePrevious, p.sincePrevious);
        EXPECT_EQ(step.sinceFirst, p.sinceFirst);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Runs, TimeBaseCases,
    ::testing::Values(
        TimeCase{"forward", 32, 1.0,
                 {{1, 32000, 1000, 0, 0}, {2, 64000, 2000, 1000, 1000}, {3, 64031, 2000, 0, 1000}}},
        // Back, but not below the first time: "+" counts from the first time.
        TimeCase{"back_above_first", 32, 1.0,
                 {{1, 32000, 1000, 0, 0}, {2, 96000, 3000, 2000, 2000}, {3, 64000, 2000, 1000, 1000},
                  {4, 80000, 2500, 500, 1500}}},
        // Below the first time: the "=" line starts again at 0.
        TimeCase{"back_below_first", 32, 1.0,
                 {{1, 32000, 1000, 0, 0}, {2, 64000, 2000, 1000, 1000}, {3, 16000, 500, 500, 0},
                  {4, 48000, 1500, 1000, 1000}}},
        // A packet numbered 1 starts a new run wherever the clock stands.
        TimeCase{"number_one_restarts", 26, 1.0,
                 {{1, 2600, 100, 0, 0}, {2, 5200, 200, 100, 100}, {1, 26, 1, 0, 0}}},
        TimeCase{"multiplier_after_division", 24, 2.5,
                 {{1, 24000, 2500, 0, 0}, {2, 48000 + 23, 5000, 2500, 2500}}},
        // A run that does not start at 1 measures from 0.
        TimeCase{"first_packet_not_one", 32, 1.0, {{7, 3200, 100, 100, 100}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeBase, OutOfRangeProductIsIndefinite)
{
    for (double multiplier : {std::nan(""), std::numeric_limits<double>::infinity(), 1e30}) {
        TimeBase timeBase;
        TimeBase::Step step = timeBase.Advance(1, 32000, 32, multiplier);
        EXPECT_EQ(step.time, 0x8000000000000000ull);
    }
    TimeBase timeBase;
    // Ticks beyond the signed range go through the signed conversion unchanged.
    EXPECT_EQ(timeBase.Advance(1, 0xFFFFFFFFFFFFFFFFull, 1, 1.0).time, 0xFFFFFFFFFFFFFFFFull);
}

TEST(TimeBase, FieldsInMicrosecondsAndMilliseconds)
{
    std::vector<char> buffer(256);
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();
    FieldAppender appender(out, 256);
    AppendTimeFields(appender, TimeBase::Step{0, 1999, 12345678901234567890ull});

    ParsedFieldCursor cursor(buffer.data(), out.bytesUsed);
    auto us = cursor.Next();
    auto ms = cursor.Next();
    ASSERT_TRUE(us && ms);
    EXPECT_EQ(us->fieldId, 1);
    EXPECT_EQ(us->text, "+1999\n=12345678901234567890");
    EXPECT_EQ(ms->fieldId, 2);
    EXPECT_EQ(ms->text, "+1\n=12345678901234567");
}
