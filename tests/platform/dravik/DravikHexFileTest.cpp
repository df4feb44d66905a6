#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "platform/dravik/DravikHexFile.h"
#include "tests/support/IntelHexText.h"
#include "tests/support/TempFolder.h"

namespace {

using testsupport::kHexEndRecord;

std::string Record(uint8_t type, uint16_t offset, const std::vector<uint8_t>& data)
{
    return testsupport::HexRecordLine(type, offset, data);
}

const std::string kEnd = kHexEndRecord;

struct HexCase {
    const char* name;
    int kind;
    std::string text;
    int result;
    int errorLine;
    std::vector<std::pair<uint32_t, uint8_t>> bytes; // address, value after reading
};

void PrintTo(const HexCase& c, std::ostream* os)
{
    *os << c.name;
}

class HexFileCases : public ::testing::TestWithParam<HexCase> {};

} // namespace

TEST_P(HexFileCases, Reads)
{
    const HexCase& c = GetParam();
    auto image = DravikHexFile::Create(c.kind);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->ReadHexText(c.text), c.result);
    EXPECT_EQ(image->ErrorLine(), c.errorLine);
    for (const auto& [address, value] : c.bytes)
        EXPECT_EQ(image->Byte(address), value) << std::hex << address;
}

INSTANTIATE_TEST_SUITE_P(
    Records, HexFileCases,
    ::testing::Values(
        HexCase{"data_and_end", 10, Record(0, 0x0100, {1, 2, 3}) + kEnd, 3, 0,
                {{0x100, 1}, {0x102, 3}, {0x103, 0xFF}, {0, 0xFF}}},
        HexCase{"lower_case_digits", 10, ":01001000ab44\n" + kEnd, 1, 0, {{0x10, 0xAB}}},
        HexCase{"crlf_and_blank_lines", 10, "\r\n:01001000AB44\r\n\r\n:00000001FF\r\n", 1, 0, {{0x10, 0xAB}}},
        HexCase{"blank_inside_a_record", 10, ":01001000A B44\n" + kEnd, DravikHexFile::kBadRecord, 1, {}},
        HexCase{"extended_linear_address", 11, Record(4, 0, {0x00, 0x02}) + Record(0, 0x0010, {0x5A}) + kEnd, 1, 0,
                {{0x20010, 0x5A}, {0x10, 0xFF}}},
        HexCase{"extended_segment_address", 11, Record(2, 0, {0x10, 0x00}) + Record(0, 0x0004, {0x77}) + kEnd, 1, 0,
                {{0x10004, 0x77}}},
        HexCase{"outside_small_image", 10, Record(4, 0, {0x00, 0x01}) + Record(0, 0, {1}) + kEnd,
                DravikHexFile::kOutsideImage, 2, {}},
        HexCase{"last_byte_of_small_image", 10, Record(0, 0x7FFF, {0x42}) + kEnd, 1, 0, {{0x7FFF, 0x42}}},
        HexCase{"record_crossing_the_end", 10, Record(0, 0x7FFF, {1, 2}) + kEnd, DravikHexFile::kOutsideImage, 1, {}},
        HexCase{"start_addresses_ignored", 10,
                Record(3, 0, {0, 0, 0, 0}) + Record(5, 0, {0, 0, 1, 0}) + Record(0, 0, {9}) + kEnd, 1, 0, {{0, 9}}},
        HexCase{"data_after_end_ignored", 10, Record(0, 0, {9}) + kEnd + Record(0, 1, {8}), 1, 0,
                {{0, 9}, {1, 0xFF}}},
        HexCase{"bad_checksum", 10, Record(0, 0, {1}) + ":0100010002FD\n" + kEnd, DravikHexFile::kBadRecord, 2,
                {{0, 0xFF}}},
        HexCase{"length_disagrees", 10, ":0200000001FD\n" + kEnd, DravikHexFile::kBadRecord, 1, {}},
        HexCase{"no_colon", 10, "0100000001FE\n" + kEnd, DravikHexFile::kBadRecord, 1, {}},
        HexCase{"odd_digits", 10, ":0100000001FE0\n" + kEnd, DravikHexFile::kBadRecord, 1, {}},
        HexCase{"not_hex", 10, ":01000000G1FE\n" + kEnd, DravikHexFile::kBadRecord, 1, {}},
        HexCase{"too_short", 10, ":00\n", DravikHexFile::kBadRecord, 1, {}},
        HexCase{"unknown_type", 10, Record(6, 0, {}) + kEnd, DravikHexFile::kBadRecord, 1, {}},
        HexCase{"end_with_data", 10, Record(1, 0, {1}), DravikHexFile::kBadRecord, 1, {}},
        HexCase{"no_end_record", 10, Record(0, 0, {1}), DravikHexFile::kNoEndRecord, 1, {{0, 0xFF}}},
        HexCase{"only_end", 10, kEnd, DravikHexFile::kNoData, 1, {}},
        HexCase{"empty_text", 10, "", DravikHexFile::kNoEndRecord, 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HexFile, Kinds)
{
    EXPECT_EQ(DravikHexFile::Create(10)->Size(), 32u * 1024);
    EXPECT_EQ(DravikHexFile::Create(11)->Size(), 256u * 1024);
    EXPECT_EQ(DravikHexFile::Create(12), nullptr);
    EXPECT_EQ(DravikHexFile::Create(0), nullptr);
}

TEST(HexFile, RevisionRecordFromARealFile)
{
    testsupport::TempFolder folder;
    // A pointer at 0x1896 to the firmware id and revision, little-endian.
    const std::string text = Record(0, 0x1896, {0x00, 0x20}) + Record(0, 0x2000, {0x34, 0x12, 0x07, 0x01}) + kEnd;
    const std::string path = folder.Write("fw.hex", text);
    auto image = DravikHexFile::Create(10);
    ASSERT_EQ(image->ReadHexFile(path), 6);
    const uint16_t pointer = image->Word(0x1896);
    EXPECT_EQ(pointer, 0x2000);
    EXPECT_EQ(image->Word(pointer), 0x1234);
    EXPECT_EQ(image->Word(pointer + 2), 0x0107);
    EXPECT_EQ(image->Word(0x7FFF), 0xFFFF);

    EXPECT_EQ(image->ReadHexFile(folder / "missing.hex"), DravikHexFile::kCannotOpen);
    EXPECT_EQ(image->Byte(0x2000), 0xFF);
}
