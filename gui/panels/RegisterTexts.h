#pragma once

#include <cstdint>
#include <string>

// The texts of the register panel's edits.

// A channel text: with "0x" in it, what follows its first two characters in hexadecimal,
// else decimal; blanks around the number are allowed. false for anything else and for values
// outside 0 - 255.
bool ReadChannelText(const std::string& text, uint8_t* channel);

// True for the texts the edit passes through while a number is typed over: the empty text
// and the bare "0x" of hex notation, which are no channel yet and no mistake either.
bool IsUnfinishedChannelText(const std::string& text);

// A register value in "0x" notation: the digits after the first 'x' or 'X' by the main
// program's hexadecimal rule, all of them counted. false for a text without 'x' or 'X' or
// without digits, and for a value that does not fit a register byte.
bool ReadRegisterValueText(const std::string& text, uint32_t* value);
