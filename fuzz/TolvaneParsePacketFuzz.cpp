// ParsePacket of the 802.15.4 decoder, and the address book it feeds, on arbitrary records.
// Input: [chip selector][capacity / 16][captured length, int16][multiplier selector][book flags]
// [record...]. Book flags: bit 0 auto-registration, bit 1 drain the notices afterwards, bit 2
// clear the book afterwards (which also keeps a long run's memory bounded).
// The record buffer holds exactly the bytes the caller vouches for (the 15 bytes up to the
// length byte and the B frame bytes, B clipped to the captured length) and the field buffer
// exactly its capacity, so any read or write beyond them is caught by AddressSanitizer.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "plugin/frame/ParsedFieldRec.h"
#include "plugin/frame/PluginExports.h"
#include "plugin/frame/RawPacketRec.h"
#include "plugin/tolvane/TolvaneField.h"

#include "fuzz/FieldBufferCheck.h"
#include "fuzz/FuzzCheck.h"

namespace {

constexpr int kChips[] = {0, 0x6E7A, 0x6F48, 0x6F86, 0x6F87, 0x6F89, 0x6F1C, 0x3A02, 0x7FFF, -1};

constexpr double kMultipliers[] = {1.0, 0.5, 2.0, 0.0, -1.0, 1e300, std::numeric_limits<double>::quiet_NaN()};

constexpr int kHeaderBytes = kRawPacketHeaderSize + 1;

// Ids that no frame produces.
bool NeverProduced(int32_t id)
{
    return id == FI_BUF_OVERFLOW || id == FI_MAC_PAYLOAD_X || id == FI_MAC_PAYLOAD_T;
}

void DrainNotices()
{
    char text[128];
    ADDR_BOOK_REC rec{};
    rec.text = text;
    while (GetPendingRec(&rec) == 1)
        Check(std::memchr(text, '\0', sizeof text) != nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6)
        return 0;
    const int chip = kChips[data[0] % std::size(kChips)];
    const int capacity = data[1] * 16;
    const int captured = static_cast<int16_t>(data[2] | data[3] << 8);
    const double multiplier = kMultipliers[data[4] % std::size(kMultipliers)];
    const uint8_t bookFlags = data[5];
    data += 6;
    size -= 6;

    const int length = size > kRawPacketHeaderSize ? (data[kRawPacketHeaderSize] & 0x7F) : 0;
    int vouched = length;
    if (captured != 0)
        vouched = std::clamp(std::min(length, static_cast<int>(captured)), 0, length);

    std::vector<uint8_t> record(kHeaderBytes + static_cast<size_t>(vouched), 0);
    std::memcpy(record.data(), data, std::min(size, record.size()));
    std::vector<char> fields(static_cast<size_t>(capacity), '\xEE');

    SetChipType(chip);
    SetPacketLength(capacity);
    SetAddrBookAutoRegister(bookFlags & 1);
    PARSED_DATA out{};
    out.fieldBuffer = fields.data();
    Check(ParsePacket(record.data(), &out, multiplier, captured) == 1);

    Check(out.status == PARSE_OK || out.status == PARSE_FIELD_BUFFER_FULL || out.status == PARSE_INVALID_LENGTH);
    Check(out.bytesUsed >= 0);
    Check((out.infoFlags & ~0x07) == 0);
    CheckFieldBuffer(fields, out, capacity, [](const ParsedField& field) {
        return field.fieldId >= 0 && field.fieldId < kTolvaneFieldCount && !NeverProduced(field.fieldId);
    });
    if (out.status == PARSE_OK)
        Check(out.dstNodeId >= -1 && out.srcNodeId >= -1);
    if (bookFlags & 2)
        DrainNotices();
    if (bookFlags & 4)
        Check(RemoveAllNodesAddrBook() != 0);
    return 0;
}
