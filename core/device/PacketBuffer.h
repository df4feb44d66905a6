#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

// Results of ReadPacket. Any other value is a pipe error code passed through.
enum PacketStatus : int {
    kPacketComplete = 0,    // a whole packet; record written (10 + N bytes)
    kPacketNothingRead = 1, // the pipe read reported -1; nothing written
    kPacketIncomplete = 2,  // part of a packet; record written, or length 0 when it could not fit
    kPacketResync = 6,      // bytes before the next header were dropped; length 0
    kPacketOverflow = 7,    // the device overflowed; record written only when one was assembled
    kPacketStatusFrame = 8, // a status frame was dropped; nothing written
    kPacketPending = 9,     // nothing to hand out yet; nothing written
    kPacketRepeated = 10,   // repeats the tick of the record before an error; written as its cause
};

enum PacketLayout : int {
    kLayoutUndetected = -1,
    kLayoutOld = 0,
    kLayoutNew = 1,
};

// The receive ring and the assembly buffer of the device stream framing, with the state that
// lives across calls: the detected layout, the tick extension and the open packet. The
// framing itself is done by a derived class that owns a data source.
//
// A record is [u32 ticks][u32 wrap count][u16 N][N packet bytes], little-endian.
class PacketBuffer {
public:
    static constexpr int kRingSize = 8192;
    static constexpr int kMaxReadSize = 4096;
    static constexpr int kRecordHeaderSize = 10;
    static constexpr uint32_t kNoTick = 0xFFFFFFFFu;

    PacketBuffer();
    virtual ~PacketBuffer();

    PacketBuffer(const PacketBuffer&) = delete;
    PacketBuffer& operator=(const PacketBuffer&) = delete;

    // One step of the framing; returns a PacketStatus. record must hold at least Capacity()
    // bytes. kind receives the kind of the last frame handled, bit 4 cleared. The base has no
    // stream: it returns 0 and touches nothing.
    virtual int ReadPacket(uint8_t* kind, int* length, uint8_t* record, int timeoutMs);

    // Forgets the received bytes and the tick extension (not the layout or the open packet).
    virtual void ClearRing();

    // The largest record handed out; a new, empty assembly buffer. Until a positive
    // capacity is set, ReadPacket returns 9 without reading.
    void SetCapacity(int capacity);

    int Capacity() const { return capacity_; }
    int Layout() const { return layout_; }
    int ResyncCount() const { return resyncCount_; }
    uint32_t LastTickValue() const { return lastTick_; }
    uint32_t WrapCount() const { return wrapCount_; }

protected:
    // What the header scan found at the read position.
    struct ScanResult {
        enum What { NeedMore, Junk, Header } what = NeedMore;
        int junk = 0;      // Junk: bytes to drop
        uint8_t kind = 0;  // Header (already consumed): the frame
        int length = 0;    // declared payload length
        int next = -1;     // new layout: offset of the following header from the payload start
    };

    // Moves the unread bytes to the start of the ring.
    void CompactRing();
    ScanResult ScanHeader();
    const uint8_t* Unread() const { return ring_.data() + readPos_; }
    void Drop(int count);
    void PushBackHeader();
    int FreeSpace() const { return kRingSize - writePos_; }
    uint8_t* WritePosition() { return ring_.data() + writePos_; }
    void Received(int count);

    // {ticks, wrap count} of a 32-bit tick value; updates the extension state.
    std::pair<uint32_t, uint32_t> ExtendTick(uint32_t ticks);

    // Starts a record with the extended time stamp of ticks.
    void StartRecord(uint32_t ticks);
    // Appends count bytes; they are stored only when they fit, but always counted, so that
    // an oversized packet is known and never handed out.
    void Append(const uint8_t* bytes, int count);
    // Appends count bytes less the first skip of them when there are at least that many.
    void AppendSkipping(const uint8_t* bytes, int count, int skip);
    bool HasAssemblyBuffer() const { return !assembly_.empty(); }
    // Copies the record out (step 4 of the framing) and applies the repeat test.
    int HandOut(int status, int* length, uint8_t* record);
    // Ends a call: packet state and error flag by the final status.
    void FinishCall(int status);
    void ResetPacket();
    int TickPrefix() const { return layout_ == kLayoutNew ? 5 : 4; }

    uint8_t resyncCount_ = 0;
    int capacity_ = 0;
    int layout_ = kLayoutUndetected;
    std::array<uint8_t, kRingSize> ring_{};
    int writePos_ = 0;
    int readPos_ = 0;
    int available_ = 0;
    uint32_t lastTick_ = 0;
    uint32_t wrapCount_ = 0;
    bool tickSeen_ = false; // a tick value was extended since construction or ClearRing
    int fragmentLength_ = 0;
    int assembledLength_ = 0;
    std::vector<uint8_t> assembly_;
    uint32_t currentTick_ = kNoTick;
    bool fragmentOpen_ = false;
    uint32_t previousRecordTick_ = kNoTick;
    bool errorBefore_ = false;
    uint8_t lastKind_ = 0;

private:
    enum class Verdict { NotHeader, NeedMore, Valid };
    Verdict JudgeHeader(int offset, int* minimum, bool* isStatus) const;
    int FindFollowingHeader(int from) const;
    int CheckRepeat(int status);
};
