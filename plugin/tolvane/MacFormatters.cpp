#include "plugin/tolvane/MacFormatters.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "plugin/frame/ByteTextTables.h"
#include "plugin/tolvane/BoundedBytes.h"
#include "plugin/tolvane/TolvaneField.h"

namespace {

int Bit(unsigned value, int bit)
{
    return static_cast<int>(value >> bit & 1);
}

// Appends to a text of length *length inside size bytes; what does not fit is cut.
void Append(char* text, size_t size, size_t* length, const char* format, ...) __attribute__((format(printf, 4, 5)));

void Append(char* text, size_t size, size_t* length, const char* format, ...)
{
    if (*length + 1 >= size)
        return;
    va_list arguments;
    va_start(arguments, format);
    int written = std::vsnprintf(text + *length, size - *length, format, arguments);
    va_end(arguments);
    if (written > 0)
        *length = std::min(*length + static_cast<size_t>(written), size - 1);
}

void PadTo(char* text, size_t size, size_t* length, size_t width)
{
    while (*length < width && *length + 1 < size)
        text[(*length)++] = ' ';
    text[*length] = '\0';
}

} // namespace

void FormatSuperframe(char* text, size_t size, uint16_t superframe)
{
    std::snprintf(text, size, "%02d %02d  %02d    %d    %d     %d  ", superframe & 0xF, superframe >> 4 & 0xF,
                  superframe >> 8 & 0xF, Bit(superframe, 12), Bit(superframe, 14), Bit(superframe, 15));
}

void FormatCapabilityInfo(char* text, size_t size, uint8_t capability)
{
    std::snprintf(text, size, "    %d      %d    %d      %d     %d       %d    ", Bit(capability, 0),
                  Bit(capability, 1), Bit(capability, 2), Bit(capability, 3), Bit(capability, 6), Bit(capability, 7));
}

void FormatAssocStatus(char* text, size_t size, uint16_t shortAddress, uint8_t status)
{
    static const char* const kStatus[] = {"  0x%04X   Successful   ", "  0x%04X   At capacity  ",
                                          "  0x%04X   Access denied"};
    const char* format = status < 3 ? kStatus[status] : "  0x%04X   Unknown value";
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(text, size, format, shortAddress);
#pragma GCC diagnostic pop
}

const char* FormatDisassocReason(uint8_t reason)
{
    switch (reason) {
    case 1:
        return "Coordinator wishes device to leave";
    case 2:
        return "Device wishes to leave";
    default:
        return "Unknown value";
    }
}

void FormatRealignment(char* text, size_t size, uint16_t panId, uint16_t coordinatorShort, uint8_t channel,
                       uint16_t shortAddress, int page)
{
    if (page >= 0)
        std::snprintf(text, size, "0x%04X   0x%04X       0x%02X          0x%04X    0x%02X", panId, coordinatorShort,
                      channel, shortAddress, page);
    else
        std::snprintf(text, size, "0x%04X   0x%04X       0x%02X          0x%04X  ", panId, coordinatorShort, channel,
                      shortAddress);
}

void FormatGtsRequest(char* text, size_t size, uint8_t characteristics)
{
    std::snprintf(text, size, "  %02d    %s  %s", characteristics & 0xF,
                  Bit(characteristics, 4) ? "RX only" : "TX only", Bit(characteristics, 5) ? "Alloc  " : "Dealloc");
}

int32_t FormatGtsList(char* text, size_t size, uint8_t gtsHeader, uint8_t directionMask, const uint8_t* descriptors)
{
    static constexpr char kHeading[] = "Len Permit | Directions | List (addr/slot/length)";
    const int count = gtsHeader & 7;
    const int permit = Bit(gtsHeader, 7);
    if (count == 0) {
        std::snprintf(text, size, " %d     %d  ", count, permit);
        return FI_GTS_FIELD_T;
    }
    size_t length = 0;
    text[0] = '\0';
    Append(text, size, &length, " %d     %d   | %s |", count, permit, kPrefixedBinaryText[directionMask].text);
    BoundedBytes list(descriptors, 3 * count);
    for (int i = 0; i < count; ++i) {
        const uint8_t slots = list.U8(3 * i + 2);
        Append(text, size, &length, " 0x%04X/%d/%d", list.U16(3 * i), slots & 0xF, slots >> 4);
    }
    PadTo(text, size, &length, sizeof kHeading - 1);
    return FI_GTS_FIELD_X;
}

void FormatPendingAddrList(char* text, size_t size, const uint8_t* addresses, int shortCount, int extendedCount)
{
    char lines[2][1024];
    size_t lengths[2] = {0, 0};
    lines[0][0] = lines[1][0] = '\0';
    BoundedBytes list(addresses, 2 * shortCount + 8 * extendedCount);
    Append(lines[0], sizeof lines[0], &lengths[0], "Short:");
    for (int i = 0; i < shortCount && lengths[0] < 990; ++i)
        Append(lines[0], sizeof lines[0], &lengths[0], " 0x%04X", list.U16(2 * i));
    Append(lines[1], sizeof lines[1], &lengths[1], "Ext:");
    for (int i = 0; i < extendedCount && lengths[1] < 980; ++i)
        Append(lines[1], sizeof lines[1], &lengths[1], " 0x%016" PRIX64, list.U64(2 * shortCount + 8 * i));
    const size_t width = std::max(lengths[0], lengths[1]);
    for (int line = 0; line < 2; ++line)
        PadTo(lines[line], sizeof lines[line], &lengths[line], width);
    std::snprintf(text, size, "%s\n%s", lines[0], lines[1]);
}
