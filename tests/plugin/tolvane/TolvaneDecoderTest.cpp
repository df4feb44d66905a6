// The 802.15.4 plug-in's record-level rules through the loaded library: exports and field
// names, length and captured-length rules, status bytes by chip, transmitted packets, time
// and the field-buffer capacity.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/plugin/tolvane/TolvaneTestPlugin.h"

using namespace testsupport;

namespace {

// A data frame with short addresses and a network frame in its payload.
std::vector<uint8_t> DataFrame()
{
    return FrameBytes()
        .U16(FrameControl{.type = 1, .ackRequest = true, .panIdCompression = true, .destinationMode = 2,
                          .sourceMode = 2}.Value())
        .U8(0x2A).U16(0x1234).U16(0xFFFF).U16(0x0001)
        .U8(0x49).U32(0x00000102).U8(0xC0).U8(1).U8(2).U8(3);
}

const std::vector<uint8_t> kAcknowledgement = {0x02, 0x00, 0x07};

TEST(TolvaneExports, SettersReturnTheirArgument)
{
    EXPECT_EQ(Tolvane().setPacketLength(4321), 4321);
    EXPECT_EQ(Tolvane().setProtocolVersion(2), 2);
    EXPECT_EQ(Tolvane().setChipType(0x6F48), 0x6F48);
    EXPECT_EQ(Tolvane().setChipType(0), 0);
}

TEST(TolvaneExports, FieldIndexTableNamesEveryIdInOrder)
{
    const char* const* names = TolvaneFieldNames();
    ASSERT_NE(names, nullptr);
    int count = 0;
    while (names[count] != nullptr)
        ++count;
    EXPECT_EQ(count, 67);
    const std::vector<std::pair<int, std::string>> spots = {
        {0, "FI_PACKET_NBR"},    {3, "FI_LENGTH"},          {12, "FI_KEY_IDENTIFIER"}, {19, "FI_SUPERFRAME"},
        {29, "FI_CMD_ASSOC_REQ"}, {39, "FI_CMD_UNKNOWN"},    {40, "FI_LQI"},            {41, "FI_RSSI"},
        {42, "FI_FCS"},          {43, "FI_BUF_OVERFLOW"},   {44, "FI_PACKET_NBR_TX"},  {45, "FI_NWK_FCF"},
        {58, "FI_NWK_DR_LQI"},   {66, "FI_NWK_ENC_PAYLOAD"}};
    for (const auto& [id, name] : spots)
        EXPECT_STREQ(names[id], name.c_str()) << "id " << id;
}

TEST(TolvaneFields, DataFrameWithNetworkFrame)
{
    auto record = MakeMacRecord(1, 64000, DataFrame(), 0xE0, 0x85, 160);
    Tolvane().setChipType(0);
    Decoded d = Tolvane().Decode(record, MacLength(record));
    const std::vector<ExpectedField> expected = {
        {FI_PACKET_NBR, "RX\n1"},        {FI_TIMESTAMP_US, "+0\n=0"},       {FI_TIMESTAMP_MS, "+0\n=0"},
        {FI_LENGTH, "20"},               {FI_FRM_CTR_FIELD, "0b01100001"},  {FI_SEQ_NUMBER, "0x2A"},
        {FI_DEST_PANID, "0x1234"},       {FI_DEST_ADDR, "0xFFFF"},          {FI_SRC_ADDR, "0x0001"},
        {FI_NWK_FCF, "SDATA  0   1  CH15"}, {FI_NWK_COUNTER, "0x00000102"}, {FI_NWK_PID, "0xC0"},
        {FI_NWK_PAYLOAD, "01 02\n03   "}, {FI_LQI, "21"},                  {FI_RSSI, "-77"},
        {FI_FCS, "OK"}};
    std::vector<NamedField> all;
    for (const DecodedField& f : d.fields)
        all.push_back({FieldName(f.id), f.hasText, f.text});
    EXPECT_EQ(all, Named(expected));
    EXPECT_EQ(d.data.packetNumber, 1u);
    EXPECT_EQ(d.data.time, 2000u);
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.data.frameClass, 4);
    EXPECT_EQ(d.data.indent, 0);
    EXPECT_EQ(d.data.frameLength, 20);
    EXPECT_EQ(d.data.rssi, -77);
    EXPECT_EQ(d.data.crcOk, 1);
    EXPECT_EQ(d.data.correlation, 5);
    EXPECT_EQ(d.data.infoFlags, 0x03);
    EXPECT_EQ(d.data.fieldCount, expected.size());
    int32_t bytes = 0;
    for (const DecodedField& f : d.fields)
        bytes += 8 + static_cast<int32_t>(f.text.size()) + 1;
    EXPECT_EQ(d.data.bytesUsed, bytes);
}

