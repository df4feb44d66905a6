#include "plugin/tolvane/FrameFieldWriter.h"

#include <cstring>

#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/NumberText.h"
#include "plugin/frame/TextDump.h"

void FrameFieldWriter::Text(int32_t fieldId, const char* text)
{
    appender_.AppendField(fieldId, text);
}

void FrameFieldWriter::Text(int32_t fieldId, std::string_view text)
{
    appender_.AppendText(fieldId, text);
}

void FrameFieldWriter::Flag(int32_t fieldId)
{
    appender_.AppendField(fieldId, nullptr);
}

int FrameFieldWriter::Value(int32_t fieldId, int pos, int width, ValueFormat format)
{
    if (!bytes_.Holds(pos, width)) {
        Text(fieldId, kMissingBytesText);
        return pos + width;
    }
    const uint64_t value = bytes_.Value(pos, width);
    char text[24];
    char* end = text;
    if (format.hex) {
        *end++ = '0';
        *end++ = 'x';
        end = WriteHex(end, value, format.digits, format.letters);
    } else {
        end = WriteDecimal(end, value);
    }
    Text(fieldId, std::string_view(text, static_cast<size_t>(end - text)));
    return pos + width;
}

void FrameFieldWriter::HexDump(int32_t fieldId, int pos, int count, int lines)
{
    if (!bytes_.Holds(pos, count)) {
        Text(fieldId, kMissingBytesText);
        return;
    }
    if (char* text = appender_.ReserveField(fieldId, HexDumpLength(count, lines)))
        FormatHexDump(text, bytes_.At(pos), count, lines);
}

void FrameFieldWriter::AsciiDump(int32_t fieldId, int pos, int count, int lines)
{
    if (!bytes_.Holds(pos, count)) {
        Text(fieldId, kMissingBytesText);
        return;
    }
    if (char* text = appender_.ReserveField(fieldId, AsciiDumpLength(count, lines)))
        FormatAsciiDump(text, bytes_.At(pos), count, lines);
}

int FrameFieldWriter::String(int32_t fieldId, int pos, int width)
{
    if (!bytes_.Holds(pos, width)) {
        Text(fieldId, kMissingBytesText);
        return pos + width;
    }
    const char* bytes = reinterpret_cast<const char*>(bytes_.At(pos));
    const int32_t length = static_cast<int32_t>(strnlen(bytes, static_cast<size_t>(width)));
    if (char* text = appender_.ReserveField(fieldId, length + 1)) {
        std::memcpy(text, bytes, static_cast<size_t>(length));
        text[length] = '\0';
    }
    return pos + width;
}
