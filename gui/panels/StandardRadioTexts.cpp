#include "gui/panels/StandardRadioTexts.h"

#include <cstddef>
#include <cstring>

#include "platform/HexDigit.h"

namespace standard_radio {

namespace {

constexpr size_t kAddressTextLength = 2 + 2 * 6;
constexpr size_t kKeyBytes = 16;
constexpr size_t kKeyTextLength = 3 * kKeyBytes - 1;

// The byte of the two digits at text[at], or -1.
int HexPair(std::string_view text, size_t at)
{
    const int high = platform::HexDigit(text[at]);
    const int low = platform::HexDigit(text[at + 1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

bool ParseInitiatorAddress(std::string_view text, uint8_t address[6])
{
    if (text.size() != kAddressTextLength || text[0] != '0' || text[1] != 'x')
        return false;
    uint8_t bytes[6];
    for (size_t i = 0; i < 6; ++i) {
        const int value = HexPair(text, 2 + 2 * i);
        if (value < 0)
            return false;
        // Text order is most significant first; byte 0 is the last pair.
        bytes[5 - i] = static_cast<uint8_t>(value);
    }
    std::memcpy(address, bytes, sizeof bytes);
    return true;
}

bool ParseLongTermKey(std::string_view text, uint8_t key[16])
{
    std::memset(key, 0, kKeyBytes);
    if (text.empty())
        return true;
    if (text.size() != kKeyTextLength)
        return false;
    uint8_t bytes[kKeyBytes];
    for (size_t i = 0; i < kKeyBytes; ++i) {
        const size_t at = 3 * i;
        const int value = HexPair(text, at);
        if (value < 0 || (i + 1 < kKeyBytes && text[at + 2] != ':'))
            return false;
        bytes[i] = static_cast<uint8_t>(value);
    }
    std::memcpy(key, bytes, sizeof bytes);
    return true;
}

bool ParsePassKey(std::string_view text, uint32_t* passKey)
{
    *passKey = 0;
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Counting stops once the value is out of range, so any number of digits is safe.
    uint32_t value = 0;
    bool tooLarge = false;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (!tooLarge) {
            value = value * 10 + static_cast<uint32_t>(text[at] - '0');
            tooLarge = value > kMaxPassKey;
        }
    }
    if (tooLarge || (negative && value != 0))
        return false;
    *passKey = value;
    return true;
}

} // namespace standard_radio
