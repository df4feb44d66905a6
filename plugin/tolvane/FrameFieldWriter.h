#pragma once

#include <cstdint>
#include <string_view>

#include "plugin/frame/HexText.h"
#include "plugin/tolvane/BoundedBytes.h"

class FieldAppender;

// How a value field shows its number: "0x" and at least digits hexadecimal digits
// ("0x%04X", "0x%02x", "0x%X"), or the unsigned decimal ("%u").
struct ValueFormat {
    bool hex;
    int digits;
    HexLetters letters = HexLetters::Upper;
};

inline constexpr ValueFormat kHexValue{true, 1};                           // "0x%X"
inline constexpr ValueFormat kHex2Value{true, 2};                          // "0x%02X"
inline constexpr ValueFormat kLowerHex2Value{true, 2, HexLetters::Lower}; // "0x%02x"
inline constexpr ValueFormat kHex4Value{true, 4};                          // "0x%04X"
inline constexpr ValueFormat kHex8Value{true, 8};                          // "0x%08X"
inline constexpr ValueFormat kHex16Value{true, 16};                        // "0x%016llX"
inline constexpr ValueFormat kDecimalValue{false, 1};                      // "%u"

// Appends the fields that stand on bytes of a frame at fixed positions. A field whose
// bytes lie beyond the frame shows kMissingBytesText instead of a value.
class FrameFieldWriter {
public:
    FrameFieldWriter(FieldAppender& appender, BoundedBytes bytes) : appender_(appender), bytes_(bytes) {}

    const BoundedBytes& Bytes() const { return bytes_; }

    void Text(int32_t fieldId, const char* text);
    void Text(int32_t fieldId, std::string_view text);
    // A field without text.
    void Flag(int32_t fieldId);

    // Shows the little-endian value of width bytes at pos in format. Returns pos + width.
    int Value(int32_t fieldId, int pos, int width, ValueFormat format);

    // Hex or printable dump of count bytes from pos in the given lines.
    void HexDump(int32_t fieldId, int pos, int count, int lines);
    void AsciiDump(int32_t fieldId, int pos, int count, int lines);

    // The text of the width bytes at pos up to the first NUL among them. Returns pos + width.
    int String(int32_t fieldId, int pos, int width);

private:
    FieldAppender& appender_;
    BoundedBytes bytes_;
};
