#include "tests/platform/dravik/stream/MacFrameCheck.h"

namespace streamtest {

namespace {

int AddressSize(int mode)
{
    return mode == 2 ? 2 : mode == 3 ? 8 : 0;
}

// Parameter bytes after the command id, by MAC command; -1 for commands never sent.
int CommandLength(uint8_t id)
{
    switch (id) {
    case 1: return 1;
    case 2: return 3;
    case 3: return 1;
    case 4: return 0;
    case 7: return 0;
    default: return -1;
    }
}

std::string CheckNetwork(const uint8_t* p, int n, MacFacts& facts)
{
    if (n < 5)
        return "network frame shorter than its header";
    const int type = p[0] & 3;
    const bool secured = (p[0] & 0x04) != 0;
    if (type == 0)
        return "reserved network frame type";
    if (((p[0] >> 3) & 3) != 1)
        return "network protocol version not 1";
    facts.networkDesignator = p[0] >> 6;
    int header = 5 + (type == 1 || type == 3 ? 1 : 0) + (type == 3 ? 2 : 0);
    if (secured)
        header += 4;
    if (n < header)
        return "network payload shorter than its header";
    if (type == 2 && !secured) {
        if (n < header + 1)
            return "network command without id";
        const uint8_t id = p[header];
        if (id < 1 || id > 8)
            return "unknown network command";
        const int rest = n - header - 1;
        if ((id == 5 && rest != 0) || ((id == 7 || id == 8) && rest != 5) || (id == 6 && rest < 1))
            return "network command of the wrong length";
    }
    return {};
}

} // namespace

MacFacts CheckMacFrame(const std::vector<uint8_t>& bytes)
{
    MacFacts facts;
    const int size = static_cast<int>(bytes.size());
    if (size < 6) {
        facts.error = "too short";
        return facts;
    }
    const int b = bytes[0] & 0x7F;
    if (b != size - 1 || (bytes[0] & 0x80) != 0) {
        facts.error = "length byte does not count the frame and status bytes";
        return facts;
    }
    const uint16_t fc = static_cast<uint16_t>(bytes[1] | bytes[2] << 8);
    facts.frameType = fc & 7;
    facts.ackRequest = (fc & 0x20) != 0;
    facts.sequence = bytes[3];
    const bool security = (fc & 0x08) != 0;
    const bool compression = (fc & 0x40) != 0;
    const int dm = (fc >> 10) & 3;
    const int version = (fc >> 12) & 3;
    const int sm = (fc >> 14) & 3;
    facts.destinationMode = dm;
    auto fail = [&](const char* why) {
        facts.error = why;
        return facts;
    };
    if (facts.frameType > 3)
        return fail("reserved frame type");
    if (security)
        return fail("MAC security is never sent");
    if (version > 1)
        return fail("frame version above 1");
    if (dm == 1 || sm == 1)
        return fail("reserved addressing mode");
    if (compression && (dm == 0 || sm == 0))
        return fail("PAN id compression without both addresses");
    if ((fc & 0x0380) != 0)
        return fail("reserved frame control bits set");

    int pos = 4;
    if (dm != 0) {
        facts.destinationPan = static_cast<uint16_t>(bytes[static_cast<size_t>(pos)] |
                                                     bytes[static_cast<size_t>(pos) + 1] << 8);
        pos += 2 + AddressSize(dm);
    }
    facts.sourceMode = sm;
    if (sm != 0) {
        pos += compression ? 0 : 2;
        for (int i = 0; i < AddressSize(sm) && pos + i < size; ++i)
            facts.sourceAddress |= static_cast<uint64_t>(bytes[static_cast<size_t>(pos + i)]) << (8 * i);
        pos += AddressSize(sm);
    }
    const int payloadEnd = size - 2;
    if (pos > payloadEnd)
        return fail("header runs into the status bytes");
    const uint8_t* payload = bytes.data() + pos;
    const int n = payloadEnd - pos;

    switch (facts.frameType) {
    case 0: {
        if (dm != 0 || sm == 0)
            return fail("beacon addressing");
        if (n < 4)
            return fail("beacon without superframe, GTS and pending fields");
        if ((payload[2] & 7) != 0)
            return fail("beacon with GTS descriptors");
        const int pending = payload[3];
        const int listed = (pending & 7) * 2 + ((pending >> 4) & 7) * 8;
        if (4 + listed > n)
            return fail("pending address list runs past the frame");
        break;
    }
    case 1:
        if (dm == 0 || sm == 0)
            return fail("data frame without both addresses");
        if (std::string why = CheckNetwork(payload, n, facts); !why.empty())
            return fail(why.c_str());
        break;
    case 2:
        if (dm != 0 || sm != 0 || b != 5)
            return fail("acknowledgement is not 5 bytes");
        break;
    case 3: {
        if (n < 1)
            return fail("command without id");
        const int expected = CommandLength(payload[0]);
        if (expected < 0 || n - 1 != expected)
            return fail("command parameters of the wrong length");
        break;
    }
    default:
        break;
    }
    return facts;
}

} // namespace streamtest
