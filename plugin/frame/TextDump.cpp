#include "plugin/frame/TextDump.h"

#include "plugin/frame/ByteTextTables.h"

namespace {

struct DumpShape {
    int32_t itemsPerLine = 0;
    int32_t lineCount = 0;
};

DumpShape ShapeOf(int32_t n, int32_t lines)
{
    if (n <= 0)
        return {};
    if (lines < 1)
        lines = 1;
    int32_t items = static_cast<int32_t>((int64_t{n} + lines - 1) / lines);
    return {items, (n + items - 1) / items};
}

// Lays the items out in lines; writeItem(p, item in line, byte or nullptr for padding) -> end.
template <typename WriteItem>
char* WriteDump(char* p, const uint8_t* bytes, int32_t n, int32_t lines, WriteItem writeItem)
{
    DumpShape shape = ShapeOf(n, lines);
    int32_t next = 0;
    for (int32_t line = 0; line < shape.lineCount; ++line) {
        if (line > 0)
            *p++ = '\n';
        for (int32_t item = 0; item < shape.itemsPerLine; ++item)
            p = writeItem(p, item, next < n ? &bytes[next++] : nullptr);
    }
    return p;
}

} // namespace

int32_t HexDumpLength(int32_t n, int32_t lines)
{
    DumpShape shape = ShapeOf(n, lines);
    if (shape.lineCount == 0)
        return 1;
    // Each line: 2 characters an item and a blank between items; a break or the NUL after it.
    return shape.lineCount * (3 * shape.itemsPerLine - 1 + 1);
}

int32_t AsciiDumpLength(int32_t n, int32_t lines)
{
    DumpShape shape = ShapeOf(n, lines);
    if (shape.lineCount == 0)
        return 1;
    return shape.lineCount * (shape.itemsPerLine + 1);
}

void FormatHexDump(char* destination, const uint8_t* bytes, int32_t n, int32_t lines)
{
    char* end = WriteDump(destination, bytes, n, lines, [](char* p, int item, const uint8_t* b) {
        if (item > 0)
            *p++ = ' ';
        const char* text = b != nullptr ? kHexText[*b].text : "  ";
        *p++ = text[0];
        *p++ = text[1];
        return p;
    });
    *end = '\0';
}

void FormatAsciiDump(char* destination, const uint8_t* bytes, int32_t n, int32_t lines)
{
    char* end = WriteDump(destination, bytes, n, lines, [](char* p, int, const uint8_t* b) {
        char c = ' ';
        if (b != nullptr) {
            if (*b == 0x09)
                c = static_cast<char>(0xAF);
            else if (*b >= 0x20 && *b <= 0x7E)
                c = static_cast<char>(*b);
            else
                c = '*';
        }
        *p++ = c;
        return p;
    });
    *end = '\0';
}
