// The display filter on arbitrary conditions and field buffers.
// Input: [field count][condition count % 5]{[link % 3][field id]}...
//        {pattern bytes, each ended by '\n'}... [field buffer...]
// A pattern of 500 bytes or more fills the values array without a NUL. The field buffer is
// an exactly sized copy of the rest, and the filter's parsed length is its size, so any read
// beyond it is caught by AddressSanitizer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string_view>
#include <vector>

#include "core/host/PacketFilter.h"

#include "fuzz/FuzzCheck.h"

namespace {

constexpr size_t kMaxConditions = 4;
constexpr uint8_t kPatternEnd = '\n';

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const uint16_t fieldCount = data[0];
    const size_t count = data[1] % (kMaxConditions + 1);
    data += 2;
    size -= 2;

    std::vector<REC_FILTER> conditions(count);
    for (REC_FILTER& condition : conditions) {
        condition = REC_FILTER{};
        if (size >= 2) {
            condition.link = data[0] % 3;
            condition.fieldId = data[1] == 0xFF ? UINT32_MAX : data[1];
            data += 2;
            size -= 2;
        }
    }
    for (REC_FILTER& condition : conditions) {
        const uint8_t* end = static_cast<const uint8_t*>(std::memchr(data, kPatternEnd, size));
        const size_t length = end != nullptr ? static_cast<size_t>(end - data) : size;
        std::memcpy(condition.values, data, std::min(length, sizeof condition.values));
        const size_t used = end != nullptr ? length + 1 : length;
        data += used;
        size -= used;
    }

    const size_t capacity = std::min<size_t>(size, UINT16_MAX);
    std::vector<char> fields(data, data + capacity);
    PARSED_DATA packet{};
    packet.fieldCount = fieldCount;
    packet.bytesUsed = static_cast<int32_t>(capacity);
    packet.fieldBuffer = fields.data();

    PacketFilter filter(static_cast<uint16_t>(capacity));
    for (const REC_FILTER& condition : conditions)
        filter.AddCondition(condition);
    const int result = filter.Evaluate(packet);
    Check(result == 0 || result == 1);

    // The packet passes when every condition of some row matches; rows end at link 1, and
    // whatever follows the last such link is the last row.
    bool anyRow = false;
    bool row = true;
    for (const REC_FILTER& condition : conditions) {
        const size_t length = static_cast<size_t>(
            std::find(std::begin(condition.values), std::end(condition.values), '\0') -
            std::begin(condition.values));
        const int match =
            filter.MatchField(condition.fieldId, std::string_view(condition.values, length), packet);
        Check(match == 0 || match == 1);
        row = row && match == 1;
        if (condition.link == kFilterLinkEndRow) {
            anyRow = anyRow || row;
            row = true;
        }
    }
    anyRow = anyRow || row;
    Check(result == (anyRow ? 1 : 0));
    return 0;
}
