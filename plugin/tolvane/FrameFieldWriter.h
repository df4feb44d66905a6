#pragma once

#include <cstdint>

#include "plugin/tolvane/BoundedBytes.h"

class FieldAppender;

// Appends the fields that stand on bytes of a frame at fixed positions. A field whose
// bytes lie beyond the frame shows kMissingBytesText instead of a value.
class FrameFieldWriter {
public:
    FrameFieldWriter(FieldAppender& appender, BoundedBytes bytes) : appender_(appender), bytes_(bytes) {}

    const BoundedBytes& Bytes() const { return bytes_; }

    void Text(int32_t fieldId, const char* text);
    // A field without text.
    void Flag(int32_t fieldId);

    // Applies format to the little-endian value of width bytes at pos: a 64-bit argument
    // (unsigned long long) for width 8, an unsigned int otherwise. Returns pos + width.
    int Value(int32_t fieldId, int pos, int width, const char* format);

    // Hex or printable dump of count bytes from pos in the given lines.
    void HexDump(int32_t fieldId, int pos, int count, int lines);
    void AsciiDump(int32_t fieldId, int pos, int count, int lines);

    // The text of the width bytes at pos up to the first NUL among them. Returns pos + width.
    int String(int32_t fieldId, int pos, int width);

private:
    FieldAppender& appender_;
    BoundedBytes bytes_;
};
