#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Read-only texts for every byte value, ready to copy into a field.
struct ByteText {
    char text[11];
    uint8_t length; // of text, without its NUL

    std::string_view View() const { return {text, length}; }
};
using ByteTextTable = std::array<ByteText, 256>;

extern const ByteTextTable kPrefixedBinaryText; // "0b00000000"
extern const ByteTextTable kBinaryText;         // "00000001"
extern const ByteTextTable kPrefixedHexText;    // "0xFF"
extern const ByteTextTable kHexText;            // "81"
extern const ByteTextTable kDecimalText;        // "255"
extern const ByteTextTable kSignedDecimalText;  // "-128"
