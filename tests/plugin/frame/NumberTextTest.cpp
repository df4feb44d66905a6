// The number writers of the field texts: digits, padding and case exactly as the fields show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <limits>
#include <string>

#include "plugin/frame/ByteTextTables.h"
#include "plugin/frame/HexText.h"
#include "plugin/frame/NumberText.h"

namespace {

struct HexWriteCase {
    uint64_t value;
    int minDigits;
    HexLetters letters;
    const char* text;
};

struct PaddedDecimalCase {
    uint32_t value;
    int minDigits;
    const char* text;
};

std::string Hex(const HexWriteCase& c)
{
    // Guards on both sides of the widest text show a write outside it.
    char buffer[1 + 16 + 1];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    char* end = WriteHex(buffer + 1, c.value, c.minDigits, c.letters);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(*end, '#');
    return std::string(buffer + 1, end);
}

} // namespace

TEST(NumberText, HexDigitsPaddingAndCase)
{
    const HexWriteCase cases[] = {
        {0, 0, HexLetters::Upper, "0"},
        {0, 1, HexLetters::Upper, "0"},
        {0, 2, HexLetters::Upper, "00"},
        {0, 16, HexLetters::Upper, "0000000000000000"},
        {0xA, 1, HexLetters::Upper, "A"},
        {0xA, 1, HexLetters::Lower, "a"},
        {0xAB, 2, HexLetters::Lower, "ab"},
        {0xABC, 2, HexLetters::Upper, "ABC"}, // more digits than asked are all shown
        {0x10, 4, HexLetters::Upper, "0010"},
        {0xFFFF, 4, HexLetters::Upper, "FFFF"},
        {0x10000, 4, HexLetters::Upper, "10000"},
        {0xDEADBEEF, 8, HexLetters::Upper, "DEADBEEF"},
        {0x00124B0000000001ull, 16, HexLetters::Upper, "00124B0000000001"},
        {std::numeric_limits<uint64_t>::max(), 0, HexLetters::Upper, "FFFFFFFFFFFFFFFF"},
        {std::numeric_limits<uint64_t>::max(), 16, HexLetters::Lower, "ffffffffffffffff"},
        {0x8000000000000000ull, 1, HexLetters::Upper, "8000000000000000"},
    };
    for (const HexWriteCase& c : cases)
        EXPECT_EQ(Hex(c), c.text) << c.value << " in " << c.minDigits;
}

TEST(NumberText, HexAgreesWithPrintfOnEveryByteAndWidth)
{
    for (unsigned b = 0; b < 256; ++b)
        for (int digits = 0; digits <= 4; ++digits) {
            char expected[8];
            std::snprintf(expected, sizeof expected, "%0*X", digits, b);
            EXPECT_EQ(Hex({b, digits, HexLetters::Upper, ""}), expected);
            std::snprintf(expected, sizeof expected, "%0*x", digits, b);
            EXPECT_EQ(Hex({b, digits, HexLetters::Lower, ""}), expected);
        }
}

TEST(NumberText, DecimalPaddedToAWidth)
{
    const PaddedDecimalCase cases[] = {
        {0, 0, "0"},   {0, 1, "0"},         {0, 2, "00"},         {7, 2, "07"},
        {15, 2, "15"}, {123, 2, "123"},     {42, 5, "00042"},     {4294967295u, 1, "4294967295"},
        {4294967295u, 10, "4294967295"},    {1, 10, "0000000001"},
    };
    for (const PaddedDecimalCase& c : cases) {
        char buffer[16];
        EXPECT_EQ(std::string(buffer, WriteDecimal(buffer, c.value, c.minDigits)), c.text) << c.value;
    }
}

TEST(NumberText, DecimalOfEachWidth)
{
    char buffer[24];
    EXPECT_STREQ(DecimalText(buffer, std::numeric_limits<int32_t>::min()), "-2147483648");
    EXPECT_STREQ(DecimalText(buffer, std::numeric_limits<int32_t>::max()), "2147483647");
    EXPECT_STREQ(DecimalText(buffer, int32_t{-1}), "-1");
    EXPECT_STREQ(DecimalText(buffer, uint32_t{0}), "0");
    EXPECT_STREQ(DecimalText(buffer, std::numeric_limits<uint64_t>::max()), "18446744073709551615");
}

TEST(NumberText, ByteTextLengthsMatchTheirTexts)
{
    for (const ByteTextTable* table :
         {&kPrefixedBinaryText, &kBinaryText, &kPrefixedHexText, &kHexText, &kDecimalText, &kSignedDecimalText})
        for (int b = 0; b < 256; ++b)
            ASSERT_EQ((*table)[b].View(), std::string((*table)[b].text)) << b;
}