struct LengthCase {
    const char* name;
    uint8_t lengthByte;
    size_t macBytesPresent; // bytes after the length byte that the record holds
    int captured;
    int32_t status;
    int infoFlags;
    int fieldCount;
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.name;
}

class TolvaneLength : public ::testing::TestWithParam<LengthCase> {};

TEST_P(TolvaneLength, LengthRules)
{
    const LengthCase& c = GetParam();
    // An acknowledgement and then bytes of a longer frame: the length decides what is read.
    std::vector<uint8_t> record(kRawPacketHeaderSize + 1 + c.macBytesPresent, 0);
    WriteRawPacketHeader(record.data(), RAW_PACKET_REC{2, 0, static_cast<uint16_t>(1 + c.macBytesPresent)});
    record[kRawPacketHeaderSize] = c.lengthByte;
    const uint8_t frame[] = {0x02, 0x00, 0x07, 0xE0, 0x85};
    for (size_t i = 0; i < c.macBytesPresent; ++i)
        record[kRawPacketHeaderSize + 1 + i] = i < sizeof frame ? frame[i] : 0x81;
    PARSED_DATA before{};
    before.rssi = 99;
    before.crcOk = 7;
    before.noticesWaiting = 5;
    Tolvane().setChipType(0);
    Decoded d = Tolvane().Decode(record, c.captured, 4096, 1.0, &before);
    EXPECT_EQ(d.data.status, c.status);
    EXPECT_EQ(d.data.infoFlags, c.infoFlags);
    EXPECT_EQ(d.data.frameLength, c.lengthByte & 0x7F);
    EXPECT_EQ(d.Text(FI_LENGTH), std::to_string(c.lengthByte & 0x7F));
    EXPECT_EQ(d.data.fieldCount, c.fieldCount);
    if (c.status == PARSE_INVALID_LENGTH) {
        EXPECT_EQ(d.Ids(), (std::vector<int32_t>{FI_PACKET_NBR, FI_TIMESTAMP_US, FI_TIMESTAMP_MS, FI_LENGTH}));
        EXPECT_EQ(d.data.rssi, 99);
        EXPECT_EQ(d.data.crcOk, 7);
        EXPECT_EQ(d.data.noticesWaiting, 5);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TolvaneLength,
    ::testing::Values(
        LengthCase{"acknowledgement", 5, 5, 5, PARSE_OK, 0x03, 9},
        LengthCase{"bit_7_is_not_length", 0x85, 5, 5, PARSE_OK, 0x03, 9},
        LengthCase{"captured_unknown", 5, 5, 0, PARSE_OK, 0x07, 9},
        LengthCase{"captured_longer_than_frame", 5, 5, 16, PARSE_OK, 0x03, 9},
        // Clipped to what arrived: the first five bytes are a whole acknowledgement.
        LengthCase{"clipped_to_captured", 40, 5, 5, PARSE_OK, 0x07, 9},
        LengthCase{"four_bytes", 4, 4, 4, PARSE_INVALID_LENGTH, 0x01, 4},
        LengthCase{"zero_bytes", 0, 0, 0, PARSE_INVALID_LENGTH, 0x05, 4},
        LengthCase{"clipped_to_four", 20, 4, 4, PARSE_INVALID_LENGTH, 0x05, 4},
        LengthCase{"negative_captured", 20, 0, -3, PARSE_INVALID_LENGTH, 0x05, 4},
        LengthCase{"longest", 127, 127, 127, PARSE_OK, 0x03, 9}),
    [](const auto& info) { return std::string(info.param.name); });

struct RadioCase {
    const char* name;
    int chip;
    uint8_t rssiByte;
    uint8_t statusByte;
    const char* rssi;
    const char* lqi;
    const char* fcs;
    uint16_t correlation;
};

void PrintTo(const RadioCase& c, std::ostream* os)
{
    *os << c.name;
}

class TolvaneRadio : public ::testing::TestWithParam<RadioCase> {};

TEST_P(TolvaneRadio, StatusBytes)
{
    const RadioCase& c = GetParam();
    Decoded d = DecodeMac(kAcknowledgement, c.chip, nullptr, c.rssiByte, c.statusByte);
    EXPECT_EQ(d.Ids(), (std::vector<int32_t>{FI_PACKET_NBR, FI_TIMESTAMP_US, FI_TIMESTAMP_MS, FI_LENGTH,
                                             FI_FRM_CTR_FIELD, FI_SEQ_NUMBER, FI_LQI, FI_RSSI, FI_FCS}));
    EXPECT_EQ(d.Text(FI_RSSI), c.rssi);
    EXPECT_EQ(d.data.rssi, std::stoi(c.rssi));
    EXPECT_EQ(d.Text(FI_LQI), c.lqi);
    EXPECT_EQ(d.Text(FI_FCS), c.fcs);
    EXPECT_EQ(d.data.crcOk, std::string(c.fcs) == "OK" ? 1 : 0);
    EXPECT_EQ(d.data.correlation, c.correlation);
    EXPECT_EQ(d.data.infoFlags & INFO_CORRELATION_VALID, INFO_CORRELATION_VALID);
}

INSTANTIATE_TEST_SUITE_P(
    Chips, TolvaneRadio,
    ::testing::Values(
        // Offset 45, LQI over -85..10.
        RadioCase{"default_chip", 0, 0xE0, 0x85, "-77", "21", "OK", 5},
        RadioCase{"chip_6E7A_range_top", 0x6E7A, 55, 0xFF, "10", "255", "OK", 0x7F},
        RadioCase{"chip_6F1C_range_bottom", 0x6F1C, 0xD8, 0x00, "-85", "0", "ERR", 0},
        // The difference is taken in 8 bits and then read as signed.
        RadioCase{"default_chip_weak", 0, 0x10, 0x80, "-29", "150", "OK", 0},
        RadioCase{"default_chip_raw_byte_above_7F", 0, 0x90, 0x80, "99", "255", "OK", 0},
        RadioCase{"chip_6F48", 0x6F48, 0x30, 0x81, "-28", "162", "OK", 1},
        RadioCase{"chip_6F48_below_range", 0x6F48, 0xE0, 0x80, "-108", "0", "OK", 0},
        RadioCase{"chip_6F86", 0x6F86, 0x21, 0x7F, "-40", "123", "ERR", 0x7F},
        RadioCase{"chip_6F87", 0x6F87, 0x21, 0x80, "-40", "123", "OK", 0},
        RadioCase{"chip_6F89_above_range", 0x6F89, 0x60, 0x80, "23", "255", "OK", 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct TransmitCase {
    const char* name;
    int chip;
    uint8_t rssiByte;
    int32_t firstId;
    const char* firstText;
    const char* rssi;
};

void PrintTo(const TransmitCase& c, std::ostream* os)
{
    *os << c.name;
}

class TolvaneTransmitted : public ::testing::TestWithParam<TransmitCase> {};

TEST_P(TolvaneTransmitted, FirstRecordMarksTransmittedPackets)
{
    const TransmitCase& c = GetParam();
    Tolvane().setChipType(c.chip);
    auto record = MakeMacRecord(1234, 0, kAcknowledgement, c.rssiByte, 0x80);
    Decoded d = Tolvane().Decode(record, MacLength(record));
    ASSERT_FALSE(d.fields.empty());
    EXPECT_EQ(d.fields[0].id, c.firstId);
    EXPECT_EQ(d.fields[0].text, c.firstText);
    EXPECT_EQ(d.Text(FI_RSSI), c.rssi);
    EXPECT_EQ(d.data.packetNumber, 1234u);
}

INSTANTIATE_TEST_SUITE_P(
    RssiByte, TolvaneTransmitted,
    ::testing::Values(TransmitCase{"received", 0x6F86, 0x81, FI_PACKET_NBR, "RX\n1234", "56"},
                      TransmitCase{"transmitted_6F86", 0x6F86, 0x80, FI_PACKET_NBR_TX, "TX\n1234", "55"},
                      TransmitCase{"transmitted_default_chip", 0, 0x80, FI_PACKET_NBR_TX, "TX\n1234", "83"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TolvaneTransmitted, NoFirstRecordToMarkInAnEmptyBuffer)
{
    Tolvane().setChipType(0);
    auto record = MakeMacRecord(1, 0, kAcknowledgement, 0x80, 0x80);
    Decoded d = Tolvane().Decode(record, MacLength(record), 0);
    EXPECT_EQ(d.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_TRUE(d.fields.empty());
    EXPECT_EQ(d.data.fieldCount, 9);
}

struct DivisorCase {
    int chip;
    uint64_t divisor;
};

void PrintTo(const DivisorCase& c, std::ostream* os)
{
    *os << "chip 0x" << std::hex << c.chip;
}

class TolvaneDivisor : public ::testing::TestWithParam<DivisorCase> {};

TEST_P(TolvaneDivisor, TicksPerMicrosecond)
{
    const DivisorCase& c = GetParam();
    Tolvane().setChipType(c.chip);
    const uint64_t ticks = 24ull * 32 * 1000 + 17;
    auto record = MakeMacRecord(1, ticks, kAcknowledgement, 0, 0x80);
    EXPECT_EQ(Tolvane().Decode(record, MacLength(record)).data.time, ticks / c.divisor);
}

// Only QZ6F48 counts 24 ticks a microsecond here; the chips with clocks of their own elsewhere do not.
INSTANTIATE_TEST_SUITE_P(Chips, TolvaneDivisor,
                         ::testing::Values(DivisorCase{0x6F48, 24}, DivisorCase{0, 32}, DivisorCase{0x6F86, 32},
                                           DivisorCase{0x6F1C, 32}, DivisorCase{0x6F1D, 32},
                                           DivisorCase{0x3A02, 32}),
                         [](const auto& info) { return "chip_" + std::to_string(info.param.chip); });

TEST(TolvaneTime, DistancesToPreviousAndFirstPacket)
{
    Tolvane().setChipType(0);
    struct Step {
        uint32_t number;
        uint64_t ticks;
        const char* us;
        const char* ms;
    };
    const Step steps[] = {{1, 32000, "+0\n=0", "+0\n=0"}, {2, 3232000, "+100000\n=100000", "+100\n=100"}};
    for (const Step& s : steps) {
        auto record = MakeMacRecord(s.number, s.ticks, kAcknowledgement, 0, 0x80);
        Decoded d = Tolvane().Decode(record, MacLength(record));
        EXPECT_EQ(d.Text(FI_TIMESTAMP_US), s.us);
        EXPECT_EQ(d.Text(FI_TIMESTAMP_MS), s.ms);
    }
}

TEST(TolvaneClass, AcknowledgementIndentsAndOtherFramesDoNot)
{
    PARSED_DATA before{};
    before.indent = 3;
    EXPECT_EQ(DecodeMac(kAcknowledgement, 0, &before).data.indent, 1);
    EXPECT_EQ(DecodeMac(DataFrame(), 0, &before).data.indent, 0);
}

TEST(TolvaneCapacity, ExactFitAndOneByteShort)
{
    Decoded full = DecodeMac(DataFrame());
    ASSERT_EQ(full.data.status, PARSE_OK);
    const int32_t needed = full.data.bytesUsed;

    Decoded exact = DecodeMac(DataFrame(), 0, nullptr, 0xE0, 0x85, needed);
    EXPECT_EQ(exact.data.status, PARSE_OK);
    EXPECT_EQ(exact.fields, full.fields);

    Decoded shortBy1 = DecodeMac(DataFrame(), 0, nullptr, 0xE0, 0x85, needed - 1);
    EXPECT_EQ(shortBy1.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(shortBy1.data.fieldCount, full.data.fieldCount);
    EXPECT_EQ(shortBy1.data.bytesUsed, needed);
    ASSERT_EQ(shortBy1.fields.size(), full.fields.size() - 1);
    EXPECT_TRUE(std::equal(shortBy1.fields.begin(), shortBy1.fields.end(), full.fields.begin()));
    // Decoding went on to the status bytes; with a full buffer no notices are reported.
    EXPECT_EQ(shortBy1.data.crcOk, 1);
    EXPECT_EQ(shortBy1.data.noticesWaiting, 0);
}

TEST(TolvaneCapacity, TransmittedMarkKeepsTheRecordsThatFit)
{
    Tolvane().setChipType(0);
    auto record = MakeMacRecord(7, 0, DataFrame(), 0x80, 0x80);
    Decoded full = Tolvane().Decode(record, MacLength(record));
    // Room for the packet number only.
    const int32_t first = 8 + static_cast<int32_t>(full.fields[0].text.size()) + 1;
    Decoded d = Tolvane().Decode(record, MacLength(record), first);
    ASSERT_EQ(d.fields.size(), 1u);
    EXPECT_EQ(d.fields[0].id, FI_PACKET_NBR_TX);
    EXPECT_EQ(d.fields[0].text, "TX\n7");
    EXPECT_EQ(d.data.status, PARSE_FIELD_BUFFER_FULL);
}

} // namespace
