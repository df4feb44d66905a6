// The generic decoder through the real boundary: Halyard.so loaded with dlopen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/GenericRecord.h"
#include "tests/support/PluginUnderTest.h"
#include "tests/support/RadioCase.h"

using testsupport::Decoded;
using testsupport::MakeGenericRecord;
using testsupport::DumpedBytes;
using testsupport::MakeRecordWithLength;
using testsupport::PluginUnderTest;

namespace {

constexpr int kDefaultChip = 0;

PluginUnderTest& Halyard()
{
    static PluginUnderTest plugin(HALYARD_PATH);
    return plugin;
}

Decoded DecodeWithChip(int chip, const std::vector<uint8_t>& record, int captured,
                       int capacity = 4096, double multiplier = 1.0,
                       const PARSED_DATA* before = nullptr)
{
    Halyard().setChipType(chip);
    return Halyard().Decode(record, captured, capacity, multiplier, before);
}

int CapturedFromDevice(const std::vector<uint8_t>& record)
{
    return 10 + ReadRawPacketHeader(record.data()).length;
}

const std::vector<int32_t> kNormalOrder = {0, 1, 2, 3, 4, 5, 7, 6, 8};
const std::vector<int32_t> kNoDumpOrder = {0, 1, 2, 3, 7, 6, 8};

} // namespace

TEST(HalyardExports, SettersReturnTheirArgument)
{
    EXPECT_EQ(Halyard().setPacketLength(1234), 1234);
    EXPECT_EQ(Halyard().setProtocolVersion(3), 3);
    EXPECT_EQ(Halyard().setProtocolVersion(0), 0);
    EXPECT_EQ(Halyard().setChipType(0x6F86), 0x6F86);
    EXPECT_EQ(Halyard().setChipType(kDefaultChip), kDefaultChip);
}

