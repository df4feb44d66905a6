#include "core/store/DataFileRec.h"

#include <cstring>

namespace DataFileRec {

namespace {

uint16_t ReadN(const uint8_t* record, int32_t size)
{
    return static_cast<uint16_t>(ByteAt(record, size, kLengthOffset) | ByteAt(record, size, kLengthOffset + 1) << 8);
}

} // namespace

uint32_t PacketNumber(const uint8_t* record, int32_t size)
{
    uint32_t number = 0;
    for (int i = 3; i >= 0; --i)
        number = number << 8 | ByteAt(record, size, kNumberOffset + i);
    return number;
}

int32_t DeclaredLength(const uint8_t* record, int32_t size, uint8_t info)
{
    return (info & kInfoGenericLayout) ? ReadN(record, size) : ByteAt(record, size, kLengthByteOffset);
}

int32_t UsedLength(const uint8_t* record, int32_t size, uint8_t info)
{
    if (info & kInfoGenericLayout)
        return 14 + ReadN(record, size);
    return 15 + ByteAt(record, size, kLengthByteOffset) + ((info & kInfoLengthCountsStatus) ? 0 : 2);
}

void ConvertOldLayout(uint8_t* record, int32_t recordSize)
{
    const uint8_t info = ByteAt(record, recordSize, 0);
    const int32_t length = ByteAt(record, recordSize, kLengthOffset) + ((info & kInfoLengthCountsStatus) ? 0 : 2);
    // The length byte and the frame move up by two to make room for the 16-bit N.
    if (15 + length < recordSize)
        std::memmove(record + 15, record + 13, static_cast<size_t>(length) + 1);
    // Old files know lengths of one byte only; a frame of 255 or more keeps its low byte.
    if (kLengthOffset < recordSize)
        record[kLengthOffset] = static_cast<uint8_t>(length >= 255 ? length : length + 1);
    if (kLengthOffset + 1 < recordSize)
        record[kLengthOffset + 1] = 0;
}

int CapturedLength(const uint8_t* record, uint8_t info, int32_t recordSize)
{
    const int32_t used = 1 + UsedLength(record, recordSize, info);
    if (used > recordSize || (info & kInfoIncomplete))
        return 0;
    return DeclaredLength(record, recordSize, info);
}

int PrepareReadRecord(uint8_t* record, int32_t recordSize, bool newLayout, bool generic)
{
    uint8_t info = ByteAt(record, recordSize, 0);
    if (!newLayout) {
        ConvertOldLayout(record, recordSize);
        // Old generic files did not mark their records; the byte itself stays as it was.
        if (generic)
            info |= kInfoGenericLayout;
    }
    return CapturedLength(record, info, recordSize);
}

bool MakeRecord(uint8_t* record, const uint8_t* raw, uint16_t rawLength, uint8_t info, int32_t* declared)
{
    const int32_t size = 1 + rawLength;
    record[0] = info;
    std::memcpy(record + 1, raw, rawLength);
    const int32_t used = UsedLength(record, size, info);
    if (used > rawLength) {
        if (declared != nullptr)
            *declared = DeclaredLength(record, size, info);
        return false;
    }
    std::memset(record + 1 + used, 0, static_cast<size_t>(rawLength - used));
    return true;
}

} // namespace DataFileRec
