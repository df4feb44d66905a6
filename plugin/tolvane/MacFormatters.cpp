#include "plugin/tolvane/MacFormatters.h"

#include <algorithm>

#include "plugin/frame/ByteTextTables.h"
#include "plugin/frame/TextWriter.h"
#include "plugin/tolvane/BoundedBytes.h"
#include "plugin/tolvane/TolvaneField.h"

namespace {

char Bit(unsigned value, int bit)
{
    return static_cast<char>('0' + (value >> bit & 1));
}

} // namespace

void FormatSuperframe(char* text, size_t size, uint16_t superframe)
{
    TextWriter(text, size)
        .Decimal(superframe & 0xFu, 2).Put(' ')
        .Decimal(superframe >> 4 & 0xFu, 2).Put("  ")
        .Decimal(superframe >> 8 & 0xFu, 2).Put("    ")
        .Put(Bit(superframe, 12)).Put("    ")
        .Put(Bit(superframe, 14)).Put("     ")
        .Put(Bit(superframe, 15)).Put("  ");
}

void FormatCapabilityInfo(char* text, size_t size, uint8_t capability)
{
    TextWriter(text, size)
        .Put("    ").Put(Bit(capability, 0))
        .Put("      ").Put(Bit(capability, 1))
        .Put("    ").Put(Bit(capability, 2))
        .Put("      ").Put(Bit(capability, 3))
        .Put("     ").Put(Bit(capability, 6))
        .Put("       ").Put(Bit(capability, 7))
        .Put("    ");
}

void FormatAssocStatus(char* text, size_t size, uint16_t shortAddress, uint8_t status)
{
    static const char* const kStatus[] = {"Successful   ", "At capacity  ", "Access denied"};
    TextWriter(text, size).Put("  ").Hex(shortAddress, 4).Put("   ").Put(status < 3 ? kStatus[status] : "Unknown value");
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
    TextWriter writer(text, size);
    writer.Hex(panId, 4).Put("   ").Hex(coordinatorShort, 4).Put("       ").Hex(channel, 2).Put("          ")
        .Hex(shortAddress, 4);
    if (page >= 0)
        writer.Put("    ").Hex(static_cast<unsigned>(page), 2);
    else
        writer.Put("  ");
}

void FormatGtsRequest(char* text, size_t size, uint8_t characteristics)
{
    TextWriter(text, size)
        .Put("  ").Decimal(characteristics & 0xFu, 2).Put("    ")
        .Put(Bit(characteristics, 4) == '1' ? "RX only" : "TX only").Put("  ")
        .Put(Bit(characteristics, 5) == '1' ? "Alloc  " : "Dealloc");
}

int32_t FormatGtsList(char* text, size_t size, uint8_t gtsHeader, uint8_t directionMask, const uint8_t* descriptors)
{
    static constexpr char kHeading[] = "Len Permit | Directions | List (addr/slot/length)";
    const int count = gtsHeader & 7;
    TextWriter writer(text, size);
    writer.Put(' ').Decimal(count).Put("     ").Put(Bit(gtsHeader, 7));
    if (count == 0) {
        writer.Put("  ");
        return FI_GTS_FIELD_T;
    }
    writer.Put("   | ").Put(kPrefixedBinaryText[directionMask].View()).Put(" |");
    BoundedBytes list(descriptors, 3 * count);
    for (int i = 0; i < count; ++i) {
        const uint8_t slots = list.U8(3 * i + 2);
        writer.Put(' ').Hex(list.U16(3 * i), 4).Put('/').Decimal(slots & 0xF).Put('/').Decimal(slots >> 4);
    }
    writer.PadTo(sizeof kHeading - 1);
    return FI_GTS_FIELD_X;
}

void FormatPendingAddrList(char* text, size_t size, const uint8_t* addresses, int shortCount, int extendedCount)
{
    char lines[2][1024];
    TextWriter shortLine(lines[0], sizeof lines[0]);
    TextWriter extendedLine(lines[1], sizeof lines[1]);
    BoundedBytes list(addresses, 2 * shortCount + 8 * extendedCount);
    shortLine.Put("Short:");
    for (int i = 0; i < shortCount && shortLine.Length() < 990; ++i)
        shortLine.Put(' ').Hex(list.U16(2 * i), 4);
    extendedLine.Put("Ext:");
    for (int i = 0; i < extendedCount && extendedLine.Length() < 980; ++i)
        extendedLine.Put(' ').Hex(list.U64(2 * shortCount + 8 * i), 16);
    const size_t width = std::max(shortLine.Length(), extendedLine.Length());
    shortLine.PadTo(width);
    extendedLine.PadTo(width);
    TextWriter(text, size).Put(shortLine.View()).Put('\n').Put(extendedLine.View());
}