TEST(HalyardFields, OrderAndTextsOfANormalFrame)
{
    const std::vector<uint8_t> payload = {'H', 'i', 0x09, 0x00, 0x80, '~'};
    auto record = MakeGenericRecord(1, 48000, payload, 0xD8, 0x9A, 64);
    Decoded d = DecodeWithChip(kDefaultChip, record, CapturedFromDevice(record));

    EXPECT_EQ(d.Ids(), kNormalOrder);
    const std::vector<std::pair<int32_t, std::string>> texts = {
        {0, "1"},
        {1, "+0\n=0"},
        {2, "+0\n=0"},
        {3, "8"},
        {4, "48 69 09\n00 80 7E"},
        {5, "Hi\xAF\n**~"},
        {7, "-112"}, // 0xD8 is -40, whole dB, offset 72
        {6, "26"},   // 0x9A & 0x7F
        {8, "OK"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(d.Text(id), text) << "field " << id;

    EXPECT_EQ(d.data.packetNumber, 1u);
    EXPECT_EQ(d.data.time, 1500u);
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.data.fieldCount, 9);
    EXPECT_EQ(d.data.frameLength, 8);
    EXPECT_EQ(d.data.rssi, -112);
    EXPECT_EQ(d.data.crcOk, 1);
    EXPECT_EQ(d.data.correlation, 0);
    EXPECT_EQ(d.data.infoFlags, 0x11);
    EXPECT_EQ(d.data.frameClass, 0);
    EXPECT_EQ(d.data.indent, 0);
    EXPECT_EQ(d.data.noticesWaiting, 0);

    int32_t expectedBytes = 0;
    for (const auto& f : d.fields)
        expectedBytes += 8 + static_cast<int32_t>(f.text.size()) + 1;
    EXPECT_EQ(d.data.bytesUsed, expectedBytes);
}

TEST(HalyardFields, NodeFieldsAreLeftToTheCaller)
{
    PARSED_DATA before{};
    before.nodeIdsChanged = 4;
    before.srcNodeId = 5;
    before.dstNodeId = 6;
    before.indexed = 1;
    before.reserved = 0xABCD;
    auto record = MakeGenericRecord(3, 0, {1, 2, 3}, 0x10, 0x80);
    Decoded d = DecodeWithChip(kDefaultChip, record, CapturedFromDevice(record), 4096, 1.0, &before);
    EXPECT_EQ(d.data.nodeIdsChanged, 4);
    EXPECT_EQ(d.data.srcNodeId, 5);
    EXPECT_EQ(d.data.dstNodeId, 6);
    EXPECT_EQ(d.data.indexed, 1);
    EXPECT_EQ(d.data.reserved, 0xABCDu);
}

namespace {

struct DivisorCase {
    int chip;
    uint64_t divisor;
};

void PrintTo(const DivisorCase& c, std::ostream* os)
{
    *os << "chip 0x" << std::hex << c.chip;
}

class HalyardDivisor : public ::testing::TestWithParam<DivisorCase> {};

} // namespace

TEST_P(HalyardDivisor, TicksPerMicrosecond)
{
    const DivisorCase& c = GetParam();
    const uint64_t ticks = 26ull * 24 * 32 * 1000 + 17;
    auto record = MakeGenericRecord(1, ticks, {0x55}, 0, 0x80);
    Decoded d = DecodeWithChip(c.chip, record, CapturedFromDevice(record));
    EXPECT_EQ(d.data.time, ticks / c.divisor);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, HalyardDivisor,
    ::testing::Values(DivisorCase{0x6F1C, 26}, DivisorCase{0x3A1E, 26}, DivisorCase{0x0E61, 26},
                      DivisorCase{0x6F1D, 24}, DivisorCase{0x3A1F, 24}, DivisorCase{0x3A02, 24},
                      DivisorCase{0x3A0B, 24}, DivisorCase{0x3A0C, 24}, DivisorCase{0x3A5C, 24},
                      DivisorCase{0x3B92, 24}, DivisorCase{0x3BC6, 24}, DivisorCase{0x6F48, 24},
                      DivisorCase{0x6F86, 32}, DivisorCase{0x6FB3, 32}, DivisorCase{0x6E7A, 32},
                      DivisorCase{0, 32}, DivisorCase{0x3B94, 32}),
    [](const auto& info) { return "chip_" + std::to_string(info.param.chip); });

TEST(HalyardTime, SplitTimeStampChip)
{
    // High part 1 (x 5000 ticks) and low part 16: 5016 ticks, 156 us at 32 ticks/us.
    auto record = MakeGenericRecord(1, 65552, {0x01}, 0, 0x80);
    EXPECT_EQ(DecodeWithChip(0x6FB2, record, CapturedFromDevice(record)).data.time, 156u);
    EXPECT_EQ(DecodeWithChip(0x6FB3, record, CapturedFromDevice(record)).data.time, 65552u / 32);
}

TEST(HalyardTime, DistancesAndClockMultiplier)
{
    struct Step {
        uint32_t number;
        uint64_t ticks;
        double multiplier;
        const char* us;
        const char* ms;
        uint64_t time;
    };
    const Step steps[] = {
        {1, 32000, 1.0, "+0\n=0", "+0\n=0", 1000},
        {2, 3232000, 1.0, "+100000\n=100000", "+100\n=100", 101000},
        {3, 1616000, 2.0, "+0\n=100000", "+0\n=100", 101000}, // 50500 x 2
        {4, 16000, 1.0, "+500\n=0", "+0\n=0", 500},           // below the first time
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.number);
        auto record = MakeGenericRecord(s.number, s.ticks, {0xAA, 0xBB}, 0, 0x80);
        Decoded d = DecodeWithChip(kDefaultChip, record, CapturedFromDevice(record), 4096, s.multiplier);
        EXPECT_EQ(d.Text(1), s.us);
        EXPECT_EQ(d.Text(2), s.ms);
        EXPECT_EQ(d.data.time, s.time);
    }
}

TEST(HalyardTime, MultiplierThatIsNoNumberDoesNotTrap)
{
    auto record = MakeGenericRecord(1, 32000, {0x01}, 0, 0x80);
    Decoded d = DecodeWithChip(kDefaultChip, record, CapturedFromDevice(record), 4096, std::nan(""));
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.data.time, 0x8000000000000000ull);
}

namespace {

using testsupport::RadioCase;

class HalyardRadio : public ::testing::TestWithParam<RadioCase> {};

} // namespace

