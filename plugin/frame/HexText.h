#pragma once

#include <cstdint>

enum class HexLetters { Upper, Lower };

// Writes value as hexadecimal digits at p, zero-padded to at least minDigits ("%0*X", or
// "%0*x" in lower case), and returns the end; the caller adds any "0x" and the NUL. 16
// characters hold any value with minDigits up to 16; 0 is "0" unless padded.
char* WriteHex(char* p, uint64_t value, int minDigits, HexLetters letters = HexLetters::Upper);

// Hexadecimal texts such as "0x%8.8X" read back into values. Reading starts after the
// first 'x' or 'X' (a text without one holds no digits) and stops at the NUL, at the first
// character that is no digit, or at the digit limit. The characters 0x2A..0x3F count as
// the value of their low four bits, 'a'..'f' and 'A'..'F' as 10..15.

// Reads at most *count digits into digits; *count becomes the number read.
void HexStrToDigits(const char* text, int* count, uint8_t* digits);

// The value of at most limit digits, most significant first. The 32-bit form shifts with
// the count taken modulo 32 and keeps 32 bits, so more than 8 digits fold onto the low ones.
uint32_t HexStrValue32(const char* text, int limit);
uint64_t HexStrValue64(const char* text, int limit);

uint8_t HexStrToByte(const char* text); // at most 3 digits
uint16_t HexStrToU16(const char* text); // at most 4 digits
uint32_t HexStrToU32(const char* text); // at most 10 digits
uint64_t HexStrToU64(const char* text); // at most 16 digits
