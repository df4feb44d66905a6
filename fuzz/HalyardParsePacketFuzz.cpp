// ParsePacket of the generic decoder on arbitrary records.
// Input: [chip selector][capacity / 16][captured length, int16][multiplier selector][record...]
// The record buffer holds exactly the bytes the caller vouches for (14 + N, and no more than
// the captured length allows) and the field buffer exactly its capacity, so any read or
// write beyond them is caught by AddressSanitizer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "plugin/frame/ParsedFieldRec.h"
#include "plugin/frame/PluginExports.h"
#include "plugin/frame/RawPacketRec.h"

#include "fuzz/FieldBufferCheck.h"
#include "fuzz/FuzzCheck.h"

namespace {

constexpr int kChips[] = {0,      0x6F1C, 0x3A1E, 0x6E7A, 0x6E7B, 0x6F48, 0x6F1D, 0x3A1F,
                          0x6F86, 0x6F87, 0x6F89, 0x6FB2, 0x6FB3, 0x6FB6, 0x0E61, 0x3A02,
                          0x3A0B, 0x3A0C, 0x3A5C, 0x3A5D, 0x3A5F, 0x3B90, 0x3B91, 0x3B92,
                          0x3B93, 0x3BC6, 0x7FFF, -1};

constexpr double kMultipliers[] = {1.0, 0.5, 2.0, 0.0, -1.0, 1e300, 1.000001,
                                   std::numeric_limits<double>::quiet_NaN()};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    const int chip = kChips[data[0] % std::size(kChips)];
    const int capacity = data[1] * 16;
    const int captured = static_cast<int16_t>(data[2] | data[3] << 8);
    const double multiplier = kMultipliers[data[4] % std::size(kMultipliers)];
    data += 5;
    size -= 5;

    uint8_t head[kRawPacketHeaderSize] = {};
    std::memcpy(head, data, std::min<size_t>(size, sizeof head));
    const int n = ReadRawPacketHeader(head).length;
    int vouched = n;
    if (captured != 0)
        vouched = std::clamp(std::min(n, captured + 2), 0, n);

    std::vector<uint8_t> record(kRawPacketHeaderSize + static_cast<size_t>(vouched), 0);
    std::memcpy(record.data(), data, std::min(size, record.size()));
    // Unwritten bytes read as a negative length, which ends the walk below.
    std::vector<char> fields(static_cast<size_t>(capacity), '\xEE');

    SetChipType(chip);
    SetPacketLength(capacity);
    PARSED_DATA out{};
    out.fieldBuffer = fields.data();
    Check(ParsePacket(record.data(), &out, multiplier, captured) == 1);

    Check(out.status == PARSE_OK || out.status == PARSE_FIELD_BUFFER_FULL ||
          out.status == PARSE_INVALID_LENGTH);
    Check(out.fieldCount <= 9 && out.bytesUsed >= 0);
    Check((out.infoFlags & ~0x17) == 0);
    CheckFieldBuffer(fields, out, capacity, [](const ParsedField& field) {
        return field.fieldId >= 0 && field.fieldId <= 8 && field.hasText;
    });
    return 0;
}
