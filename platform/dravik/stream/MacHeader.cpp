#include "platform/dravik/stream/MacHeader.h"

namespace {

void AppendLittle(std::vector<uint8_t>& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void AppendAddress(std::vector<uint8_t>& out, const MacAddress& address)
{
    if (address.mode == MacAddress::kShort)
        AppendLittle(out, address.value, 2);
    else if (address.mode == MacAddress::kExtended)
        AppendLittle(out, address.value, 8);
}

} // namespace

bool MacHeader::PanCompression() const
{
    return destination.mode != MacAddress::kNone && source.mode != MacAddress::kNone &&
           destinationPan == sourcePan;
}

uint16_t MacHeader::FrameControl() const
{
    return static_cast<uint16_t>((frameType & 7) | (framePending ? 0x10 : 0) | (ackRequest ? 0x20 : 0) |
                                 (PanCompression() ? 0x40 : 0) | (destination.mode & 3) << 10 |
                                 (frameVersion & 3) << 12 | (source.mode & 3) << 14);
}

void MacHeader::AppendTo(std::vector<uint8_t>& out) const
{
    AppendLittle(out, FrameControl(), 2);
    out.push_back(sequence);
    if (destination.mode != MacAddress::kNone) {
        AppendLittle(out, destinationPan, 2);
        AppendAddress(out, destination);
    }
    if (source.mode != MacAddress::kNone) {
        if (!PanCompression())
            AppendLittle(out, sourcePan, 2);
        AppendAddress(out, source);
    }
}
