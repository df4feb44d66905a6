#include "gui/panels/RegisterTexts.h"

#include <vector>

#include "plugin/frame/HexText.h"

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

int DigitOf(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// The whole text as one number of base between optional blanks; no sign, no overflow.
bool ReadNumber(const std::string& text, int base, unsigned limit, unsigned* value)
{
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    const size_t first = i;
    unsigned number = 0;
    for (; i < text.size() && DigitOf(text[i], base) >= 0; ++i) {
        number = number * static_cast<unsigned>(base) + static_cast<unsigned>(DigitOf(text[i], base));
        if (number > limit)
            return false;
    }
    if (i == first)
        return false;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    if (i != text.size())
        return false;
    *value = number;
    return true;
}

} // namespace

bool IsUnfinishedChannelText(const std::string& text)
{
    return text.empty() || text == "0x";
}

bool ReadChannelText(const std::string& text, uint8_t* channel)
{
    unsigned value = 0;
    const bool hex = text.find("0x") != std::string::npos;
    if (!ReadNumber(hex ? text.substr(text.size() < 2 ? text.size() : 2) : text, hex ? 16 : 10, 255, &value))
        return false;
    *channel = static_cast<uint8_t>(value);
    return true;
}

bool ReadRegisterValueText(const std::string& text, uint32_t* value)
{
    if (text.find_first_of("xX") == std::string::npos)
        return false;
    // Every digit counts: a fixed digit limit would read "0x000001" as 0 and "0x10001" as 1.
    std::vector<uint8_t> digits(text.size());
    int count = static_cast<int>(digits.size());
    HexStrToDigits(text.c_str(), &count, digits.data());
    if (count == 0)
        return false;
    uint32_t number = 0;
    for (int i = 0; i < count; ++i) {
        number = (number << 4) | digits[static_cast<size_t>(i)];
        if (number > 0xFF)
            return false;
    }
    *value = number;
    return true;
}
