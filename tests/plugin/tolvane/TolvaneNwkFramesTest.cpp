// Network-layer frames in the payload of unsecured data frames, through the loaded plug-in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/tolvane/TolvaneTestPlugin.h"

using namespace testsupport;

namespace {

struct NwkCase {
    const char* name;
    std::vector<uint8_t> payload;
    std::vector<ExpectedField> fields; // after the MAC header's fields
};

void PrintTo(const NwkCase& c, std::ostream* os)
{
    *os << c.name;
}

class TolvaneNwkFrame : public ::testing::TestWithParam<NwkCase> {};

TEST_P(TolvaneNwkFrame, Fields)
{
    const NwkCase& c = GetParam();
    const std::vector<uint8_t> mac =
        FrameBytes()
            .U16(FrameControl{.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2}.Value())
            .U8(0x33).U16(0x1234).U16(0x0001).U16(0x0002).Append(c.payload);
    PARSED_DATA before{};
    before.frameClass = 77;
    Decoded d = DecodeMac(mac, 0, &before);
    ASSERT_EQ(d.data.status, PARSE_OK);
    std::vector<ExpectedField> expected = {{FI_FRM_CTR_FIELD, "0b01000001"},
                                           {FI_SEQ_NUMBER, "0x33"},
                                           {FI_DEST_PANID, "0x1234"},
                                           {FI_DEST_ADDR, "0x0001"},
                                           {FI_SRC_ADDR, "0x0002"}};
    expected.insert(expected.end(), c.fields.begin(), c.fields.end());
    EXPECT_EQ(FrameFields(d), Named(expected));
    EXPECT_EQ(d.data.frameClass, 4);
}

const char kCommandHeader[] = "CMD    0   0  NONE";

// A command frame: control, frame counter, the command bytes.
FrameBytes CommandFrame(std::vector<uint8_t> command)
{
    return FrameBytes().U8(0x02).U32(0x00000010).Append(command);
}

std::vector<ExpectedField> CommandFields(std::vector<ExpectedField> rest)
{
    std::vector<ExpectedField> fields = {{FI_NWK_FCF, kCommandHeader}, {FI_NWK_COUNTER, "0x00000010"}};
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

// Vendor 0x10EF, "ACME" in its 7 bytes.
const std::vector<uint8_t> kVendor = FrameBytes().U16(0x10EF).Text("ACME").Fill(3, 0);
const std::vector<ExpectedField> kVendorFields = {{FI_NWK_VID, "0x10EF"}, {FI_NWK_VENDSTR, "ACME"}};

std::vector<ExpectedField> Join(std::vector<std::vector<ExpectedField>> parts)
{
    std::vector<ExpectedField> all;
    for (auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

const NwkCase kHeaderCases[] = {
    {"standard_data", FrameBytes().U8(0x49).U32(0x00000102).U8(0xC0).U8(1).U8(2).U8(3),
     {{FI_NWK_FCF, "SDATA  0   1  CH15"}, {FI_NWK_COUNTER, "0x00000102"}, {FI_NWK_PID, "0xC0"},
      {FI_NWK_PAYLOAD, "01 02\n03   "}}},
    {"vendor_data", FrameBytes().U8(0x03).U32(0x12345678).U8(0x01).U16(0x1234).U8(0xAA).U8(0xBB),
     {{FI_NWK_FCF, "VDATA  0   0  NONE"}, {FI_NWK_COUNTER, "0x12345678"}, {FI_NWK_PID, "0x01"},
      {FI_NWK_VID, "0x1234"}, {FI_NWK_PAYLOAD, "AA\nBB"}}},
    {"vendor_id_without_leading_zeros", FrameBytes().U8(0x03).U32(0).U8(0xFF).U16(0x0005),
     {{FI_NWK_FCF, "VDATA  0   0  NONE"}, {FI_NWK_COUNTER, "0x00000000"}, {FI_NWK_PID, "0xFF"},
      {FI_NWK_VID, "0x5"}}},
    {"reserved_type_channel_25", FrameBytes().U8(0xC0).U32(0xFFFFFFFF).U8(0x42),
     {{FI_NWK_FCF, "RESV   0   0  CH25"}, {FI_NWK_COUNTER, "0xFFFFFFFF"}, {FI_NWK_PAYLOAD, "42"}}},
    {"version_3_channel_20", FrameBytes().U8(0x99).U32(1).U8(0x00),
     {{FI_NWK_FCF, "SDATA  0   3  CH20"}, {FI_NWK_COUNTER, "0x00000001"}, {FI_NWK_PID, "0x00"}}},
    {"secured_command_is_not_decoded", FrameBytes().U8(0x06).U32(7).U32(0x04030201).U8(0xAA).U8(0xBB),
     {{FI_NWK_FCF, "CMD    1   0  NONE"}, {FI_NWK_COUNTER, "0x00000007"}, {FI_NWK_NFR_FIELDS, "01 02 03 04"},
      {FI_NWK_ENC_PAYLOAD, "AA\nBB"}}},
    {"secured_standard_data", FrameBytes().U8(0x05).U32(8).U8(0x01).U32(0x44332211).U8(0x99),
     {{FI_NWK_FCF, "SDATA  1   0  NONE"}, {FI_NWK_COUNTER, "0x00000008"}, {FI_NWK_PID, "0x01"},
      {FI_NWK_NFR_FIELDS, "11 22 33 44"}, {FI_NWK_ENC_PAYLOAD, "99"}}},
    {"secured_cut_in_its_four_bytes", FrameBytes().U8(0x04).U32(8).U16(0x2211),
     {{FI_NWK_FCF, "RESV   1   0  NONE"}, {FI_NWK_COUNTER, "0x00000008"}, {FI_NWK_NFR_FIELDS, "<missing>"}}},
    // Shorter than its header: no payload dump.
    {"cut_in_the_frame_counter", FrameBytes().U8(0x01).U16(0x0000),
     {{FI_NWK_FCF, "SDATA  0   0  NONE"}, {FI_NWK_COUNTER, "<missing>"}, {FI_NWK_PID, "<missing>"}}},
    {"control_byte_only", FrameBytes().U8(0x02),
     {{FI_NWK_FCF, kCommandHeader}, {FI_NWK_COUNTER, "<missing>"}, {FI_NWK_CMD, "<missing>"}}},
};

INSTANTIATE_TEST_SUITE_P(Header, TolvaneNwkFrame, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

const NwkCase kCommandCases[] = {
    {"discovery_request",
     CommandFrame({1, 0x0F}).Append(kVendor).U8(0x13).Text("Remote control!").U8(0x09).U8(0x01).U8(0xFF),
     CommandFields(Join({{{FI_NWK_CMD, "Discovery\nrequest"}, {FI_NWK_NODECAP, "0x0f"}},
                         kVendorFields,
                         {{FI_NWK_APPCAP, "0x13"}, {FI_NWK_USERSTR, "Remote control!"}, {FI_NWK_DTLIST, "09"},
                          {FI_NWK_PIDLIST, "01"}, {FI_NWK_REQDEVT, "0xFF"}}}))},
    // A vendor string of all its 7 characters ends there, whatever follows.
    {"discovery_response", CommandFrame({2, 0x00, 0xAB, 0x01, 0x00}).Text("ABCDEFG").U8(0x00).U8(200).U8('H'),
     CommandFields({{FI_NWK_CMD, "Discovery\nresponse"}, {FI_NWK_RESP_STATUS, "0x00"}, {FI_NWK_NODECAP, "0xab"},
                    {FI_NWK_VID, "0x1"}, {FI_NWK_VENDSTR, "ABCDEFG"}, {FI_NWK_APPCAP, "0x0"},
                    {FI_NWK_DR_LQI, "200"}, {FI_NWK_PAYLOAD, "48"}})},
    {"pair_request", CommandFrame({3, 0xFE, 0xFF, 0x0C}).Append(kVendor).U8(0x06).U8(1).U8(2).U8(3).U8(0x24),
     CommandFields(Join({{{FI_NWK_CMD, "Pair\nrequest"}, {FI_NWK_ADDR, "0xFFFE"}, {FI_NWK_NODECAP, "0x0c"}},
                         kVendorFields,
                         {{FI_NWK_APPCAP, "0x6"}, {FI_NWK_DTLIST, "01 02\n03   "}, {FI_NWK_KEYEXCH_TCNT, "0x24"}}}))},
    {"pair_response", CommandFrame({4, 0x1A, 0x34, 0x12, 0x05, 0x00, 0x01}).Append(kVendor).U8(0x70)
         .U8(1).U8(2).U8(3).U8(4).U8(5).U8(6).U8(7),
     CommandFields(Join({{{FI_NWK_CMD, "Pair\nrepsonse"}, {FI_NWK_RESP_STATUS, "0x1a"}, {FI_NWK_ALLOC_ADDR, "0x1234"},
                          {FI_NWK_ADDR, "0x5"}, {FI_NWK_NODECAP, "0x01"}},
                         kVendorFields,
                         {{FI_NWK_APPCAP, "0x70"}, {FI_NWK_PIDLIST, "01 02 03 04\n05 06 07   "}}}))},
    {"unpair_request", CommandFrame({5, 0xDE, 0xAD}),
     CommandFields({{FI_NWK_CMD, "Unpair\nrequest"}, {FI_NWK_PAYLOAD, "DE\nAD"}})},
    // The seed bytes after the sequence number end up in the payload dump.
    {"key_seed", CommandFrame({6, 0x0A, 0x11, 0x22, 0x33, 0x44}),
     CommandFields({{FI_NWK_CMD, "Key seed"}, {FI_NWK_SEED_SEQNO, "0x0a"}, {FI_NWK_PAYLOAD, "11 22\n33 44"}})},
    {"ping_request", CommandFrame({7, 0xC0, 0x01}),
     CommandFields({{FI_NWK_CMD, "Ping\request"}, {FI_NWK_PING_OPT, "0xc0"}, {FI_NWK_PAYLOAD, "01"}})},
    {"ping_response", CommandFrame({8, 0x0B}),
     CommandFields({{FI_NWK_CMD, "Ping\nresponse"}, {FI_NWK_PING_OPT, "0x0b"}})},
    {"command_0_is_reserved", CommandFrame({0, 0x01, 0x02}),
     CommandFields({{FI_NWK_CMD, "reserved(0x00)"}, {FI_NWK_PAYLOAD, "01\n02"}})},
    {"command_9_is_reserved", CommandFrame({9, 0x03}),
     CommandFields({{FI_NWK_CMD, "reserved(0x09)"}, {FI_NWK_PAYLOAD, "03"}})},
    {"command_ab_is_reserved", CommandFrame({0xAB}), CommandFields({{FI_NWK_CMD, "reserved(0xab)"}})},
    {"discovery_request_cut_after_capabilities", CommandFrame({1, 0x0F}),
     CommandFields({{FI_NWK_CMD, "Discovery\nrequest"}, {FI_NWK_NODECAP, "0x0f"}, {FI_NWK_VID, "<missing>"},
                    {FI_NWK_VENDSTR, "<missing>"}, {FI_NWK_APPCAP, "<missing>"}, {FI_NWK_REQDEVT, "<missing>"}})},
    {"vendor_string_cut", CommandFrame({1, 0x0F, 0xEF, 0x10}).Text("ACM"),
     CommandFields({{FI_NWK_CMD, "Discovery\nrequest"}, {FI_NWK_NODECAP, "0x0f"}, {FI_NWK_VID, "0x10EF"},
                    {FI_NWK_VENDSTR, "<missing>"}, {FI_NWK_APPCAP, "<missing>"}, {FI_NWK_REQDEVT, "<missing>"}})},
    {"user_string_and_lists_cut", CommandFrame({2, 0x00, 0x00}).Append(kVendor).U8(0x7F).Text("short"),
     CommandFields(Join({{{FI_NWK_CMD, "Discovery\nresponse"}, {FI_NWK_RESP_STATUS, "0x00"},
                          {FI_NWK_NODECAP, "0x00"}},
                         kVendorFields,
                         {{FI_NWK_APPCAP, "0x7F"}, {FI_NWK_USERSTR, "<missing>"}, {FI_NWK_DTLIST, "<missing>"},
                          {FI_NWK_PIDLIST, "<missing>"}, {FI_NWK_DR_LQI, "<missing>"}}}))},
    {"ping_cut", CommandFrame({7}), CommandFields({{FI_NWK_CMD, "Ping\request"}, {FI_NWK_PING_OPT, "<missing>"}})},
};

INSTANTIATE_TEST_SUITE_P(Command, TolvaneNwkFrame, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
