#pragma once

#include <cstdint>

#include "core/device/PacketBuffer.h"

class DravikPipe;

// The framing of a board's data pipe: reads the pipe into the ring, finds the frames, joins
// fragmented packets, extends the tick counter and hands out one record per call.
class PacketBufferDravik : public PacketBuffer {
public:
    // pipe is not owned and must outlive this object; a null pipe never delivers.
    explicit PacketBufferDravik(DravikPipe* pipe);
    ~PacketBufferDravik() override;

    // One step; see PacketStatus. record must hold at least Capacity() bytes.
    int ReadPacket(uint8_t* kind, int* length, uint8_t* record, int timeoutMs) override;

private:
    int HandleFrame(const ScanResult& frame, int timeoutMs);
    int HandlePacketFrame(const ScanResult& frame, int declared, int timeoutMs);
    int DropJunk(int count);
    // Reads more bytes into the ring: 9, 1 for -1, or the pipe's own error code.
    int ReadPipe(int timeoutMs);

    DravikPipe* pipe_;
    bool pipeFailed_ = false; // the status of this call is the pipe's own error code
};
