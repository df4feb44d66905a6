#include "plugin/frame/ByteTextTables.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

template <typename Fill>
constexpr ByteTextTable MakeTable(Fill fill)
{
    ByteTextTable table{};
    for (int b = 0; b < 256; ++b) {
        fill(table[b].text, static_cast<uint8_t>(b));
        while (table[b].text[table[b].length] != '\0')
            ++table[b].length;
    }
    return table;
}

constexpr char* PutBinary(char* p, uint8_t b)
{
    for (int bit = 7; bit >= 0; --bit)
        *p++ = (b >> bit) & 1 ? '1' : '0';
    return p;
}

constexpr char* PutHex(char* p, uint8_t b)
{
    *p++ = kHexDigits[b >> 4];
    *p++ = kHexDigits[b & 0xF];
    return p;
}

constexpr char* PutDecimal(char* p, int value)
{
    if (value < 0) {
        *p++ = '-';
        value = -value;
    }
    if (value >= 100)
        *p++ = static_cast<char>('0' + value / 100);
    if (value >= 10)
        *p++ = static_cast<char>('0' + value / 10 % 10);
    *p++ = static_cast<char>('0' + value % 10);
    return p;
}

} // namespace

constexpr ByteTextTable kPrefixedBinaryText = MakeTable([](char* p, uint8_t b) {
    *p++ = '0';
    *p++ = 'b';
    PutBinary(p, b);
});

constexpr ByteTextTable kBinaryText = MakeTable([](char* p, uint8_t b) { PutBinary(p, b); });

constexpr ByteTextTable kPrefixedHexText = MakeTable([](char* p, uint8_t b) {
    *p++ = '0';
    *p++ = 'x';
    PutHex(p, b);
});

constexpr ByteTextTable kHexText = MakeTable([](char* p, uint8_t b) { PutHex(p, b); });

constexpr ByteTextTable kDecimalText = MakeTable([](char* p, uint8_t b) { PutDecimal(p, b); });

constexpr ByteTextTable kSignedDecimalText =
    MakeTable([](char* p, uint8_t b) { PutDecimal(p, static_cast<int8_t>(b)); });
