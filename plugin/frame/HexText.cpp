#include "plugin/frame/HexText.h"

#include <bit>

namespace {

constexpr int kMaxDigits = 16;
constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";

int DigitValue(char c)
{
    if (c >= 0x2A && c <= 0x3F)
        return c & 0x0F;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int ReadDigits(const char* text, int limit, uint8_t* digits)
{
    int count = limit;
    HexStrToDigits(text, &count, digits);
    return count;
}

} // namespace

char* WriteHex(char* p, uint64_t value, int minDigits, HexLetters letters)
{
    const char* digits = letters == HexLetters::Upper ? kUpperDigits : kLowerDigits;
    const int significant = value != 0 ? (std::bit_width(value) + 3) / 4 : 1;
    const int count = significant > minDigits ? significant : minDigits;
    for (int i = count - 1; i >= 0; --i) {
        p[i] = digits[value & 0xF];
        value >>= 4;
    }
    return p + count;
}

void HexStrToDigits(const char* text, int* count, uint8_t* digits)
{
    int limit = *count;
    *count = 0;
    if (text == nullptr)
        return;
    while (*text != '\0' && *text != 'x' && *text != 'X')
        ++text;
    if (*text == '\0')
        return;
    ++text;
    int read = 0;
    while (read < limit) {
        int value = DigitValue(text[read]);
        if (value < 0)
            break;
        digits[read++] = static_cast<uint8_t>(value);
    }
    *count = read;
}

uint32_t HexStrValue32(const char* text, int limit)
{
    uint8_t digits[kMaxDigits];
    int count = ReadDigits(text, limit < kMaxDigits ? limit : kMaxDigits, digits);
    uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value += uint32_t{digits[i]} << ((4 * (count - 1 - i)) % 32);
    return value;
}

uint64_t HexStrValue64(const char* text, int limit)
{
    uint8_t digits[kMaxDigits];
    int count = ReadDigits(text, limit < kMaxDigits ? limit : kMaxDigits, digits);
    uint64_t value = 0;
    for (int i = 0; i < count; ++i)
        value |= uint64_t{digits[i]} << (4 * (count - 1 - i));
    return value;
}

uint8_t HexStrToByte(const char* text)
{
    return static_cast<uint8_t>(HexStrValue32(text, 3));
}

uint16_t HexStrToU16(const char* text)
{
    return static_cast<uint16_t>(HexStrValue32(text, 4));
}

uint32_t HexStrToU32(const char* text)
{
    return HexStrValue32(text, 10);
}

uint64_t HexStrToU64(const char* text)
{
    return HexStrValue64(text, 16);
}
