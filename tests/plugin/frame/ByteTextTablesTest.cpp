#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "plugin/frame/ByteTextTables.h"

namespace {

std::string Binary(int b)
{
    std::string s;
    for (int bit = 7; bit >= 0; --bit)
        s += (b >> bit) & 1 ? '1' : '0';
    return s;
}

std::string Printf(const char* format, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

TEST(ByteTextTables, EveryByteOfEveryTable)
{
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(kPrefixedBinaryText[b].text, "0b" + Binary(b));
        EXPECT_EQ(kBinaryText[b].text, Binary(b));
        EXPECT_EQ(kPrefixedHexText[b].text, Printf("0x%02X", b));
        EXPECT_EQ(kHexText[b].text, Printf("%02X", b));
        EXPECT_EQ(kDecimalText[b].text, Printf("%d", b));
        EXPECT_EQ(kSignedDecimalText[b].text, Printf("%d", static_cast<signed char>(b)));
    }
}

TEST(ByteTextTables, Examples)
{
    EXPECT_STREQ(kPrefixedBinaryText[0].text, "0b00000000");
    EXPECT_STREQ(kPrefixedBinaryText[255].text, "0b11111111");
    EXPECT_STREQ(kBinaryText[1].text, "00000001");
    EXPECT_STREQ(kPrefixedHexText[0xFF].text, "0xFF");
    EXPECT_STREQ(kHexText[0x81].text, "81");
    EXPECT_STREQ(kSignedDecimalText[0x7F].text, "127");
    EXPECT_STREQ(kSignedDecimalText[0x80].text, "-128");
    EXPECT_STREQ(kSignedDecimalText[0xFF].text, "-1");
}
