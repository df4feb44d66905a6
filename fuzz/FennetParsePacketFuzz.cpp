// ParsePacket of the Fennet decoder on arbitrary records, every chip and protocol version.
// Input: [chip selector][version selector][capacity / 16][captured length, int16]
//        [multiplier selector][book control][record...]
// The record buffer holds exactly the bytes the decoder may read (14 + the length byte + the
// L frame bytes that the length byte and the captured length allow) and the field buffer
// exactly its capacity, so any read or write beyond them is caught by AddressSanitizer.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "plugin/frame/AddrBookRec.h"
#include "plugin/frame/ParsedFieldRec.h"
#include "plugin/frame/PluginExports.h"
#include "plugin/frame/RawPacketRec.h"

#include "fuzz/FieldBufferCheck.h"
#include "fuzz/FuzzCheck.h"

PLUGIN_EXPORT int GetPendingRec(ADDR_BOOK_REC* rec);
PLUGIN_EXPORT int SetAddrBookAutoRegister(int on);
PLUGIN_EXPORT int RemoveAllNodesAddrBook();

namespace {

constexpr int kChips[] = {0,      0x6F1C, 0x3A1E, 0x6E7A, 0x6E7B, 0x6F48, 0x6F1D, 0x3A1F,
                          0x6F86, 0x6F87, 0x6F89, 0x6FB2, 0x6FB3, 0x6FB6, 0x0E61, 0x3A02,
                          0x3A0B, 0x3A0C, 0x3A5C, 0x3A5D, 0x3A5F, 0x3B90, 0x3B91, 0x3B92,
                          0x3B93, 0x3BC6, 0x7FFF, -1};

constexpr int kVersions[] = {0, 1, 2, 3, 4, -1, 255};

constexpr double kMultipliers[] = {1.0, 0.5, 2.0, 0.0, -1.0, 1e300, 1.000001,
                                   std::numeric_limits<double>::quiet_NaN()};

bool HasMacHeader(int chip)
{
    return chip == 0x6E7A || chip == 0x6F48 || chip == 0x6F86 || chip == 0x6F87;
}

// Field ids the decoder has: 0 to 22, 24 to 49, 52 to 67.
bool IsFennetField(int32_t id)
{
    return (id >= 0 && id <= 22) || (id >= 24 && id <= 49) || (id >= 52 && id <= 67);
}

// The frame bytes the decoder may read: L after the captured-length rule, 0 when out of limits.
size_t VouchedFrameBytes(int chip, uint8_t lengthByte, int captured)
{
    int64_t length = lengthByte + (HasMacHeader(chip) ? 0 : 2);
    if (captured != 0 && length > int64_t{captured} + 2)
        length = captured;
    return length >= 13 && length <= 258 ? static_cast<size_t>(length) : 0;
}

void DrainNotices()
{
    char text[41];
    ADDR_BOOK_REC rec{};
    rec.text = text;
    while (GetPendingRec(&rec) == 1) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 7)
        return 0;
    const int chip = kChips[data[0] % std::size(kChips)];
    const int version = kVersions[data[1] % std::size(kVersions)];
    const int capacity = data[2] * 16;
    const int captured = static_cast<int16_t>(data[3] | data[4] << 8);
    const double multiplier = kMultipliers[data[5] % std::size(kMultipliers)];
    const uint8_t bookControl = data[6];
    data += 7;
    size -= 7;

    uint8_t head[kRawPacketHeaderSize + 1] = {};
    std::memcpy(head, data, std::min(size, sizeof head));
    const uint8_t lengthByte = head[kRawPacketHeaderSize];
    std::vector<uint8_t> record(kRawPacketHeaderSize + 1 + VouchedFrameBytes(chip, lengthByte, captured), 0);
    std::memcpy(record.data(), data, std::min(size, record.size()));
    // Unwritten bytes read as a negative length, which ends the walk below.
    std::vector<char> fields(static_cast<size_t>(capacity), '\xEE');

    SetChipType(chip);
    SetProtocolVersion(version);
    SetPacketLength(capacity);
    SetAddrBookAutoRegister(bookControl & 1);
    if (bookControl & 2)
        RemoveAllNodesAddrBook();
    PARSED_DATA out{};
    out.fieldBuffer = fields.data();
    Check(ParsePacket(record.data(), &out, multiplier, captured) == 1);
    DrainNotices();

    Check(out.status == PARSE_OK || out.status == PARSE_FIELD_BUFFER_FULL ||
          out.status == PARSE_INVALID_LENGTH);
    Check(out.frameLength == lengthByte);
    Check((out.infoFlags & ~0x07) == 0);
    Check(out.fieldCount <= 17 && out.bytesUsed >= 0);
    if (out.status == PARSE_INVALID_LENGTH)
        Check(out.fieldCount == 4);
    // Only a frame decoded without error asks the book.
    if (out.status != PARSE_OK)
        Check(out.noticesWaiting == 0);
    CheckFieldBuffer(fields, out, capacity,
                     [](const ParsedField& field) { return IsFennetField(field.fieldId) && field.hasText; });
    return 0;
}
