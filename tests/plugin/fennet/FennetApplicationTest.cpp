// The application field of each port and protocol version, and what a payload too short
// for it shows.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/plugin/fennet/FennetPlugins.h"
#include "tests/plugin/fennet/FennetRecord.h"

using testsupport::Decoded;
using testsupport::FennetBuild;
using testsupport::FennetPlugin;
using testsupport::HexBytes;

namespace {

constexpr int kChip = 0x6F1C;
constexpr bool kValidDest = true;
constexpr bool kBroadcast = false;

struct ApplicationCase {
    const char* name;
    int version;
    bool destValid; // destination's first byte neither 0x00 nor 0xFF
    uint8_t port;
    const char* payload; // exactly the bytes the field reads
    int32_t id;
    const char* text;
};

void PrintTo(const ApplicationCase& c, std::ostream* os)
{
    *os << c.name;
}

Decoded DecodePayload(FennetBuild build, const ApplicationCase& c, std::vector<uint8_t> payload)
{
    std::vector<uint8_t> frame = HexBytes(c.destValid ? "11223344" : "FF223344");
    auto rest = HexBytes("55667788");
    frame.insert(frame.end(), rest.begin(), rest.end());
    frame.push_back(c.port);
    frame.push_back(0x00);
    frame.push_back(0x01);
    frame.insert(frame.end(), payload.begin(), payload.end());
    frame.push_back(0x10);
    frame.push_back(0x80);
    auto& plugin = FennetPlugin(build);
    plugin.setChipType(kChip);
    plugin.setProtocolVersion(c.version);
    auto record = testsupport::MakeFennetRecord(kChip, 1, 0, frame);
    return plugin.Decode(record, testsupport::CapturedFromDevice(record));
}

class FennetApplication
    : public ::testing::TestWithParam<std::tuple<FennetBuild, ApplicationCase>> {};
class FennetApplicationMissing : public FennetApplication {};

} // namespace

TEST_P(FennetApplication, TextOfAPayloadThatHoldsTheField)
{
    const auto& [build, c] = GetParam();
    Decoded d = DecodePayload(build, c, HexBytes(c.payload));
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.Ids(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, c.id, 21, 20, 22}));
    EXPECT_EQ(d.Text(c.id), c.text);
}

TEST_P(FennetApplicationMissing, OneByteShortShowsTheFieldMissing)
{
    const auto& [build, c] = GetParam();
    std::vector<uint8_t> payload = HexBytes(c.payload);
    payload.pop_back();
    Decoded d = DecodePayload(build, c, payload);
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.Ids(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, c.id, 21, 20, 22}));
    EXPECT_EQ(d.Text(c.id), "<missing>");
    // The status bytes are not taken for payload.
    EXPECT_EQ(d.Text(21), "-64");
    EXPECT_EQ(d.Text(22), "OK");
}

