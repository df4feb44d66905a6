#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/dravik/stream/DeviceFrameWriter.h"
#include "tests/platform/dravik/stream/ReadBack.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct EncodingCase {
    std::string name;
    int layout;
    std::function<void(const DeviceFrameWriter&, Bytes&)> write;
    Bytes expected;
};

void PrintTo(const EncodingCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeviceFrameEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(DeviceFrameEncoding, IsByteExact)
{
    const EncodingCase& c = GetParam();
    const DeviceFrameWriter writer(c.layout);
    Bytes out = {0xAA}; // appends, never replaces
    c.write(writer, out);
    Bytes expected = {0xAA};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(out, expected);
}

const Bytes kData = {0x11, 0x22, 0x33, 0x44};

INSTANTIATE_TEST_SUITE_P(
    Frames, DeviceFrameEncoding,
    testing::Values(
        EncodingCase{"new_packet", 1, [](auto& w, Bytes& o) { w.Packet(o, 1, kData); },
                     {0x10, 0x09, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x11, 0x22, 0x33, 0x44}},
        EncodingCase{"new_packet_check_byte", 1, [](auto& w, Bytes& o) { w.Packet(o, 0x12345678, Bytes{}); },
                     {0x10, 0x05, 0x00, 0x78, 0x56, 0x34, 0x12, 0x78 ^ 0x56 ^ 0x34 ^ 0x12}},
        EncodingCase{"old_packet", 0, [](auto& w, Bytes& o) { w.Packet(o, 0xA1B2C3D4, kData); },
                     {0x00, 0x08, 0x00, 0xD4, 0xC3, 0xB2, 0xA1, 0x11, 0x22, 0x33, 0x44}},
        EncodingCase{"new_start", 1, [](auto& w, Bytes& o) { w.FragmentStart(o, 2, Bytes{0x01, 0x02}); },
                     {0x14, 0x07, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x01, 0x02}},
        EncodingCase{"old_start", 0, [](auto& w, Bytes& o) { w.FragmentStart(o, 2, Bytes{0x01}); },
                     {0x04, 0x05, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01}},
        EncodingCase{"new_end_declares_whole_packet", 1,
                     [](auto& w, Bytes& o) { w.FragmentEnd(o, 2, Bytes{0x03}, 300); },
                     {0x10, 0x31, 0x01, 0x02, 0x00, 0x00, 0x00, 0x02, 0x03}},
        EncodingCase{"old_end_declares_whole_packet", 0,
                     [](auto& w, Bytes& o) { w.FragmentEnd(o, 2, Bytes{0x03}, 3); },
                     {0x00, 0x07, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03}},
        EncodingCase{"new_fragmented_same_tick", 1,
                     [](auto& w, Bytes& o) {
                         const size_t parts[] = {1, 2, 1};
                         w.Fragmented(o, 0x0100, kData, parts);
                     },
                     {0x14, 0x06, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x11,
                      0x14, 0x07, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x22, 0x33,
                      0x10, 0x09, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x44}},
        EncodingCase{"new_timer", 1, [](auto& w, Bytes& o) { w.Timer(o, 0xFE); }, {0x11, 0x02, 0x00, 0xFE, 0xFE}},
        EncodingCase{"old_timer", 0, [](auto& w, Bytes& o) { w.Timer(o, 0xFE); }, {0x01, 0x01, 0x00, 0xFE}},
        EncodingCase{"new_overflow", 1, [](auto& w, Bytes& o) { w.Overflow(o); }, {0x13, 0x00, 0x00}},
        EncodingCase{"old_overflow", 0, [](auto& w, Bytes& o) { w.Overflow(o); }, {0x03, 0x00, 0x00}},
        EncodingCase{"new_status_keeps_bit_4_clear", 1, [](auto& w, Bytes& o) { w.Status(o, 7, Bytes{0x5A}); },
                     {0x07, 0x01, 0x00, 0x5A}},
        EncodingCase{"old_status_empty", 0, [](auto& w, Bytes& o) { w.Status(o, 2); }, {0x02, 0x00, 0x00}}),
    [](const testing::TestParamInfo<EncodingCase>& info) { return info.param.name; });

TEST(DeviceFrameWriter, RefusesWhatNoFrameCanCarry)
{
    EXPECT_THROW(DeviceFrameWriter(2), std::invalid_argument);
    EXPECT_THROW(DeviceFrameWriter(-1), std::invalid_argument);
    const DeviceFrameWriter writer(1);
    Bytes out;
    EXPECT_THROW(writer.Status(out, 3), std::invalid_argument);
    EXPECT_THROW(writer.Status(out, 11), std::invalid_argument);
    const size_t one[] = {4};
    EXPECT_THROW(writer.Fragmented(out, 1, kData, one), std::invalid_argument);
    const size_t short_[] = {1, 2};
    EXPECT_THROW(writer.Fragmented(out, 1, kData, short_), std::invalid_argument);
    EXPECT_THROW(writer.FragmentEnd(out, 1, kData, 3), std::invalid_argument);
    EXPECT_THROW(writer.Packet(out, 1, Bytes(0xFFFF - 4)), std::length_error);
    EXPECT_TRUE(out.empty());
    writer.Packet(out, 1, Bytes(0xFFFF - 5));
    EXPECT_EQ(out.size(), 3u + 0xFFFF);
}

// Every kind of frame the writer makes, read back by the real framing in each layout.
class WriterThroughFraming : public testing::TestWithParam<int> {};

TEST_P(WriterThroughFraming, GivesTheRecordsAndStatusesTheReaderPromises)
{
    const DeviceFrameWriter writer(GetParam());
    Bytes stream;
    writer.Timer(stream, 0x00);
    writer.Packet(stream, 0x00000100, kData);
    const Bytes longPacket = [] {
        Bytes p(150);
        for (size_t i = 0; i < p.size(); ++i)
            p[i] = static_cast<uint8_t>(0x40 + i % 50);
        return p;
    }();
    const size_t parts[] = {60, 30, 60};
    writer.Fragmented(stream, 0x00000200, longPacket, parts);
    writer.Status(stream, 5, Bytes{0x01, 0x02});
    writer.Timer(stream, 0x01);
    writer.Packet(stream, 0x01000010, kData);
    writer.Packet(stream, 0x01000020, Bytes{0x55});
    // In the old layout the end of a fragmented packet is taken only once as many bytes as
    // it declares have arrived behind its header: later frames must follow.
    for (uint32_t i = 0; i < 4; ++i)
        writer.Packet(stream, 0x01000030 + i, Bytes(30, 0x66));
    // It swallows what follows it in the ring, so it comes last.
    writer.Overflow(stream);

    const streamtest::ReadBack back = streamtest::ReadThrough(stream);
    EXPECT_EQ(back.layout, GetParam());
    ASSERT_EQ(back.records.size(), 8u);
    EXPECT_EQ(back.records[0].bytes, kData);
    EXPECT_EQ(back.records[0].ticks, 0x100u);
    EXPECT_EQ(back.records[1].bytes, longPacket);
    EXPECT_EQ(back.records[1].ticks, 0x200u);
    EXPECT_EQ(back.records[2].ticks, 0x01000010u);
    EXPECT_EQ(back.records[3].bytes, Bytes{0x55});
    EXPECT_EQ(back.statuses.count(2), 0u);
    EXPECT_EQ(back.statuses.count(6), 0u);
    EXPECT_EQ(back.statuses.at(8), 1);
    EXPECT_EQ(back.statuses.at(7), 1);
}

INSTANTIATE_TEST_SUITE_P(Layouts, WriterThroughFraming, testing::Values(0, 1),
                         [](const testing::TestParamInfo<int>& info) { return info.param == 0 ? "old" : "new"; });

// Why the stream guards its packets: in the new layout the reader looks ahead for the next
// header, and packet bytes that read as one cut the frame.
TEST(DeviceFrameWriter, PacketBytesThatReadAsAHeaderCutANewLayoutFrame)
{
    const DeviceFrameWriter writer(1);
    Bytes stream;
    writer.Packet(stream, 0x1000, Bytes{0x01, 0x11, 0x02, 0x00, 0x07, 0x07, 0x09});
    writer.Packet(stream, 0x2000, kData);
    streamtest::ReadBack back = streamtest::ReadThrough(stream);
    EXPECT_GE(back.statuses[2], 1);
}

} // namespace
