// The length byte, the captured length and the length limits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "tests/plugin/fennet/FennetPlugins.h"
#include "tests/plugin/fennet/FennetRecord.h"

using testsupport::Decoded;
using testsupport::DumpedBytes;
using testsupport::FennetBuild;
using testsupport::FennetPlugin;
using testsupport::HexBytes;

namespace {

constexpr int kPlainChip = 0x6F1C;
constexpr int kMacChip = 0x6F86;

using Ids = std::vector<int32_t>;
const Ids kRejected = {0, 1, 2, 3};
const Ids kHeaderOnly = {0, 1, 2, 3, 4, 5, 6, 7, 8, 21, 20, 22};
const Ids kMacHeaderOnly = {0, 1, 2, 3, 24, 4, 5, 6, 7, 8, 21, 20, 22};
const Ids kWithPayload = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 19, 21, 20, 22};
const Ids kMacWithPayload = {0, 1, 2, 3, 24, 4, 5, 6, 7, 8, 9, 10, 19, 21, 20, 22};

struct LengthCase {
    const char* name;
    int chip;
    uint8_t lengthByte;
    size_t bytesPresent; // frame bytes the record holds
    int captured;
    int32_t status;
    int infoFlags;
    Ids ids;
    int payloadDumped; // payload bytes in the hex dump, -1 none
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.name;
}

// A header on port 7, then filler bytes up to the bytes present.
std::vector<uint8_t> FrameOf(int chip, size_t bytesPresent)
{
    std::vector<uint8_t> frame = HexBytes("11223344 55667788 07 A5 7E");
    if (testsupport::HasMacHeader(chip)) {
        auto mac = HexBytes("41 88 2A");
        frame.insert(frame.begin(), mac.begin(), mac.end());
    }
    frame.resize(std::max(bytesPresent, frame.size()), 0x30);
    frame.resize(bytesPresent);
    return frame;
}

class FennetLength : public ::testing::TestWithParam<LengthCase> {};

} // namespace

TEST_P(FennetLength, LengthRules)
{
    const LengthCase& c = GetParam();
    PARSED_DATA before{};
    before.rssi = 77;
    before.crcOk = 5;
    before.correlation = 9;
    before.noticesWaiting = 3;
    before.nodeIdsChanged = 4;
    before.frameClass = 6;
    auto& plugin = FennetPlugin(FennetBuild::Debug);
    plugin.setChipType(c.chip);
    plugin.setProtocolVersion(1);
    // The record holds exactly the bytes present: reading beyond them is caught by ASan.
    auto record = testsupport::MakeLengthByteRecord(2, 0, c.lengthByte, FrameOf(c.chip, c.bytesPresent));
    Decoded d = plugin.Decode(record, c.captured, 16384, 1.0, &before);

    EXPECT_EQ(d.data.status, c.status);
    EXPECT_EQ(d.data.infoFlags, c.infoFlags);
    EXPECT_EQ(d.data.frameLength, c.lengthByte);
    EXPECT_EQ(d.Text(3), std::to_string(c.lengthByte));
    EXPECT_EQ(d.Ids(), c.ids);
    EXPECT_EQ(d.data.fieldCount, c.ids.size());
    if (c.payloadDumped >= 0) {
        EXPECT_EQ(DumpedBytes(d.Text(9)), c.payloadDumped);
    }
    if (c.status == PARSE_INVALID_LENGTH) {
        // Nothing after the length field is written.
        EXPECT_EQ(d.data.rssi, 77);
        EXPECT_EQ(d.data.crcOk, 5);
        EXPECT_EQ(d.data.correlation, 9);
        EXPECT_EQ(d.data.noticesWaiting, 3);
        EXPECT_EQ(d.data.nodeIdsChanged, 4);
        EXPECT_EQ(d.data.frameClass, 6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FennetLength,
    ::testing::Values(
        LengthCase{"eleven_bytes_too_short", kPlainChip, 10, 12, 23, PARSE_INVALID_LENGTH, 0x00,
                   kRejected, -1},
        LengthCase{"shortest", kPlainChip, 11, 13, 24, PARSE_OK, 0x00, kHeaderOnly, -1},
        LengthCase{"one_payload_byte", kPlainChip, 12, 14, 25, PARSE_OK, 0x00, kWithPayload, 1},
        // On the 802.15.4 chips the length byte counts the status bytes, and the 802.15.4
        // header must fit in front of them too.
        LengthCase{"mac_chip_13_cannot_hold_the_headers", kMacChip, 13, 13, 24,
                   PARSE_INVALID_LENGTH, 0x01, kRejected, -1},
        LengthCase{"mac_chip_15_cannot_hold_the_headers", kMacChip, 15, 15, 26,
                   PARSE_INVALID_LENGTH, 0x01, kRejected, -1},
        LengthCase{"mac_chip_shortest", kMacChip, 16, 16, 27, PARSE_OK, 0x03, kMacHeaderOnly, -1},
        LengthCase{"longest", kPlainChip, 255, 257, 268, PARSE_OK, 0x00, kWithPayload, 244},
        LengthCase{"mac_chip_longest", kMacChip, 255, 255, 266, PARSE_OK, 0x03, kMacWithPayload, 239},
        LengthCase{"captured_unknown", kPlainChip, 20, 22, 0, PARSE_OK, 0x04, kWithPayload, 9},
        LengthCase{"captured_unknown_mac_chip", 0x6F87, 20, 20, 0, PARSE_OK, 0x07, kMacWithPayload, 4},
        // Up to two bytes beyond the captured length are still the frame's.
        LengthCase{"captured_plus_two", kPlainChip, 20, 22, 20, PARSE_OK, 0x00, kWithPayload, 9},
        LengthCase{"clipped_to_captured", kPlainChip, 40, 19, 19, PARSE_OK, 0x04, kWithPayload, 6},
        LengthCase{"clipped_mac_chip", kMacChip, 40, 19, 17, PARSE_OK, 0x07, kMacWithPayload, 1},
        LengthCase{"clipped_below_the_shortest", kPlainChip, 40, 12, 12, PARSE_INVALID_LENGTH, 0x04,
                   kRejected, -1},
        LengthCase{"negative_captured", kPlainChip, 40, 0, -1, PARSE_INVALID_LENGTH, 0x04, kRejected,
                   -1}),
    [](const auto& info) { return std::string(info.param.name); });
