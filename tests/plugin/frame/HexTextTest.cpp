#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include "plugin/frame/HexText.h"

namespace {

enum class Parser { Byte, U16, U32, U64 };

struct HexCase {
    const char* name;
    const char* text;
    Parser parser;
    uint64_t value;
};

void PrintTo(const HexCase& c, std::ostream* os)
{
    *os << c.name;
}

uint64_t Parse(Parser parser, const char* text)
{
    switch (parser) {
    case Parser::Byte: return HexStrToByte(text);
    case Parser::U16: return HexStrToU16(text);
    case Parser::U32: return HexStrToU32(text);
    case Parser::U64: return HexStrToU64(text);
    }
    return 0;
}

class HexTextCases : public ::testing::TestWithParam<HexCase> {};

} // namespace

TEST_P(HexTextCases, Value)
{
    const HexCase& c = GetParam();
    EXPECT_EQ(Parse(c.parser, c.text), c.value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Parsers, HexTextCases,
    ::testing::Values(
        HexCase{"byte_after_first_x", "name X1f", Parser::Byte, 0x1F},
        HexCase{"byte_anything_before_x", "zz0x1f", Parser::Byte, 0x1F},
        HexCase{"byte_three_digits_keep_low_byte", "0x1FF", Parser::Byte, 0xFF},
        HexCase{"byte_fourth_digit_not_read", "0x1234", Parser::Byte, 0x23},
        HexCase{"u16_plain", "0xBEEF", Parser::U16, 0xBEEF},
        HexCase{"u16_fifth_digit_not_read", "0x12345", Parser::U16, 0x1234},
        HexCase{"u32_plain", "0x0000ABCD", Parser::U32, 0xABCD},
        HexCase{"u32_short", "0x7", Parser::U32, 7},
        HexCase{"stops_at_non_digit", "0x12G4", Parser::U32, 0x12},
        HexCase{"stops_at_blank", "0x12 34", Parser::U32, 0x12},
        // Shifts of 36 and 32 bits fold onto bits 4 and 0.
        HexCase{"u32_ten_digits_fold", "0x1234567890", Parser::U32, 0x345678A2},
        HexCase{"u32_eleventh_digit_not_read", "0x12345678901", Parser::U32, 0x345678A2},
        // '*' .. '?' count as their low four bits.
        HexCase{"punctuation_digits", "0x:;<=>?", Parser::U32, 0xABCDEF},
        HexCase{"star_plus_comma", "0x*+,", Parser::U16, 0xABC},
        HexCase{"no_x_at_all", "12345678", Parser::U32, 0},
        HexCase{"empty_text", "", Parser::U64, 0},
        HexCase{"nothing_after_x", "0x", Parser::U32, 0},
        HexCase{"no_digit_after_x", "0xq1", Parser::U16, 0},
        HexCase{"upper_case_x", "0X00C0FFEE", Parser::U32, 0xC0FFEE},
        HexCase{"u64_sixteen_digits", "0x0123456789ABCDEF", Parser::U64, 0x0123456789ABCDEFull},
        HexCase{"u64_seventeenth_not_read", "0xFEDCBA98765432101", Parser::U64,
                0xFEDCBA9876543210ull},
        HexCase{"u64_short", "0x1F", Parser::U64, 0x1F}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HexText, ReadsBackWhatPrintfWrote)
{
    for (uint32_t value : {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xDEADBEEFu, 0xFFFFFFFFu}) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%8.8X", value);
        EXPECT_EQ(HexStrToU32(text), value) << text;
    }
}

TEST(HexText, DigitsReportHowManyWereRead)
{
    uint8_t digits[16] = {};
    int count = 4;
    HexStrToDigits("0x1aZ9", &count, digits);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(digits[0], 1);
    EXPECT_EQ(digits[1], 10);

    count = 3;
    HexStrToDigits("0xFFFFFF", &count, digits);
    EXPECT_EQ(count, 3);

    count = 5;
    HexStrToDigits(nullptr, &count, digits);
    EXPECT_EQ(count, 0);
}
