// The status bytes by chip: RSSI offset and unit, LQI rule, correlation, CRC.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "tests/plugin/fennet/FennetPlugins.h"
#include "tests/plugin/fennet/FennetRecord.h"
#include "tests/support/RadioCase.h"

using testsupport::Decoded;
using testsupport::FennetBuild;
using testsupport::FennetPlugin;
using testsupport::HexBytes;

namespace {

using testsupport::RadioCase;

class FennetRadio : public ::testing::TestWithParam<RadioCase> {};

} // namespace

TEST_P(FennetRadio, StatusBytes)
{
    const RadioCase& c = GetParam();
    auto frame = HexBytes("41 88 00 | 11223344 55667788 07 A5 7E | AA");
    if (!testsupport::HasMacHeader(c.chip))
        frame.erase(frame.begin(), frame.begin() + 3);
    frame.push_back(c.rssiByte);
    frame.push_back(c.statusByte);
    for (FennetBuild build : {FennetBuild::Debug, FennetBuild::Release}) {
        SCOPED_TRACE(testsupport::BuildName(build));
        auto& plugin = FennetPlugin(build);
        plugin.setChipType(c.chip);
        plugin.setProtocolVersion(1);
        auto record = testsupport::MakeFennetRecord(c.chip, 4, 0, frame);
        Decoded d = plugin.Decode(record, testsupport::CapturedFromDevice(record));
        EXPECT_EQ(d.data.status, PARSE_OK);
        EXPECT_EQ(d.data.rssi, c.rssi);
        EXPECT_EQ(d.Text(21), std::to_string(c.rssi));
        EXPECT_EQ(d.Text(20), c.lqi);
        EXPECT_EQ(d.data.correlation, c.correlation);
        EXPECT_EQ(d.data.infoFlags, c.infoFlags);
        EXPECT_EQ(d.Text(22), c.crc);
        EXPECT_EQ(d.data.crcOk, std::string(c.crc) == "OK" ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Chips, FennetRadio,
    ::testing::Values(
        // 802.15.4 chips: whole dB, LQI from the RSSI, correlation in the status byte.
        RadioCase{"lqi_6E7A", 0x6E7A, 0x00, 0xA0, -45, "107", 0x20, 0x03, "OK"},
        RadioCase{"lqi_6F48", 0x6F48, 0x00, 0x80, -76, "32", 0, 0x03, "OK"},
        RadioCase{"lqi_6F86_weakest_byte", 0x6F86, 0x80, 0xD5, -201, "0", 0x55, 0x03, "OK"},
        RadioCase{"lqi_6F86_strongest_byte", 0x6F86, 0x7F, 0x80, 54, "255", 0, 0x03, "OK"},
        RadioCase{"lqi_6F86_inside_range", 0x6F86, 0x21, 0x80, -40, "123", 0, 0x03, "OK"},
        RadioCase{"lqi_6F87_low_end", 0x6F87, 0xF2, 0x01, -87, "0", 1, 0x03, "ERR"},
        // LQI from the RSSI, but no correlation and no 802.15.4 header.
        RadioCase{"lqi_6F89_high_end", 0x6F89, 0x53, 0xFF, 10, "255", 0, 0x00, "OK"},
        // QZ6E7B's own code: half dB, offset 72, LQI from the status byte.
        RadioCase{"half_db_6E7B", 0x6E7B, 0xA0, 0x85, -120, "5", 0, 0x00, "OK"},
        // Whole dB with offset 102.
        RadioCase{"whole_db_3A5C", 0x3A5C, 0xA0, 0x80, -198, "0", 0, 0x00, "OK"},
        RadioCase{"whole_db_3A5D", 0x3A5D, 0xA0, 0x80, -198, "0", 0, 0x00, "OK"},
        RadioCase{"whole_db_3A5F", 0x3A5F, 0xA0, 0x80, -198, "0", 0, 0x00, "OK"},
        RadioCase{"whole_db_3B90", 0x3B90, 0xA0, 0x80, -198, "0", 0, 0x00, "OK"},
        RadioCase{"whole_db_3B91", 0x3B91, 0xA0, 0x80, -198, "0", 0, 0x00, "OK"},
        // Every other chip: half dB, truncated toward zero, offset 72.
        RadioCase{"half_db_3B92", 0x3B92, 0xA0, 0x80, -120, "0", 0, 0x00, "OK"},
        RadioCase{"half_db_default_raw_FF", 0, 0xFF, 0x7F, -72, "127", 0, 0x00, "ERR"},
        RadioCase{"half_db_6F1C_raw_81", 0x6F1C, 0x81, 0x85, -135, "5", 0, 0x00, "OK"},
        RadioCase{"half_db_6FB3_positive", 0x6FB3, 0x21, 0x00, -56, "0", 0, 0x00, "ERR"}),
    [](const auto& info) { return std::string(info.param.name); });
