#include "core/device/PacketBuffer.h"

#include <algorithm>
#include <cstring>

namespace {

uint32_t ReadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void WriteU32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

bool IsStatusKind(uint8_t kind)
{
    return kind == 2 || (kind >= 5 && kind <= 10);
}

// Keeps the counted length finite when a never-ending fragmented packet keeps growing.
constexpr long long kMaxCountedLength = 1 << 30;

} // namespace

PacketBuffer::PacketBuffer() = default;
PacketBuffer::~PacketBuffer() = default;

int PacketBuffer::ReadPacket(uint8_t*, int*, uint8_t*, int)
{
    return 0;
}

void PacketBuffer::ClearRing()
{
    ring_.fill(0);
    writePos_ = 0;
    readPos_ = 0;
    available_ = 0;
    lastTick_ = 0;
    wrapCount_ = 0;
    tickSeen_ = false;
}

void PacketBuffer::SetCapacity(int capacity)
{
    capacity_ = std::max(capacity, 0);
    // The time stamp is written before the size is known, so the buffer always holds it;
    // a record longer than the capacity is still never handed out.
    assembly_.assign(capacity_ > 0 ? std::max(capacity_, kRecordHeaderSize) : 0, 0);
    ResetPacket();
}

void PacketBuffer::CompactRing()
{
    if (readPos_ > 0 && available_ > 0)
        std::memmove(ring_.data(), ring_.data() + readPos_, static_cast<size_t>(available_));
    readPos_ = 0;
    writePos_ = available_;
}

void PacketBuffer::Drop(int count)
{
    readPos_ += count;
    available_ -= count;
}

void PacketBuffer::PushBackHeader()
{
    readPos_ -= 3;
    available_ += 3;
}

void PacketBuffer::Received(int count)
{
    writePos_ += count;
    available_ += count;
}

// Steps 2-4 of the header scan for the candidate at offset from the read position.
PacketBuffer::Verdict PacketBuffer::JudgeHeader(int offset, int* minimum, bool* isStatus) const
{
    const uint8_t* p = Unread() + offset;
    const uint8_t kind = p[0];
    const int length = p[1] | p[2] << 8;
    int m = 0;
    bool status = false;
    switch (layout_) {
    case kLayoutUndetected:
        if (kind == 0x00 || kind == 0x04)
            m = 4;
        else if (kind == 0x01 && length <= 2)
            m = 1;
        else if (IsStatusKind(kind) && offset == 0)
            status = true;
        else if ((kind == 0x03 || kind == 0x13) && length == 0)
            m = 0;
        else if (kind == 0x10 || kind == 0x14)
            m = 5;
        else if (kind == 0x11)
            m = 2;
        else
            return Verdict::NotHeader;
        break;
    case kLayoutNew:
        if (IsStatusKind(kind) && offset == 0)
            status = true;
        else if (kind == 0x10 || kind == 0x14)
            m = 5;
        else if (kind == 0x11 && length == 2)
            m = 2;
        else if (kind == 0x13 && length == 0 && offset == 0)
            m = 0;
        else
            return Verdict::NotHeader;
        break;
    default:
        if (kind == 0x00 || kind == 0x04)
            m = 4;
        else if (kind == 0x01 && length == 1)
            m = 1;
        else if (kind == 0x03 && length == 0)
            m = 0;
        else if (IsStatusKind(kind) && offset == 0)
            status = true;
        else
            return Verdict::NotHeader;
        break;
    }
    if (available_ < m + 3)
        return offset == 0 ? Verdict::NeedMore : Verdict::NotHeader;
    if (offset > available_ - 3 - m)
        return Verdict::NotHeader;
    const uint8_t* payload = p + 3;
    if (kind == 0x11 && payload[0] != payload[1])
        return Verdict::NotHeader;
    if ((kind == 0x10 || kind == 0x14) &&
        payload[4] != (payload[0] ^ payload[1] ^ payload[2] ^ payload[3]))
        return Verdict::NotHeader;
    if (length > capacity_ || length < m)
        return Verdict::NotHeader;
    *minimum = m;
    *isStatus = status;
    return Verdict::Valid;
}

int PacketBuffer::FindFollowingHeader(int from) const
{
    for (int i = from; i <= available_ - 3; ++i) {
        int m = 0;
        bool status = false;
        if (JudgeHeader(i, &m, &status) == Verdict::Valid)
            return i - 3;
    }
    return -1;
}

