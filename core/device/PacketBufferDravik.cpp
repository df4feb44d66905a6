#include "core/device/PacketBufferDravik.h"

#include <algorithm>

#include "platform/dravik/DravikPipe.h"

namespace {

uint32_t TickOf(const uint8_t* payload)
{
    return static_cast<uint32_t>(payload[0]) | static_cast<uint32_t>(payload[1]) << 8 |
           static_cast<uint32_t>(payload[2]) << 16 | static_cast<uint32_t>(payload[3]) << 24;
}

} // namespace

PacketBufferDravik::PacketBufferDravik(DravikPipe* pipe) : pipe_(pipe) {}

PacketBufferDravik::~PacketBufferDravik() = default;

int PacketBufferDravik::ReadPacket(uint8_t* kind, int* length, uint8_t* record, int timeoutMs)
{
    // Without an assembly buffer nothing could be handed out; leave the stream unread.
    if (!HasAssemblyBuffer())
        return kPacketPending;
    pipeFailed_ = false;
    CompactRing();
    const ScanResult scan = ScanHeader();
    int status = kPacketPending;
    switch (scan.what) {
    case ScanResult::Junk:
        status = DropJunk(scan.junk);
        break;
    case ScanResult::NeedMore:
        status = ReadPipe(timeoutMs);
        break;
    case ScanResult::Header:
        lastKind_ = scan.kind;
        status = HandleFrame(scan, timeoutMs);
        break;
    }
    if (kind != nullptr)
        *kind = static_cast<uint8_t>(lastKind_ & ~0x10);
    if (pipeFailed_) {
        ResetPacket();
        return status;
    }
    status = HandOut(status, length, record);
    FinishCall(status);
    return status;
}

int PacketBufferDravik::DropJunk(int count)
{
    Drop(count);
    // An open packet may still get its end: the junk is not a loss of synchronisation yet.
    if (fragmentLength_ > 0)
        return kPacketPending;
    if (++resyncCount_ > 10) {
        resyncCount_ = 0;
        layout_ = kLayoutUndetected;
    }
    return kPacketResync;
}

int PacketBufferDravik::ReadPipe(int timeoutMs)
{
    const int requested = std::min(kMaxReadSize, FreeSpace());
    // A full ring still waiting for its frame can never complete it.
    if (requested <= 0)
        return DropJunk(available_);
    int received = 0;
    const int result = pipe_ != nullptr ? pipe_->Read(WritePosition(), requested, &received, timeoutMs) : -1;
    if (result == -1)
        return kPacketNothingRead;
    if (result != 0) {
        pipeFailed_ = true;
        return result;
    }
    Received(std::clamp(received, 0, requested));
    return kPacketPending;
}

int PacketBufferDravik::HandleFrame(const ScanResult& frame, int timeoutMs)
{
    const int type = frame.kind & 0x0F;
    const uint8_t* payload = Unread();
    // The end of a fragmented packet declares the whole packet; the start frames carried
    // the first part of it.
    const int declared = type == 0 ? frame.length - fragmentLength_ : frame.length;

    if (frame.next >= 0 && frame.next < declared) {
        // Cut short by the next header: hand out what arrived.
        if (assembledLength_ == 0)
            StartRecord(TickOf(payload));
        AppendSkipping(payload, frame.next, TickPrefix());
        Drop(frame.next);
        return kPacketIncomplete;
    }
    switch (type) {
    case 0:
    case 4:
        return HandlePacketFrame(frame, declared, timeoutMs);
    case 1:
        if (frame.length > available_) {
            PushBackHeader();
            return ReadPipe(timeoutMs);
        }
        ExtendTick(static_cast<uint32_t>(payload[0]) << 24);
        Drop(frame.length);
        return kPacketPending;
    case 3:
        if (assembledLength_ + static_cast<long long>(available_) <= capacity_) {
            AppendSkipping(payload, available_, TickPrefix());
            Drop(available_);
        }
        return kPacketOverflow;
    default:
        Drop(std::min(frame.length, available_));
        return kPacketStatusFrame;
    }
}

int PacketBufferDravik::HandlePacketFrame(const ScanResult& frame, int declared, int timeoutMs)
{
    const int type = frame.kind & 0x0F;
    const uint8_t* payload = Unread();
    const int prefix = TickPrefix();
    const uint32_t ticks = TickOf(payload);
    // Compared only while a packet is open, so that a tick value equal to "none" still
    // starts a packet of its own.
    const bool continues = fragmentOpen_ && ticks == currentTick_;

    if (type == 0 && continues && declared < prefix) {
        const int taken = frame.next >= 0 ? frame.next : available_;
        AppendSkipping(payload, taken, prefix);
        Drop(taken);
        return kPacketIncomplete;
    }
    if (!continues && fragmentOpen_) {
        // A new packet began: the open one ends incomplete; this frame is read again.
        PushBackHeader();
        return kPacketIncomplete;
    }
    const int whole = type == 0 ? declared : frame.length;
    if (whole > available_) {
        PushBackHeader();
        return ReadPipe(timeoutMs);
    }
    if (!continues) {
        currentTick_ = ticks;
        StartRecord(ticks);
    }
    Append(payload + prefix, whole - prefix);
    Drop(whole);
    if (type == 0) {
        resyncCount_ = 0;
        return kPacketComplete;
    }
    fragmentOpen_ = true;
    fragmentLength_ = assembledLength_ - kRecordHeaderSize;
    return kPacketPending;
}