TEST_P(HalyardRadio, StatusBytes)
{
    const RadioCase& c = GetParam();
    auto record = MakeGenericRecord(5, 0, {1, 2, 3, 4}, c.rssiByte, c.statusByte);
    Decoded d = DecodeWithChip(c.chip, record, CapturedFromDevice(record));
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.data.rssi, c.rssi);
    EXPECT_EQ(d.Text(7), std::to_string(c.rssi));
    EXPECT_EQ(d.Text(6), c.lqi);
    EXPECT_EQ(d.data.correlation, c.correlation);
    EXPECT_EQ(d.data.infoFlags, c.infoFlags);
    EXPECT_EQ(d.Text(8), c.crc);
    EXPECT_EQ(d.data.crcOk, std::string(c.crc) == "OK" ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, HalyardRadio,
    ::testing::Values(
        // Half dB, offset 72.
        RadioCase{"half_db_3A1E", 0x3A1E, 0xA0, 0x85, -120, "5", 0, 0x11, "OK"},
        RadioCase{"half_db_raw_FF", 0x6F1C, 0xFF, 0x85, -72, "5", 0, 0x11, "OK"},
        RadioCase{"half_db_raw_81", 0x6FB6, 0x81, 0x85, -135, "5", 0, 0x11, "OK"},
        RadioCase{"half_db_positive", 0x0E61, 0x21, 0x7F, 16 - 72, "127", 0, 0x11, "ERR"},
        // Whole dB exceptions: offset 102, or 72 for the last three.
        RadioCase{"whole_db_3A5C", 0x3A5C, 0xA0, 0x80, -198, "0", 0, 0x11, "OK"},
        RadioCase{"whole_db_3B91", 0x3B91, 0xA0, 0x80, -198, "0", 0, 0x11, "OK"},
        RadioCase{"whole_db_3B92", 0x3B92, 0xA0, 0x80, -168, "0", 0, 0x11, "OK"},
        RadioCase{"whole_db_3BC6", 0x3BC6, 0xA0, 0x80, -168, "0", 0, 0x11, "OK"},
        RadioCase{"default_chip", 0, 0xA0, 0x00, -168, "0", 0, 0x11, "ERR"},
        // LQI from RSSI; the status byte carries correlation.
        RadioCase{"lqi_6F86", 0x6F86, 33, 0xD5, -40, "123", 0x55, 0x13, "OK"},
        RadioCase{"lqi_6F87_low_end", 0x6F87, 0xF2, 0x01, -87, "0", 1, 0x13, "ERR"},
        RadioCase{"lqi_6F89_high_end", 0x6F89, 83, 0xFF, 10, "255", 0x7F, 0x13, "OK"},
        RadioCase{"lqi_6F86_above_range", 0x6F86, 93, 0x80, 20, "255", 0, 0x13, "OK"},
        RadioCase{"lqi_6F86_below_range", 0x6F86, 0xE5, 0x80, -100, "0", 0, 0x13, "OK"},
        RadioCase{"lqi_6E7A", 0x6E7A, 0, 0xA0, -45, "107", 0x20, 0x13, "OK"},
        RadioCase{"lqi_6E7B", 0x6E7B, 0, 0xA0, -45, "107", 0x20, 0x13, "OK"},
        RadioCase{"lqi_6F48", 0x6F48, 0, 0x80, -76, "32", 0, 0x13, "OK"},
        // Far below the range: -145 dBm is LQI 0, not a wrapped byte.
        RadioCase{"lqi_6E7A_far_below_range", 0x6E7A, 0x9C, 0x80, -145, "0", 0, 0x13, "OK"},
        RadioCase{"lqi_6F86_weakest_byte", 0x6F86, 0x80, 0x80, -201, "0", 0, 0x13, "OK"}),
    [](const auto& info) { return std::string(info.param.name); });

namespace {

struct LengthCase {
    const char* name;
    uint16_t declared;   // N of the record
    size_t bytesPresent; // frame bytes the record holds
    int captured;
    int32_t status;
    int infoFlags;
    std::vector<int32_t> ids;
    int payloadDumped; // payload bytes in the hex dump, -1 none
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.name;
}

class HalyardLength : public ::testing::TestWithParam<LengthCase> {};

} // namespace

