#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/frame/TextDump.h"

namespace {

struct DumpCase {
    const char* name;
    std::vector<uint8_t> bytes;
    int32_t lines;
    std::string hex;
    std::string ascii;
};

void PrintTo(const DumpCase& c, std::ostream* os)
{
    *os << c.name;
}

class TextDumpCases : public ::testing::TestWithParam<DumpCase> {};

} // namespace

TEST_P(TextDumpCases, HexAndPrintable)
{
    const DumpCase& c = GetParam();
    const int32_t n = static_cast<int32_t>(c.bytes.size());

    // The stated length is exactly what is written: a guard byte right after stays.
    std::vector<char> hex(static_cast<size_t>(HexDumpLength(n, c.lines)) + 1, '#');
    FormatHexDump(hex.data(), c.bytes.data(), n, c.lines);
    EXPECT_EQ(std::string(hex.data()), c.hex);
    EXPECT_EQ(c.hex.size() + 1, hex.size() - 1);
    EXPECT_EQ(hex.back(), '#');

    std::vector<char> ascii(static_cast<size_t>(AsciiDumpLength(n, c.lines)) + 1, '#');
    FormatAsciiDump(ascii.data(), c.bytes.data(), n, c.lines);
    EXPECT_EQ(std::string(ascii.data()), c.ascii);
    EXPECT_EQ(c.ascii.size() + 1, ascii.size() - 1);
    EXPECT_EQ(ascii.back(), '#');
}

INSTANTIATE_TEST_SUITE_P(
    Dumps, TextDumpCases,
    ::testing::Values(
        DumpCase{"five_in_two_lines", {1, 2, 3, 4, 5}, 2, "01 02 03\n04 05   ", "***\n** "},
        DumpCase{"three_in_two_lines", {1, 2, 3}, 2, "01 02\n03   ", "**\n* "},
        DumpCase{"empty", {}, 2, "", ""},
        DumpCase{"one_byte", {0xAB}, 2, "AB", "*"},
        DumpCase{"even_split", {'a', 'b', 'c', 'd'}, 2, "61 62\n63 64", "ab\ncd"},
        // Four bytes asked in three lines fill two lines of two.
        DumpCase{"fewer_lines_than_asked", {'a', 'b', 'c', 'd'}, 3, "61 62\n63 64", "ab\ncd"},
        DumpCase{"one_line", {0x00, 0x7E, 0x20}, 1, "00 7E 20", "*~ "},
        DumpCase{"printable_mapping", {0x09, 0x00, 0x80, 0x1F, 0x7F, 0xFF, 0x20, 0x7E}, 1,
                 "09 00 80 1F 7F FF 20 7E", "\xAF***** ~"},
        DumpCase{"no_lines_means_one", {'x', 'y'}, 0, "78 79", "xy"}),
    [](const auto& info) { return std::string(info.param.name); });
