#pragma once

#include <charconv>
#include <cstdint>

// Decimal number texts written in place, without the locale or an allocation.
// Each writes the digits at p and returns the end; the caller adds the NUL.
// 20 characters hold any 64-bit value, 11 any 32-bit one.

inline char* WriteDecimal(char* p, uint64_t value)
{
    return std::to_chars(p, p + 20, value).ptr;
}

inline char* WriteDecimal(char* p, uint32_t value)
{
    return std::to_chars(p, p + 10, value).ptr;
}

inline char* WriteDecimal(char* p, int32_t value)
{
    return std::to_chars(p, p + 11, value).ptr;
}

// The same zero-padded to at least minDigits digits ("%0*u").
inline char* WriteDecimal(char* p, uint32_t value, int minDigits)
{
    char digits[10];
    const int count = static_cast<int>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    for (int pad = minDigits - count; pad > 0; --pad)
        *p++ = '0';
    for (int i = 0; i < count; ++i)
        *p++ = digits[i];
    return p;
}

// The text of value with its NUL, in a buffer of the caller's.
template <typename T>
const char* DecimalText(char (&buffer)[24], T value)
{
    *WriteDecimal(buffer, value) = '\0';
    return buffer;
}
