#pragma once

#include <cstdint>

// The board's USB data pipe: one continuous byte stream of device frames. Boards (real or
// simulated) derive from it; the framing layer only reads.
class DravikPipe {
public:
    DravikPipe() = default;
    virtual ~DravikPipe();

    DravikPipe(const DravikPipe&) = delete;
    DravikPipe& operator=(const DravikPipe&) = delete;

    // Fills at most requested bytes of buffer and sets *received to the number that arrived.
    // Returns 0 on success (also when no bytes arrived), -1 when nothing could be read, or
    // another error code. A pipe with no board behind it never delivers anything.
    virtual int Read(uint8_t* buffer, int requested, int* received, int timeoutMs);
};