namespace {

const std::vector<ApplicationCase> kCases = {
    // Version 0.
    ApplicationCase{"v0_port1", 0, kValidDest, 1, "03 AA BB CC", 11, " 03     AA BB CC"},
    ApplicationCase{"v0_port1_no_bytes", 0, kValidDest, 1, "00", 11, " 00     "},
    ApplicationCase{"v0_link_reply", 0, kValidDest, 2, "81 22 03", 13,
                    "  0x81      0x22   NEVER_LISTENS"},
    ApplicationCase{"v0_link_request", 0, kBroadcast, 2, "01 04030201 05 06 01", 12,
                    "  0x01   0x01020304    0x05      0x06     SLEEPS/POLLS"},
    ApplicationCase{"v0_join_reply_with_key", 0, kValidDest, 3, "10 EFBE0000 A2 DEAD", 15,
                    "  0x10   0xBEEF    SW      DE AD"},
    ApplicationCase{"v0_join_reply_without_key", 0, kValidDest, 3, "10 EFBE0000 40", 15,
                    "  0x10   0xBEEF    HW      "},
    ApplicationCase{"v0_join_reply_empty_key", 0, kValidDest, 3, "10 EFBE0000 80", 15,
                    "  0x10   0xBEEF    NO      "},
    ApplicationCase{"v0_join_request", 0, kBroadcast, 3, "10 45230100 33", 14,
                    "  0x10   0x12345 0x33"},
    ApplicationCase{"v0_security_with_key", 0, kValidDest, 4, "E3 010203", 16,
                    "    UNKNOWN     01 02 03"},
    ApplicationCase{"v0_security_without_key", 0, kValidDest, 4, "20", 16, "    SW     "},
    ApplicationCase{"v0_frequency", 0, kValidDest, 5, "01 0B", 17, "  0x01      0x0B"},
    ApplicationCase{"v0_management", 0, kValidDest, 6, "11 22", 18, "  0x11   0x22"},
    ApplicationCase{"v0_user_port", 0, kValidDest, 7, "AA", 19, " 0x07"},
    // Version 1.
    ApplicationCase{"v1_port1", 1, kValidDest, 1, "85 22", 25, "  0x85    0x22"},
    ApplicationCase{"v1_link_reply", 1, kValidDest, 2, "81 11 22 03", 27,
                    "  0x81    0x11    0x22    NEVER_LISTENS"},
    ApplicationCase{"v1_link_reply_any_command", 1, kValidDest, 2, "85 11 22 00", 27,
                    "  0x85    0x11    0x22    CONT_LISTEN"},
    ApplicationCase{"v1_link_request", 1, kValidDest, 2, "01 07 78563412 09 02", 26,
                    "  0x01   0x07 0x12345678    0x09    SLEEPS/LISTENS"},
    ApplicationCase{"v1_join_reply", 1, kValidDest, 3, "80 01 EFBE0000 A1 99", 29,
                    "  0x80    0x01 0xBEEF    SW      99"},
    ApplicationCase{"v1_join_request", 1, kValidDest, 3, "00 01 EFBE0000 42", 28,
                    "  0x00   0x01 0xBEEF   0x42"},
    ApplicationCase{"v1_security", 1, kValidDest, 4, "01 02 C2 AABB", 30,
                    "  0x01   0x02    HW      AA BB"},
    ApplicationCase{"v1_change_channel", 1, kValidDest, 5, "01 0F", 31,
                    "ChangeChannelCmd      0x0F"},
    ApplicationCase{"v1_echo_request", 1, kValidDest, 5, "02 10", 32, "EchoReq           0x10"},
    ApplicationCase{"v1_echo_reply", 1, kValidDest, 5, "82 11", 32, "EchoReply         0x11"},
    ApplicationCase{"v1_change_channel_request", 1, kValidDest, 5, "03", 33,
                    "ChangeChannelreq  "},
    ApplicationCase{"v1_unknown_frequency_command", 1, kValidDest, 5, "09", 33,
                    "UnknownAppInf  "},
    ApplicationCase{"v1_management", 1, kValidDest, 6, "01 02 03 04050607", 34,
                    "  0x01   0x02 0x03  04 05 06 07"},
    // Later versions.
    ApplicationCase{"v2_port1_bit7_clear", 2, kValidDest, 1, "05 22", 36, "  0x05    0x22"},
    ApplicationCase{"v2_port1_bit7_set", 2, kValidDest, 1, "85 22", 37, "  0x85    0x22"},
    ApplicationCase{"v7_port1_bit7_set", 7, kValidDest, 1, "85 22", 37, "  0x85    0x22"},
    ApplicationCase{"v2_link_reply_command_1", 2, kValidDest, 2, "81 11 22 01", 39,
                    "  0x81    0x11    0x22    SLEEPS/POLLS"},
    ApplicationCase{"v2_link_reply_command_2", 2, kValidDest, 2, "82 11 22", 66,
                    "  0x82    0x11  0x22"},
    ApplicationCase{"v2_link_reply_unknown", 2, kValidDest, 2, "85", 67,
                    "Unknown link request: 0x05"},
    ApplicationCase{"v2_link_reply_unknown_7F", 2, kValidDest, 2, "FF", 67,
                    "Unknown link request: 0x7F"},
    ApplicationCase{"v2_link_request_command_1", 2, kValidDest, 2, "01 02 78563412 03 01 04",
                    38, "  0x01   0x02 0x12345678    0x03    SLEEPS/POLLS    0x04"},
    ApplicationCase{"v2_link_request_command_2", 2, kValidDest, 2, "02 11 22", 65,
                    "  0x02   0x11  0x22"},
    ApplicationCase{"v2_link_request_unknown", 2, kValidDest, 2, "07", 67,
                    "Unknown link request: 0x07"},
    ApplicationCase{"v2_link_request_unknown_0", 2, kBroadcast, 2, "00", 67,
                    "Unknown link request: 0x00"},
    ApplicationCase{"v2_join_reply", 2, kValidDest, 3, "80 01 EFBE0000 A1 99", 41,
                    "  0x80    0x01 0xBEEF    SW      99"},
    ApplicationCase{"v2_join_request", 2, kValidDest, 3, "00 01 EFBE0000 42 43", 40,
                    "  0x00   0x01 0xBEEF   0x42      0x43"},
    ApplicationCase{"v2_security", 2, kValidDest, 4, "01 02 C2 AABB", 42,
                    "  0x01   0x02    HW      AA BB"},
    ApplicationCase{"v2_change_channel", 2, kValidDest, 5, "01 0F", 43,
                    "ChangeChannelCmd      0x0F"},
    ApplicationCase{"v2_echo_request", 2, kValidDest, 5, "02 10", 44, "EchoReq           0x10"},
    ApplicationCase{"v2_echo_reply", 2, kValidDest, 5, "82 11", 45, "EchoReply         0x11"},
    ApplicationCase{"v2_change_channel_request", 2, kValidDest, 5, "03", 46,
                    "ChangeChannelreq  "},
    ApplicationCase{"v_negative_change_channel_request", -1, kValidDest, 5, "03", 46,
                    "ChangeChannelreq  "},
    ApplicationCase{"v2_unknown_frequency_command", 2, kValidDest, 5, "09", 33,
                    "UnknownAppInf  "},
    ApplicationCase{"v2_management", 2, kValidDest, 6, "01 02 03 04050607", 47,
                    "  0x01   0x02 0x03  04 05 06 07"},
    ApplicationCase{"v2_high_port", 2, kValidDest, 32, "AA", 35, " 0x20"}};

// The cases whose field reads more than one byte, so that a shorter payload still exists.
std::vector<ApplicationCase> CasesWithShorterPayload()
{
    std::vector<ApplicationCase> cases;
    for (const ApplicationCase& c : kCases)
        if (HexBytes(c.payload).size() > 1)
            cases.push_back(c);
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<FennetBuild, ApplicationCase>>& info)
{
    return testsupport::BuildName(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Ports, FennetApplication,
                         ::testing::Combine(::testing::Values(FennetBuild::Debug, FennetBuild::Release),
                                            ::testing::ValuesIn(kCases)),
                         CaseName);

INSTANTIATE_TEST_SUITE_P(Ports, FennetApplicationMissing,
                         ::testing::Combine(::testing::Values(FennetBuild::Debug, FennetBuild::Release),
                                            ::testing::ValuesIn(CasesWithShorterPayload())),
                         CaseName);

TEST(FennetApplicationBounds, CountedDumpBeyondThePayloadIsMissing)
{
    // Port 1 of version 0 counts 0xF0 bytes that the frame does not hold; the dump never
    // reads past the frame (the record below is exactly as long as the frame).
    ApplicationCase c{"", 0, kValidDest, 1, "F0 01 02", 11, ""};
    Decoded d = DecodePayload(FennetBuild::Debug, c, HexBytes(c.payload));
    EXPECT_EQ(d.Text(11), "<missing>");
    // A key count beyond the payload likewise.
    ApplicationCase key{"", 1, kValidDest, 4, "01 02 9F AA", 30, ""};
    d = DecodePayload(FennetBuild::Debug, key, HexBytes(key.payload));
    EXPECT_EQ(d.Text(30), "<missing>");
}
