#pragma once

#include <cstdint>
#include <vector>

#include "plugin/frame/ParsedData.h"

class DiskBufferHandler;

// Reads the disk buffer front to back for one thread (a filter scan, a block load, a save):
// records come in runs of about a megabyte, one read for the whole run, instead of one read
// each. Records never change once counted, so a run stays good until the buffer is made anew;
// the owner drops the reader before that.
class DiskBufferReader {
public:
    explicit DiskBufferReader(DiskBufferHandler& disk);

    // Record n whole (L bytes), valid until the next call; null when it cannot be read, with the
    // message DiskBufferHandler::ReadRecord shows.
    const uint8_t* Record(int32_t n);
    // As DiskBufferHandler::ReadPacket, from the run.
    int ReadPacket(int32_t n, PARSED_DATA* parsed);
    // As ReadPacket without the message: -1 when the record cannot be read, with error the
    // system's error number (0 for a short file).
    int TryReadPacket(int32_t n, PARSED_DATA* parsed, int* error);

private:
    // Record n from the run, reading a new run from n on when it is not there; error gets the
    // system's error number of a failed read.
    const uint8_t* Fetch(int32_t n, int* error);

    DiskBufferHandler& disk_;
    std::vector<uint8_t> run_;
    int32_t first_ = 0; // number of the run's first record
    int32_t count_ = 0; // records in the run
};