PacketBuffer::ScanResult PacketBuffer::ScanHeader()
{
    ScanResult result;
    if (available_ < 3)
        return result;
    for (int i = 0; i <= available_ - 3; ++i) {
        int m = 0;
        bool status = false;
        const Verdict verdict = JudgeHeader(i, &m, &status);
        if (verdict == Verdict::NeedMore)
            return result;
        if (verdict == Verdict::NotHeader)
            continue;
        const uint8_t* p = Unread() + i;
        const int length = p[1] | p[2] << 8;
        // Without the new layout's following header, only a whole frame shows that the
        // header is real.
        if (layout_ != kLayoutNew && !status && length + 3 > available_ - i) {
            if (i == 0)
                return result;
            result.what = ScanResult::Junk;
            result.junk = available_;
            return result;
        }
        if (i > 0) {
            result.what = ScanResult::Junk;
            result.junk = i;
            return result;
        }
        if (layout_ == kLayoutUndetected)
            layout_ = (p[0] & 0x10) != 0 ? kLayoutNew : kLayoutOld;
        result.what = ScanResult::Header;
        result.kind = p[0];
        result.length = length;
        if (layout_ == kLayoutNew) {
            const int next = FindFollowingHeader(m + 3);
            result.next = next;
        }
        Drop(3);
        return result;
    }
    result.what = ScanResult::Junk;
    result.junk = available_;
    return result;
}

std::pair<uint32_t, uint32_t> PacketBuffer::ExtendTick(uint32_t ticks)
{
    // The first value of a capture is taken as it stands: the free-running counter may be
    // anywhere, and no wrap can lie before it.
    if (!tickSeen_) {
        tickSeen_ = true;
        lastTick_ = ticks;
        return {ticks, wrapCount_};
    }
    // A late value from before the last wrap.
    if ((ticks & 0x80000000u) != 0 && lastTick_ <= 0x40000000u)
        return {ticks, wrapCount_ - 1u};
    if (ticks > lastTick_) {
        lastTick_ = ticks;
        return {ticks, wrapCount_};
    }
    if (lastTick_ - ticks > 0x20000000u) {
        ++wrapCount_;
        lastTick_ = ticks;
        return {ticks, wrapCount_};
    }
    return {ticks, wrapCount_};
}

void PacketBuffer::StartRecord(uint32_t ticks)
{
    const auto [low, wraps] = ExtendTick(ticks);
    WriteU32(assembly_.data(), low);
    WriteU32(assembly_.data() + 4, wraps);
    assembly_[8] = 0;
    assembly_[9] = 0;
    assembledLength_ = kRecordHeaderSize;
}

void PacketBuffer::Append(const uint8_t* bytes, int count)
{
    if (count <= 0)
        return;
    if (assembledLength_ + static_cast<long long>(count) <= capacity_)
        std::memcpy(assembly_.data() + assembledLength_, bytes, static_cast<size_t>(count));
    assembledLength_ =
        static_cast<int>(std::min(assembledLength_ + static_cast<long long>(count), kMaxCountedLength));
}

void PacketBuffer::AppendSkipping(const uint8_t* bytes, int count, int skip)
{
    if (count >= skip)
        Append(bytes + skip, count - skip);
    else
        Append(bytes, count);
}

int PacketBuffer::CheckRepeat(int status)
{
    const uint32_t ticks = ReadU32(assembly_.data());
    if (ticks == previousRecordTick_ && errorBefore_)
        status = kPacketRepeated;
    else
        errorBefore_ = false;
    previousRecordTick_ = ticks;
    return status;
}

int PacketBuffer::HandOut(int status, int* length, uint8_t* record)
{
    if (status == kPacketResync && length != nullptr)
        *length = 0;
    const bool hasRecord = status == kPacketComplete || status == kPacketIncomplete ||
                           (status == kPacketOverflow && assembledLength_ > kRecordHeaderSize);
    if (hasRecord) {
        if (assembledLength_ <= capacity_) {
            if (record != nullptr) {
                std::memcpy(record, assembly_.data(), static_cast<size_t>(assembledLength_));
                const int n = assembledLength_ - kRecordHeaderSize;
                record[8] = static_cast<uint8_t>(n);
                record[9] = static_cast<uint8_t>(n >> 8);
            }
            if (length != nullptr)
                *length = assembledLength_;
        } else {
            // Its bytes were never stored: the caller learns that a packet was lost, and
            // gets nothing beyond the capacity.
            if (status == kPacketComplete)
                status = kPacketIncomplete;
            if (length != nullptr)
                *length = 0;
        }
        return CheckRepeat(status);
    }
    if (status == kPacketPending && assembledLength_ > kRecordHeaderSize)
        return CheckRepeat(status);
    return status;
}

void PacketBuffer::ResetPacket()
{
    fragmentLength_ = 0;
    assembledLength_ = 0;
    currentTick_ = kNoTick;
    fragmentOpen_ = false;
}

void PacketBuffer::FinishCall(int status)
{
    if (status != kPacketPending)
        ResetPacket();
    if (status == kPacketIncomplete || status == kPacketResync || status == kPacketOverflow ||
        status == kPacketStatusFrame)
        errorBefore_ = true;
}
