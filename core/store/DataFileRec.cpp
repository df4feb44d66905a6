#include "core/store/DataFileRec.h"

#include <cstring>

namespace DataFileRec {

namespace {

uint16_t ReadN(const uint8_t* record)
{
    uint16_t n;
    std::memcpy(&n, record + 13, sizeof n);
    return n;
}

} // namespace

int32_t DeclaredLength(const uint8_t* record, uint8_t info)
{
    return (info & kInfoGenericLayout) ? ReadN(record) : record[15];
}

int32_t UsedLength(const uint8_t* record, uint8_t info)
{
    if (info & kInfoGenericLayout)
        return 14 + ReadN(record);
    return 15 + record[15] + ((info & kInfoLengthCountsStatus) ? 0 : 2);
}

void ConvertOldLayout(uint8_t* record, int32_t recordSize)
{
    const uint8_t info = record[0];
    const int32_t length = record[13] + ((info & kInfoLengthCountsStatus) ? 0 : 2);
    // The length byte and the frame move up by two to make room for the 16-bit N.
    if (15 + length < recordSize)
        std::memmove(record + 15, record + 13, static_cast<size_t>(length) + 1);
    // Old files know lengths of one byte only; a frame of 255 or more keeps its low byte.
    record[13] = static_cast<uint8_t>(length >= 255 ? length : length + 1);
    record[14] = 0;
}

int CapturedLength(const uint8_t* record, uint8_t info, int32_t recordSize)
{
    const int32_t used = 1 + UsedLength(record, info);
    if (used > recordSize || (info & kInfoIncomplete))
        return 0;
    return DeclaredLength(record, info);
}

} // namespace DataFileRec
