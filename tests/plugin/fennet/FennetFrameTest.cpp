// Fennet frames through the real boundary: both builds of the plug-in loaded with dlopen.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/plugin/fennet/FennetPlugins.h"
#include "tests/plugin/fennet/FennetRecord.h"

using testsupport::Decoded;
using testsupport::FennetBuild;
using testsupport::FennetPlugin;
using testsupport::HexBytes;

namespace {

constexpr int kPlainChip = 0x6F1C;
constexpr int kMacChip = 0x6F86;
constexpr int32_t kCallerClass = 99;
constexpr const char* kDest = "11 22 33 44";
constexpr const char* kSource = "55 66 77 88";
constexpr uint8_t kDevice = 0xA5;
constexpr uint8_t kTransaction = 0x7E;
// A strong signal with a good CRC on any chip.
constexpr uint8_t kRssiByte = 0x10;
constexpr uint8_t kStatusByte = 0x9A;

using Texts = std::vector<std::pair<int32_t, std::string>>;
using Ids = std::vector<int32_t>;

// The header fields of a frame without the 802.15.4 header, up to the transaction id.
Ids HeaderIds(Ids tail)
{
    Ids ids = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    ids.insert(ids.end(), tail.begin(), tail.end());
    return ids;
}

struct FrameCase {
    const char* name;
    int chip;
    int version;
    const char* mac;  // frame control and sequence number; empty on the other chips
    const char* dest; // destination address bytes in frame order
    uint8_t port;     // the port byte
    const char* body; // the bytes after the transaction id: security bytes and payload
    Ids ids;
    Texts texts;
    int32_t frameClass;
    uint8_t device = kDevice;
};

void PrintTo(const FrameCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<uint8_t> FrameBytes(const FrameCase& c)
{
    std::vector<uint8_t> frame = HexBytes(c.mac);
    for (const char* part : {c.dest, kSource}) {
        auto bytes = HexBytes(part);
        frame.insert(frame.end(), bytes.begin(), bytes.end());
    }
    frame.push_back(c.port);
    frame.push_back(c.device);
    frame.push_back(kTransaction);
    auto body = HexBytes(c.body);
    frame.insert(frame.end(), body.begin(), body.end());
    frame.push_back(kRssiByte);
    frame.push_back(kStatusByte);
    return frame;
}

Decoded DecodeFrame(FennetBuild build, int chip, int version, const std::vector<uint8_t>& frame,
                    uint32_t number = 1)
{
    auto& plugin = FennetPlugin(build);
    plugin.setChipType(chip);
    plugin.setProtocolVersion(version);
    auto record = testsupport::MakeFennetRecord(chip, number, 0, frame);
    PARSED_DATA before{};
    before.frameClass = kCallerClass;
    return plugin.Decode(record, testsupport::CapturedFromDevice(record), 4096, 1.0, &before);
}

class FennetFrames : public ::testing::TestWithParam<std::tuple<FennetBuild, FrameCase>> {};

} // namespace

TEST_P(FennetFrames, FieldsInOrder)
{
    const auto& [build, c] = GetParam();
    Decoded d = DecodeFrame(build, c.chip, c.version, FrameBytes(c));
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.Ids(), c.ids);
    EXPECT_EQ(d.data.fieldCount, c.ids.size());
    for (const auto& [id, text] : c.texts)
        EXPECT_EQ(d.Text(id), text) << "field " << id;
    EXPECT_EQ(d.data.frameClass, c.frameClass);
    EXPECT_EQ(d.data.infoFlags, testsupport::HasMacHeader(c.chip) ? 0x03 : 0x00);

