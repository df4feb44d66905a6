#include "plugin/fennet/FrameControlText.h"

namespace {

constexpr const char* kFrameTypeName[8] = {"BCN", "DATA", "ACK", "CMD", "R100", "R101", "R110", "R111"};

constexpr char* Put(char* p, const char* text)
{
    while (*text != '\0')
        *p++ = *text++;
    return p;
}

constexpr char* PutBlanks(char* p, int count)
{
    while (count-- > 0)
        *p++ = ' ';
    return p;
}

constexpr char* PutBit(char* p, int b, int bit)
{
    *p++ = (b >> bit) & 1 ? '1' : '0';
    return p;
}

constexpr std::array<FrameControlText, 256> MakeTable()
{
    std::array<FrameControlText, 256> table{};
    for (int b = 0; b < 256; ++b) {
        char* start = table[b].text;
        char* p = Put(start, kFrameTypeName[b & 7]);
        p = PutBlanks(p, 4 - static_cast<int>(p - start) + 2);
        p = PutBit(p, b, 3);
        p = PutBlanks(p, 3);
        p = PutBit(p, b, 4);
        p = PutBlanks(p, 5);
        p = PutBit(p, b, 5);
        p = PutBlanks(p, 8);
        p = PutBit(p, b, 6);
        p = PutBlanks(p, 4);
        *p = '\0';
    }
    return table;
}

} // namespace

constexpr std::array<FrameControlText, 256> kFrameControlText = MakeTable();
