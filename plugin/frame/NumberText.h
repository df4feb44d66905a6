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

// The text of value with its NUL, in a buffer of the caller's.
template <typename T>
const char* DecimalText(char (&buffer)[24], T value)
{
    *WriteDecimal(buffer, value) = '\0';
    return buffer;
}