    int32_t expectedBytes = 0;
    for (const auto& f : d.fields)
        expectedBytes += 8 + static_cast<int32_t>(f.text.size()) + 1;
    EXPECT_EQ(d.data.bytesUsed, expectedBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, FennetFrames,
    ::testing::Combine(
        ::testing::Values(FennetBuild::Debug, FennetBuild::Release),
        ::testing::Values(
            FrameCase{"v1_link_request_on_802154_chip", kMacChip, 1, "41 88 2A", kDest, 0x02,
                      "01 07 78563412 09 02",
                      {0, 1, 2, 3, 24, 4, 5, 6, 7, 8, 9, 10, 26, 21, 20, 22},
                      {{0, "1"},
                       {1, "+0\n=0"},
                       {2, "+0\n=0"},
                       {3, "24"},
                       {24, "DATA  0   0     0        1     0x2A"},
                       {4, "11 22 33 44"},
                       {5, "55 66 77 88"},
                       {6, "    NO     0x02"},
                       {7, "SLEEPS/LISTENS  ACCESS_POINT   05  "},
                       {8, "0x7E"},
                       {9, "01 07 78 56\n34 12 09 02"},
                       {10, "**xV\n4*\xAF*"},
                       {26, "  0x01   0x07 0x12345678    0x09    SLEEPS/LISTENS"},
                       {22, "OK"}},
                      2},
            FrameCase{"v0_port1_plain_chip", kPlainChip, 0, "", kDest, 0x01, "03 AA BB CC",
                      HeaderIds({9, 10, 11, 21, 20, 22}),
                      {{3, "15"}, {6, "    NO     0x01"}, {9, "03 AA\nBB CC"}, {11, " 03     AA BB CC"}},
                      1},
            FrameCase{"odd_payload_pads_the_last_dump_line", kPlainChip, 2, "", kDest, 0x07,
                      "41 42 43 44 45", HeaderIds({9, 10, 19, 21, 20, 22}),
                      {{9, "41 42 43\n44 45   "}, {10, "ABC\nDE "}, {19, " 0x07"}}, 7},
            FrameCase{"header_only_keeps_the_callers_frame_class", kPlainChip, 1, "", kDest, 0x02, "",
                      HeaderIds({21, 20, 22}), {{3, "11"}}, kCallerClass},
            FrameCase{"v0_flag_dumps_as_flagged_and_still_interprets", kPlainChip, 0, "", kDest, 0x45,
                      "01 0B", HeaderIds({61, 62, 17, 21, 20, 22}),
                      {{6, "    SW     0x05"}, {61, "01\n0B"}, {62, "*\n*"}, {17, "  0x01      0x0B"}},
                      5},
            FrameCase{"relay_bits_3_is_no_flag", kPlainChip, 0, "", kDest, 0xC2, "81 22 03",
                      HeaderIds({9, 10, 13, 21, 20, 22}),
                      {{6, "    UNKNOWN     0x02"}, {13, "  0x81      0x22   NEVER_LISTENS"}}, 2},
            FrameCase{"v0_link_request_to_broadcast", kPlainChip, 0, "", "FF FF FF FF", 0x02,
                      "01 04030201 05 06 01", HeaderIds({9, 10, 12, 21, 20, 22}),
                      {{4, "FF FF FF FF"},
                       {12, "  0x01   0x01020304    0x05      0x06     SLEEPS/POLLS"}},
                      2},
            FrameCase{"v0_join_request_to_zero_first_byte", kPlainChip, 0, "", "00 11 22 33", 0x03,
                      "10 45230100 33", HeaderIds({9, 10, 14, 21, 20, 22}),
                      {{14, "  0x10   0x12345 0x33"}}, 3},
            FrameCase{"v3_flagged_payload_is_not_interpreted", kPlainChip, 3, "", kDest, 0xC5,
                      "07 AB CD | 01 0B", {0, 1, 2, 3, 4, 5, 48, 49, 8, 52, 61, 62, 21, 20, 22},
                      {{48, "  YES         YES     0x05"},
                       {49, "   1     CONT_LISTEN     ACCESS_POINT      0     05  "},
                       {52, "007  AB CD"},
                       {61, "01\n0B"},
                       {62, "*\n*"}},
                      5},
            FrameCase{"v3_unflagged_reads_like_later_versions", kPlainChip, 3, "", kDest, 0x85,
                      "02 33", {0, 1, 2, 3, 4, 5, 48, 49, 8, 9, 10, 44, 21, 20, 22},
                      {{48, "  YES         NO      0x05"},
                       {49, "   0     SLEEPS/POLLS    RANGE_EXTENDER    1     06  "},
                       {44, "EchoReq           0x33"}},
                      5, 0x5E},
            FrameCase{"v3_flagged_user_port_dumps_plainly", kPlainChip, 3, "", kDest, 0x49,
                      "01 02 03 | 04", {0, 1, 2, 3, 4, 5, 48, 49, 8, 52, 9, 10, 21, 20, 22},
                      {{48, "  NO          YES     0x09"}, {52, "001  02 03"}, {9, "04"}}, 9},
            FrameCase{"v3_flagged_high_port", kPlainChip, 3, "", kDest, 0x68, "01 02 03 | 04 05",
                      {0, 1, 2, 3, 4, 5, 48, 49, 8, 52, 9, 10, 21, 20, 22}, {{9, "04\n05"}}, 40},
            FrameCase{"v3_unflagged_high_port", kPlainChip, 3, "", kDest, 0x28, "AA",
                      {0, 1, 2, 3, 4, 5, 48, 49, 8, 9, 10, 35, 21, 20, 22}, {{35, " 0x28"}}, 8},
            FrameCase{"v3_security_bytes_without_payload", kPlainChip, 3, "", kDest, 0x41, "07 AB CD",
                      {0, 1, 2, 3, 4, 5, 48, 49, 8, 52, 21, 20, 22}, {{52, "007  AB CD"}},
                      kCallerClass},
            FrameCase{"v3_security_bytes_missing", kPlainChip, 3, "", kDest, 0x41, "",
                      {0, 1, 2, 3, 4, 5, 48, 49, 8, 52, 21, 20, 22}, {{52, "<missing>"}},
                      kCallerClass},
            FrameCase{"v3_security_bytes_cut_by_the_status_bytes", kPlainChip, 3, "", kDest, 0x41,
                      "07 AB", {0, 1, 2, 3, 4, 5, 48, 49, 8, 52, 21, 20, 22}, {{52, "<missing>"}},
                      kCallerClass},
            FrameCase{"user_port_0", kPlainChip, 1, "", kDest, 0x00, "AA",
                      HeaderIds({9, 10, 19, 21, 20, 22}), {{19, " 0x00"}}, 7},
            FrameCase{"user_port_31", kPlainChip, 1, "", kDest, 0x1F, "AA",
                      HeaderIds({9, 10, 19, 21, 20, 22}), {{19, " 0x1F"}}, 7},
            FrameCase{"high_port_32", kPlainChip, 0, "", kDest, 0x20, "AA",
                      HeaderIds({9, 10, 35, 21, 20, 22}), {{35, " 0x20"}}, 8},
            FrameCase{"high_port_63_flag_bits_ignored", kPlainChip, 2, "", kDest, 0xFF, "AA",
                      HeaderIds({9, 10, 35, 21, 20, 22}), {{6, "    UNKNOWN     0x3F"}, {35, " 0x3F"}},
                      8},
            FrameCase{"command_frame_on_6E7A", 0x6E7A, 1, "63 00 00", kDest, 0x07, "",
                      {0, 1, 2, 3, 24, 4, 5, 6, 7, 8, 21, 20, 22},
                      {{24, "CMD   0   0     1        1     0x00"}, {4, "11 22 33 44"}}, kCallerClass},
            FrameCase{"beacon_frame_on_6F48", 0x6F48, 1, "08 00 FF", kDest, 0x07, "",
                      {0, 1, 2, 3, 24, 4, 5, 6, 7, 8, 21, 20, 22},
                      {{24, "BCN   1   0     0        0     0xFF"}, {5, "55 66 77 88"}}, kCallerClass},
            FrameCase{"reserved_frame_type_on_6F87", 0x6F87, 1, "FF FF 80", kDest, 0x07, "",
                      {0, 1, 2, 3, 24, 4, 5, 6, 7, 8, 21, 20, 22},
                      {{24, "R111  1   1     1        1     0x80"}}, kCallerClass},
            FrameCase{"frame_type_4_on_6F86", kMacChip, 1, "94 00 01", kDest, 0x07, "",
                      {0, 1, 2, 3, 24, 4, 5, 6, 7, 8, 21, 20, 22},
                      {{24, "R100  0   1     0        0     0x01"}}, kCallerClass},
            // QZ6E7B's own code and QZ6F89 carry no 802.15.4 header.
            FrameCase{"no_mac_header_on_6E7B", 0x6E7B, 1, "", kDest, 0x07, "",
                      HeaderIds({21, 20, 22}), {{4, "11 22 33 44"}, {3, "11"}}, kCallerClass},
            FrameCase{"no_mac_header_on_6F89", 0x6F89, 1, "", kDest, 0x07, "",
                      HeaderIds({21, 20, 22}), {{4, "11 22 33 44"}}, kCallerClass})),
    [](const auto& info) {
        return testsupport::BuildName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
    });

namespace {

struct DivisorCase {
    int chip;
    uint64_t ticksPerMicrosecond;
};

class FennetDivisor : public ::testing::TestWithParam<DivisorCase> {};

} // namespace

TEST_P(FennetDivisor, TicksPerMicrosecond)
{
    const DivisorCase& c = GetParam();
    // 0x6FB2 splits its time stamps only in the generic decoder: here 65552 counts as ticks.
    for (uint64_t ticks : {26ull * 24 * 32 * 1000 + 17, 65552ull}) {
        auto frame = HexBytes("41 88 00 | 11223344 55667788 07 A5 7E | 10 80");
        if (!testsupport::HasMacHeader(c.chip))
            frame.erase(frame.begin(), frame.begin() + 3);
        auto& plugin = FennetPlugin(FennetBuild::Debug);
        plugin.setChipType(c.chip);
        auto record = testsupport::MakeFennetRecord(c.chip, 1, ticks, frame);
        Decoded d = plugin.Decode(record, testsupport::CapturedFromDevice(record));
        EXPECT_EQ(d.data.time, ticks / c.ticksPerMicrosecond) << ticks;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chips, FennetDivisor,
    ::testing::Values(DivisorCase{0x6F1C, 26}, DivisorCase{0x3A1E, 26}, DivisorCase{0x0E61, 26},
                      DivisorCase{0x6F48, 24}, DivisorCase{0x6F1D, 24}, DivisorCase{0x3A1F, 24},
                      // Transceivers other than 0x6F48 keep 32 here, unlike the generic decoder.
                      DivisorCase{0x3A02, 32}, DivisorCase{0x3B92, 32}, DivisorCase{0x6F86, 32},
                      DivisorCase{0x6FB2, 32}, DivisorCase{0x6E7A, 32}, DivisorCase{0, 32}),
    [](const auto& info) { return "chip_" + std::to_string(info.param.chip); });

TEST(FennetTime, DistancesToThePreviousAndFirstPacket)
{
    auto frame = HexBytes("11223344 55667788 07 A5 7E | 10 80");
    auto& plugin = FennetPlugin(FennetBuild::Release);
    plugin.setChipType(0);
    auto first = testsupport::MakeFennetRecord(0, 1, 32000, frame);
    auto second = testsupport::MakeFennetRecord(0, 2, 3232000, frame);
    plugin.Decode(first, testsupport::CapturedFromDevice(first));
    Decoded d = plugin.Decode(second, testsupport::CapturedFromDevice(second), 4096, 2.0);
    // 101000 us times 2, the first packet at 1000 us.
    EXPECT_EQ(d.data.time, 202000u);
    EXPECT_EQ(d.Text(1), "+201000\n=201000");
    EXPECT_EQ(d.Text(2), "+201\n=201");
}

TEST(FennetExports, SettersReturnTheirArgument)
{
    for (FennetBuild build : {FennetBuild::Debug, FennetBuild::Release}) {
        auto& plugin = FennetPlugin(build);
        EXPECT_EQ(plugin.setPacketLength(777), 777);
        EXPECT_EQ(plugin.setProtocolVersion(3), 3);
        EXPECT_EQ(plugin.setChipType(0x6F86), 0x6F86);
    }
}

TEST(FennetCapacity, ExactFitAndOneByteShort)
{
    auto& plugin = FennetPlugin(FennetBuild::Debug);
    plugin.setChipType(kMacChip);
    plugin.setProtocolVersion(1);
    auto frame = HexBytes("41 88 2A | 11223344 55667788 02 A5 7E | 01 07 78563412 09 02 | 21 D5");
    auto record = testsupport::MakeFennetRecord(kMacChip, 1, 0, frame);
    const int captured = testsupport::CapturedFromDevice(record);
    Decoded full = plugin.Decode(record, captured, 8192);
    ASSERT_EQ(full.data.status, PARSE_OK);
    const int32_t needed = full.data.bytesUsed;

    Decoded exact = plugin.Decode(record, captured, needed);
    EXPECT_EQ(exact.data.status, PARSE_OK);
    EXPECT_EQ(exact.fields, full.fields);

    Decoded shortBy1 = plugin.Decode(record, captured, needed - 1);
    EXPECT_EQ(shortBy1.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(shortBy1.data.fieldCount, full.data.fieldCount);
    EXPECT_EQ(shortBy1.data.bytesUsed, needed);
    ASSERT_EQ(shortBy1.fields.size(), full.fields.size() - 1);
    EXPECT_TRUE(std::equal(shortBy1.fields.begin(), shortBy1.fields.end(), full.fields.begin()));
    // The footer still reads the status bytes.
    EXPECT_EQ(shortBy1.data.rssi, -40);
    EXPECT_EQ(shortBy1.data.crcOk, 1);
    EXPECT_EQ(shortBy1.data.correlation, 0x55);
}
