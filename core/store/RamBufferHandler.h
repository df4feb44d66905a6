#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "plugin/frame/ParsedData.h"

// The RAM cache: up to 24 slots, each holding one block of K consecutive packets as their
// PARSED_DATA and P bytes of field records (never the raw record).
class RamBufferHandler {
public:
    static constexpr int kMaxSlots = 24;
    static constexpr int kPerPacketOverhead = 76;

    RamBufferHandler();
    virtual ~RamBufferHandler();
    RamBufferHandler(const RamBufferHandler&) = delete;
    RamBufferHandler& operator=(const RamBufferHandler&) = delete;

    void SetParsedLength(uint16_t parsedLength);
    uint16_t ParsedLength() const { return parsedLength_; }

    // Sizes and allocates the slots for mb megabytes; 0 when refused or out of memory.
    int Allocate(uint16_t mb);
    int StorePacket(int slot, int pos, const PARSED_DATA* parsed);
    int GetPacket(int slot, int pos, PARSED_DATA* out) const;
    int ResetBlock(int slot);
    int ResetAll();
    int FreeAll();

    int BlockCount() const { return blockCount_; }      // N
    int PacketsPerBlock() const { return packetsPerBlock_; } // K
    int32_t BlockBytes() const { return blockBytes_; }  // K x P

private:
    struct Slot {
        std::vector<char> fields;          // K x P bytes
        std::vector<PARSED_DATA> records;  // K entries; packet number 0 = empty
    };

    std::array<Slot, kMaxSlots> slots_;
    int32_t blockBytes_ = 0;
    uint16_t parsedLength_ = 0;
    int blockCount_ = 0;
    int packetsPerBlock_ = 0;
    mutable std::mutex mutex_;
};
