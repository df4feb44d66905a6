// MAC frames of every kind through the loaded plug-in: which fields each shows, with which
// texts, and the frame class it gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/tolvane/TolvaneTestPlugin.h"

using namespace testsupport;

namespace {

constexpr int32_t kCallersClass = 77; // a frame that sets no class leaves this

struct FrameCase {
    const char* name;
    std::vector<uint8_t> mac;
    std::vector<ExpectedField> fields;
    int32_t frameClass;
    int indent = 0;
};

void PrintTo(const FrameCase& c, std::ostream* os)
{
    *os << c.name;
}

class TolvaneMacFrame : public ::testing::TestWithParam<FrameCase> {};

TEST_P(TolvaneMacFrame, FieldsAndClass)
{
    const FrameCase& c = GetParam();
    PARSED_DATA before{};
    before.frameClass = kCallersClass;
    before.indent = 9;
    Decoded d = DecodeMac(c.mac, 0, &before);
    ASSERT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(FrameFields(d), Named(c.fields));
    EXPECT_EQ(d.data.frameClass, c.frameClass);
    EXPECT_EQ(d.data.indent, c.indent);
    EXPECT_EQ(d.data.fieldCount, d.fields.size());
}

uint16_t Fc(FrameControl fc)
{
    return fc.Value();
}

// The header of most cases: a data or command frame between short addresses of one PAN.
FrameBytes ShortHeader(int type, uint8_t seq = 0x2A)
{
    return FrameBytes()
        .U16(Fc({.type = type, .ackRequest = true, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2}))
        .U8(seq).U16(0x1234).U16(0xFFFF).U16(0x0001);
}

std::vector<ExpectedField> ShortHeaderFields(std::vector<ExpectedField> rest, const char* control = "0b01100001")
{
    std::vector<ExpectedField> fields = {{FI_FRM_CTR_FIELD, control},
                                         {FI_SEQ_NUMBER, "0x2A"},
                                         {FI_DEST_PANID, "0x1234"},
                                         {FI_DEST_ADDR, "0xFFFF"},
                                         {FI_SRC_ADDR, "0x0001"}};
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

const FrameCase kHeaderCases[] = {
    {"acknowledgement", FrameBytes().U16(0x0002).U8(0x07),
     {{FI_FRM_CTR_FIELD, "0b00000010"}, {FI_SEQ_NUMBER, "0x07"}}, 2, 1},
    {"data_short_addresses_compressed", ShortHeader(1),
     ShortHeaderFields({}), 1},
    {"data_extended_addresses_2006",
     FrameBytes().U16(Fc({.type = 1, .destinationMode = 3, .version = 1, .sourceMode = 3})).U8(0xFF)
         .U16(0xABCD).U64(0x0011223344556677).U16(0x1234).U64(0x8899AABBCCDDEEFF),
     {{FI_FRM_CTR_FIELD, "0b00000001"}, {FI_SEQ_NUMBER, "0xFF"}, {FI_DEST_PANID, "0xABCD"},
      {FI_DEST_ADDR, "0x0011223344556677"}, {FI_SRC_PANID, "0x1234"}, {FI_SRC_ADDR, "0x8899AABBCCDDEEFF"}},
     1},
    {"destination_only", FrameBytes().U16(Fc({.type = 1, .destinationMode = 2})).U8(0x00).U16(0x0102).U16(0x0304),
     {{FI_FRM_CTR_FIELD, "0b00000001"}, {FI_SEQ_NUMBER, "0x00"}, {FI_DEST_PANID, "0x0102"},
      {FI_DEST_ADDR, "0x0304"}},
     1},
    // Compression without a destination: the source PAN id is on air and shown.
    {"source_only_with_compression",
     FrameBytes().U16(Fc({.type = 1, .panIdCompression = true, .sourceMode = 2})).U8(0x01).U16(0x4321).U16(0x0042),
     {{FI_FRM_CTR_FIELD, "0b01000001"}, {FI_SEQ_NUMBER, "0x01"}, {FI_SRC_PANID, "0x4321"},
      {FI_SRC_ADDR, "0x0042"}},
     1},
    {"source_extended_without_compression",
     FrameBytes().U16(Fc({.type = 1, .destinationMode = 2, .sourceMode = 3})).U8(0x01).U16(0x0001).U16(0x0002)
         .U16(0x0003).U64(0x0000000000000004),
     {{FI_FRM_CTR_FIELD, "0b00000001"}, {FI_SEQ_NUMBER, "0x01"}, {FI_DEST_PANID, "0x0001"},
      {FI_DEST_ADDR, "0x0002"}, {FI_SRC_PANID, "0x0003"}, {FI_SRC_ADDR, "0x0000000000000004"}},
     1},
    // Mode 1 is reserved: a PAN id, no address.
    {"reserved_destination_mode", FrameBytes().U16(Fc({.type = 1, .destinationMode = 1})).U8(0x02).U16(0xBEEF),
     {{FI_FRM_CTR_FIELD, "0b00000001"}, {FI_SEQ_NUMBER, "0x02"}, {FI_DEST_PANID, "0xBEEF"}}, 1},
    {"frame_type_4_shows_header_only", ShortHeader(4).U8(0x99).U8(0x98),
     ShortHeaderFields({}, "0b01100100"), kCallersClass},
    {"frame_type_7_shows_header_only", FrameBytes().U16(0x0007).U8(0x2A).U8(0x11),
     {{FI_FRM_CTR_FIELD, "0b00000111"}, {FI_SEQ_NUMBER, "0x2A"}}, kCallersClass},
    {"data_frame_cut_in_its_header", FrameBytes().U16(Fc({.type = 1, .destinationMode = 3, .sourceMode = 3})).U8(0x03)
         .U16(0x0102).U16(0x0304),
     {{FI_FRM_CTR_FIELD, "0b00000001"}, {FI_SEQ_NUMBER, "0x03"}, {FI_DEST_PANID, "0x0102"},
      {FI_DEST_ADDR, "<missing>"}, {FI_SRC_PANID, "<missing>"}, {FI_SRC_ADDR, "<missing>"},
      {FI_MAC_NEG_PAYL_X, "Negative payload length!"}, {FI_MAC_NEG_PAYL_T, "Negative payload length!"}},
     1},
};

INSTANTIATE_TEST_SUITE_P(Header, TolvaneMacFrame, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& info) { return std::string(info.param.name); });

FrameBytes SecuredHeader(int type, int version, int srcMode = 2)
{
    return FrameBytes()
        .U16(Fc({.type = type, .security = true, .version = version, .sourceMode = srcMode}))
        .U8(0x10).U16(0x0001).U16(0x0002);
}

std::vector<ExpectedField> SecuredHeaderFields(const char* control, std::vector<ExpectedField> rest)
{
    std::vector<ExpectedField> fields = {{FI_FRM_CTR_FIELD, control},
                                         {FI_SEQ_NUMBER, "0x10"},
                                         {FI_SRC_PANID, "0x0001"},
                                         {FI_SRC_ADDR, "0x0002"}};
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

const FrameCase kSecuredCases[] = {
    // The 2003 format has no auxiliary security header.
    {"data_2003", SecuredHeader(1, 0).U32(0x04030201),
     SecuredHeaderFields("0b00001001", {{FI_ENC_MAC_DATA, "01 02\n03 04"}}), 1},
    {"command_2006_key_mode_0", SecuredHeader(3, 1).U8(0x05).U32(0x01020304).Fill(3, 0xEE),
     SecuredHeaderFields("0b00001011", {{FI_SECURITY_CONTROL, "0x05    0x00"}, {FI_FRAME_COUNTER, "0x01020304"},
                                        {FI_ENC_MAC_CMD, "EE EE\nEE   "}}),
     3},
    {"beacon_2006_key_mode_1", SecuredHeader(0, 1).U8(0x09).U32(1).U8(0x7F).U8(0xAB),
     SecuredHeaderFields("0b00001000", {{FI_SECURITY_CONTROL, "0x01    0x01"}, {FI_FRAME_COUNTER, "0x00000001"},
                                        {FI_KEY_IDENTIFIER, "    -              0x7F"}, {FI_ENC_MAC_BEACON, "AB"}}),
     0},
    {"data_2006_key_mode_2", SecuredHeader(1, 1).U8(0x16).U32(0xFFFFFFFF).U32(0xDEADBEEF).U8(0x03).U8(0x00),
     SecuredHeaderFields("0b00001001", {{FI_SECURITY_CONTROL, "0x06    0x02"}, {FI_FRAME_COUNTER, "0xFFFFFFFF"},
                                        {FI_KEY_IDENTIFIER, "0xDEADBEEF         0x03"}, {FI_ENC_MAC_DATA, "00"}}),
     1},
    {"data_2006_key_mode_3", SecuredHeader(1, 1).U8(0x1F).U32(2).U64(0x0102030405060708).U8(0xFE).U16(0x2211),
     SecuredHeaderFields("0b00001001", {{FI_SECURITY_CONTROL, "0x07    0x03"}, {FI_FRAME_COUNTER, "0x00000002"},
                                        {FI_KEY_IDENTIFIER, "0x0102030405060708 0xFE"}, {FI_ENC_MAC_DATA, "11\n22"}}),
     1},
    // A key identifier that the frame cannot hold: the payload length goes negative.
    {"data_2006_cut_in_key_identifier", SecuredHeader(1, 1).U8(0x18).U32(0x0A0B0C0D),
     SecuredHeaderFields("0b00001001", {{FI_SECURITY_CONTROL, "0x00    0x03"}, {FI_FRAME_COUNTER, "0x0A0B0C0D"},
                                        {FI_KEY_IDENTIFIER, "<missing>"},
                                        {FI_ENC_MAC_DATA_N, "Negative payload length!"}}),
     1},
    {"command_2006_cut_in_security_control", SecuredHeader(3, 1),
     SecuredHeaderFields("0b00001011", {{FI_SECURITY_CONTROL, "<missing>"}, {FI_FRAME_COUNTER, "<missing>"},
                                        {FI_ENC_MAC_CMD_N, "Negative payload length!"}}),
     3},
    {"beacon_2006_negative", SecuredHeader(0, 1).U8(0x00).U16(0x0000),
     SecuredHeaderFields("0b00001000", {{FI_SECURITY_CONTROL, "0x00    0x00"}, {FI_FRAME_COUNTER, "<missing>"},
                                        {FI_ENC_MAC_BEACON_N, "Negative payload length!"}}),
     0},
    // Version 2 frames carry no header that this decoder reads.
    {"data_version_2_without_auxiliary_header", SecuredHeader(1, 2).U16(0x2211),
     SecuredHeaderFields("0b00001001", {{FI_ENC_MAC_DATA, "11\n22"}}), 1},
    {"data_without_payload_sets_no_class", SecuredHeader(1, 0), SecuredHeaderFields("0b00001001", {}),
     kCallersClass},
    {"acknowledgement_gets_neither_class_nor_indent", FrameBytes().U16(0x000A).U8(0x10).U8(0x55),
     {{FI_FRM_CTR_FIELD, "0b00001010"}, {FI_SEQ_NUMBER, "0x10"}}, kCallersClass},
    {"type_5_shows_no_payload", SecuredHeader(5, 1).U8(0x00).U32(0).U8(0x33),
     SecuredHeaderFields("0b00001101", {{FI_SECURITY_CONTROL, "0x00    0x00"}, {FI_FRAME_COUNTER, "0x00000000"}}),
     kCallersClass},
};

INSTANTIATE_TEST_SUITE_P(Secured, TolvaneMacFrame, ::testing::ValuesIn(kSecuredCases),
                         [](const auto& info) { return std::string(info.param.name); });

FrameBytes BeaconHeader()
{
    return FrameBytes().U16(Fc({.type = 0, .sourceMode = 2})).U8(0x01).U16(0x1AAA).U16(0x0000);
}

std::vector<ExpectedField> BeaconFields(std::vector<ExpectedField> rest)
{
    std::vector<ExpectedField> fields = {{FI_FRM_CTR_FIELD, "0b00000000"},
                                         {FI_SEQ_NUMBER, "0x01"},
                                         {FI_SRC_PANID, "0x1AAA"},
                                         {FI_SRC_ADDR, "0x0000"}};
    fields.insert(fields.end(), rest.begin(), rest.end());
    return fields;
}

const FrameCase kBeaconCases[] = {
    {"payload", BeaconHeader().U16(0xCFFF).U8(0x00).U8(0x00).Text("AB\tC"),
     BeaconFields({{FI_SUPERFRAME, "15 15  15    0    1     1  "}, {FI_GTS_FIELD_T, " 0     0  "},
                   {FI_BEACON_PAYLOAD_X, "41 42\n09 43"}, {FI_BEACON_PAYLOAD_T, "AB\n\xAF" "C"}}),
     0},
    {"battery_life_extension_and_no_payload", BeaconHeader().U16(0x1234).U8(0x80).U8(0x00),
     BeaconFields({{FI_SUPERFRAME, "04 03  02    1    0     0  "}, {FI_GTS_FIELD_T, " 0     1  "}}), 0},
    // The list is padded to the width of its heading.
    {"two_gts_descriptors", BeaconHeader().U16(0x0000).U8(0x82).U8(0x01).U16(0x1234).U8(0x23).U16(0xABCD).U8(0x1F)
         .U8(0x00),
     BeaconFields({{FI_SUPERFRAME, "00 00  00    0    0     0  "},
                   {FI_GTS_FIELD_X, " 2     1   | 0b00000001 | 0x1234/3/2 0xABCD/15/1 "}}),
     0},
    {"seven_gts_descriptors_run_past_the_heading",
     BeaconHeader().U16(0x0000).U8(0x07).U8(0x7F)
         .U16(1).U8(0x11).U16(2).U8(0x12).U16(3).U8(0x13).U16(4).U8(0x14).U16(5).U8(0x15).U16(6).U8(0x16).U16(7)
         .U8(0x17).U8(0x00),
     BeaconFields({{FI_SUPERFRAME, "00 00  00    0    0     0  "},
                   {FI_GTS_FIELD_X, " 7     0   | 0b01111111 | 0x0001/1/1 0x0002/2/1 0x0003/3/1 0x0004/4/1"
                                    " 0x0005/5/1 0x0006/6/1 0x0007/7/1"}}),
     0},
    // At most seven addresses: the fifth extended one is left to the beacon payload.
    {"three_short_and_five_extended_pending", BeaconHeader().U16(0x0000).U8(0x00).U8(0x53).U16(1).U16(2).U16(3)
         .U64(0x1111111111111111).U64(0x2222222222222222).U64(0x3333333333333333).U64(0x4444444444444444)
         .Fill(8, 'U'),
     BeaconFields({{FI_SUPERFRAME, "00 00  00    0    0     0  "}, {FI_GTS_FIELD_T, " 0     0  "},
                   {FI_PENDING_ADDR, PadTo("Short: 0x0001 0x0002 0x0003", 80) +
                                         "\nExt: 0x1111111111111111 0x2222222222222222 0x3333333333333333 "
                                         "0x4444444444444444"},
                   {FI_BEACON_PAYLOAD_X, "55 55 55 55\n55 55 55 55"}, {FI_BEACON_PAYLOAD_T, "UUUU\nUUUU"}}),
     0},
    {"short_pending_only_pads_the_extended_line", BeaconHeader().U16(0x0000).U8(0x00).U8(0x02).U16(0xAAAA)
         .U16(0xBBBB),
     BeaconFields({{FI_SUPERFRAME, "00 00  00    0    0     0  "}, {FI_GTS_FIELD_T, " 0     0  "},
                   {FI_PENDING_ADDR, "Short: 0xAAAA 0xBBBB\n" + PadTo("Ext:", 20)}}),
     0},
    {"cut_before_the_superframe", FrameBytes().U16(0x0000).U8(0x01),
     {{FI_FRM_CTR_FIELD, "0b00000000"}, {FI_SEQ_NUMBER, "0x01"}, {FI_SUPERFRAME, "<missing>"},
      {FI_GTS_FIELD_T, "<missing>"}, {FI_PENDING_ADDR, "<missing>"},
      {FI_BEACON_PAYLOAD_X, "Negative payload length!"}, {FI_BEACON_PAYLOAD_T, "Negative payload length!"}},
     0},
    {"cut_in_the_gts_list", BeaconHeader().U16(0x0000).U8(0x03).U8(0x00).U16(0x0001),
     BeaconFields({{FI_SUPERFRAME, "00 00  00    0    0     0  "}, {FI_GTS_FIELD_X, "<missing>"},
                   {FI_PENDING_ADDR, "<missing>"}, {FI_BEACON_PAYLOAD_X, "Negative payload length!"},
                   {FI_BEACON_PAYLOAD_T, "Negative payload length!"}}),
     0},
    {"cut_in_the_pending_list", BeaconHeader().U16(0x0000).U8(0x00).U8(0x10).U32(0),
     BeaconFields({{FI_SUPERFRAME, "00 00  00    0    0     0  "}, {FI_GTS_FIELD_T, " 0     0  "},
                   {FI_PENDING_ADDR, "<missing>"}, {FI_BEACON_PAYLOAD_X, "Negative payload length!"},
                   {FI_BEACON_PAYLOAD_T, "Negative payload length!"}}),
     0},
};

INSTANTIATE_TEST_SUITE_P(Beacon, TolvaneMacFrame, ::testing::ValuesIn(kBeaconCases),
                         [](const auto& info) { return std::string(info.param.name); });

FrameBytes Command(std::vector<uint8_t> bytes)
{
    return ShortHeader(3).Append(bytes);
}

std::vector<ExpectedField> CommandFields(int32_t id, const char* text)
{
    return ShortHeaderFields({{id, text}}, "0b01100011");
}

const FrameCase kCommandCases[] = {
    {"association_request", Command({1, 0x8E}),
     CommandFields(FI_CMD_ASSOC_REQ, "    0      1    1      1     0       1    "), 3},
    {"association_request_all_bits", Command({1, 0xFF}),
     CommandFields(FI_CMD_ASSOC_REQ, "    1      1    1      1     1       1    "), 3},
    {"association_response_successful", Command({2, 0x78, 0x56, 0}),
     CommandFields(FI_CMD_ASSOC_RES, "  0x5678   Successful   "), 3},
    {"association_response_at_capacity", Command({2, 0x01, 0x00, 1}),
     CommandFields(FI_CMD_ASSOC_RES, "  0x0001   At capacity  "), 3},
    {"association_response_access_denied", Command({2, 0xFE, 0xFF, 2}),
     CommandFields(FI_CMD_ASSOC_RES, "  0xFFFE   Access denied"), 3},
    {"association_response_unknown_status", Command({2, 0x00, 0x00, 0x80}),
     CommandFields(FI_CMD_ASSOC_RES, "  0x0000   Unknown value"), 3},
    {"disassociation_by_coordinator", Command({3, 1}),
     CommandFields(FI_CMD_DISASSOC_NOT, "Coordinator wishes device to leave"), 3},
    {"disassociation_by_device", Command({3, 2}), CommandFields(FI_CMD_DISASSOC_NOT, "Device wishes to leave"), 3},
    {"disassociation_unknown_reason", Command({3, 0}), CommandFields(FI_CMD_DISASSOC_NOT, "Unknown value"), 3},
    {"data_request", Command({4}), CommandFields(FI_CMD_DATA_REQ, nullptr), 3},
    {"pan_id_conflict", Command({5}), CommandFields(FI_CMD_PAN_CONFLICT, nullptr), 3},
    {"orphan_notification", Command({6}), CommandFields(FI_CMD_ORPHAN_NOT, nullptr), 3},
    {"beacon_request", Command({7}), CommandFields(FI_CMD_BEACON_REQ, nullptr), 3},
    {"realignment_without_channel_page", Command({8, 0x34, 0x12, 0x00, 0x00, 0x0B, 0xFE, 0xFF}),
     CommandFields(FI_CMD_CRD_REALIGN1, "0x1234   0x0000       0x0B          0xFFFE  "), 3},
    {"realignment_with_channel_page", Command({8, 0x34, 0x12, 0x00, 0x00, 0x0B, 0xFE, 0xFF, 0x02}),
     CommandFields(FI_CMD_CRD_REALIGN2, "0x1234   0x0000       0x0B          0xFFFE    0x02"), 3},
    {"gts_request_receive_allocate", Command({9, 0x34}), CommandFields(FI_CMD_GTS_REQ, "  04    RX only  Alloc  "),
     3},
    {"gts_request_transmit_deallocate", Command({9, 0x0F}),
     CommandFields(FI_CMD_GTS_REQ, "  15    TX only  Dealloc"), 3},
    {"unknown_command", Command({0x0A, 1, 2}), CommandFields(FI_CMD_UNKNOWN, "0x0A"), 3},
    {"command_id_0", Command({0x00}), CommandFields(FI_CMD_UNKNOWN, "0x00"), 3},
    {"cut_before_the_command_id", Command({}), CommandFields(FI_CMD_UNKNOWN, "<missing>"), 3},
    {"association_request_cut", Command({1}), CommandFields(FI_CMD_ASSOC_REQ, "<missing>"), 3},
    {"association_response_cut", Command({2, 0x78, 0x56}), CommandFields(FI_CMD_ASSOC_RES, "<missing>"), 3},
    {"disassociation_cut", Command({3}), CommandFields(FI_CMD_DISASSOC_NOT, "<missing>"), 3},
    {"realignment_cut", Command({8, 0x34, 0x12, 0x00, 0x00, 0x0B, 0xFE}),
     CommandFields(FI_CMD_CRD_REALIGN1, "<missing>"), 3},
    {"gts_request_cut", Command({9}), CommandFields(FI_CMD_GTS_REQ, "<missing>"), 3},
};

INSTANTIATE_TEST_SUITE_P(Command, TolvaneMacFrame, ::testing::ValuesIn(kCommandCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