TEST_P(HalyardLength, LengthRules)
{
    const LengthCase& c = GetParam();
    PARSED_DATA before{};
    before.rssi = 77;
    before.crcOk = 5;
    before.correlation = 9;
    before.noticesWaiting = 3;
    auto record = MakeRecordWithLength(2, 0, c.declared, c.bytesPresent);
    Decoded d = DecodeWithChip(kDefaultChip, record, c.captured, 16384, 1.0, &before);

    EXPECT_EQ(d.data.status, c.status);
    EXPECT_EQ(d.data.infoFlags, c.infoFlags);
    EXPECT_EQ(d.data.frameLength, c.declared);
    EXPECT_EQ(d.Text(3), std::to_string(c.declared));
    EXPECT_EQ(d.Ids(), c.ids);
    EXPECT_EQ(d.data.fieldCount, c.ids.size());
    if (c.payloadDumped >= 0) {
        EXPECT_EQ(DumpedBytes(d.Text(4)), c.payloadDumped);
    }
    if (c.status == PARSE_INVALID_LENGTH) {
        // Decoding stopped before the status bytes: the caller's values stay.
        EXPECT_EQ(d.data.rssi, 77);
        EXPECT_EQ(d.data.crcOk, 5);
        EXPECT_EQ(d.data.correlation, 9);
        EXPECT_EQ(d.data.noticesWaiting, 3);
    } else {
        EXPECT_EQ(d.data.noticesWaiting, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, HalyardLength,
    ::testing::Values(
        LengthCase{"two_bytes_no_dumps", 2, 2, 12, PARSE_OK, 0x11, kNoDumpOrder, -1},
        LengthCase{"complete", 20, 20, 30, PARSE_OK, 0x11, kNormalOrder, 18},
        // Clipped to what arrived; the length field keeps the declared 20.
        LengthCase{"clipped_to_captured", 20, 5, 5, PARSE_OK, 0x15, kNormalOrder, 3},
        LengthCase{"captured_unknown", 20, 20, 0, PARSE_OK, 0x15, kNormalOrder, 18},
        // Up to two bytes beyond the captured length are still the frame's.
        LengthCase{"captured_plus_two", 22, 22, 20, PARSE_OK, 0x11, kNormalOrder, 20},
        LengthCase{"captured_plus_three", 23, 20, 20, PARSE_OK, 0x15, kNormalOrder, 18},
        LengthCase{"one_byte", 1, 1, 11, PARSE_INVALID_LENGTH, 0x11, {0, 1, 2, 3}, -1},
        LengthCase{"zero_bytes", 0, 0, 10, PARSE_INVALID_LENGTH, 0x11, {0, 1, 2, 3}, -1},
        LengthCase{"clipped_below_two", 300, 1, 1, PARSE_INVALID_LENGTH, 0x15, {0, 1, 2, 3}, -1},
        LengthCase{"negative_captured", 40, 0, -1, PARSE_INVALID_LENGTH, 0x15, {0, 1, 2, 3}, -1},
        LengthCase{"longest", 2048, 2048, 2058, PARSE_OK, 0x11, kNormalOrder, 2046},
        LengthCase{"too_long", 2049, 0, 2059, PARSE_INVALID_LENGTH, 0x11, {0, 1, 2, 3}, -1},
        LengthCase{"too_long_unknown_capture", 65535, 0, 0, PARSE_INVALID_LENGTH, 0x15,
                   {0, 1, 2, 3}, -1},
        LengthCase{"too_long_clipped_into_range", 65535, 100, 100, PARSE_OK, 0x15, kNormalOrder, 98}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HalyardCapacity, ExactFitAndOneByteShort)
{
    auto record = MakeGenericRecord(1, 0, std::vector<uint8_t>(40, 0x41), 0xC0, 0x80);
    const int captured = CapturedFromDevice(record);
    Decoded full = DecodeWithChip(kDefaultChip, record, captured, 8192);
    ASSERT_EQ(full.data.status, PARSE_OK);
    const int32_t needed = full.data.bytesUsed;

    Decoded exact = DecodeWithChip(kDefaultChip, record, captured, needed);
    EXPECT_EQ(exact.data.status, PARSE_OK);
    EXPECT_EQ(exact.fields, full.fields);
    EXPECT_EQ(exact.data.fieldCount, 9);

    Decoded shortBy1 = DecodeWithChip(kDefaultChip, record, captured, needed - 1);
    EXPECT_EQ(shortBy1.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(shortBy1.data.fieldCount, 9);
    EXPECT_EQ(shortBy1.data.bytesUsed, needed);
    ASSERT_EQ(shortBy1.fields.size(), 8u);
    EXPECT_TRUE(std::equal(shortBy1.fields.begin(), shortBy1.fields.end(), full.fields.begin()));
    // Decoding went on: the status bytes were still read.
    EXPECT_EQ(shortBy1.data.crcOk, 1);
    EXPECT_EQ(shortBy1.data.rssi, -136);
}

TEST(HalyardCapacity, LaterFieldsFailOnceOneDidNot)
{
    auto record = MakeGenericRecord(1, 0, std::vector<uint8_t>(100, 0x41), 0xC0, 0x80);
    const int captured = CapturedFromDevice(record);
    Decoded full = DecodeWithChip(kDefaultChip, record, captured, 8192);
    int32_t throughLength = 0;
    for (int i = 0; i < 4; ++i)
        throughLength += 8 + static_cast<int32_t>(full.fields[i].text.size()) + 1;

    // Room for the short fields after the dump, but not for the dump itself.
    Decoded d = DecodeWithChip(kDefaultChip, record, captured, throughLength + 40);
    EXPECT_EQ(d.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(d.Ids(), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(d.data.fieldCount, 9);
    EXPECT_EQ(d.data.bytesUsed, full.data.bytesUsed);

    Decoded none = DecodeWithChip(kDefaultChip, record, captured, 0);
    EXPECT_EQ(none.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_TRUE(none.fields.empty());
    EXPECT_EQ(none.data.fieldCount, 9);
}

TEST(HalyardCapacity, InvalidLengthWinsOverFullBuffer)
{
    auto record = MakeRecordWithLength(1, 0, 1, 1);
    Decoded d = DecodeWithChip(kDefaultChip, record, 11, 0);
    EXPECT_EQ(d.data.status, PARSE_INVALID_LENGTH);
    EXPECT_EQ(d.data.fieldCount, 4);
}
