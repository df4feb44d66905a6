#pragma once

#include <cstdint>

// A capture data file holds records of 1 + B bytes: [info byte][the packet's raw record],
// zero-filled after the used bytes. Layout "2.17.0 or newer": u16 N at offset 13 and the
// frame bytes from 15. Older files have a one-byte length at 13 and the frame from 14.
//
// Every function here is given the size of the record it works on and never reads or writes
// beyond it: a byte the record does not hold reads as 0. Block sizes below 15 give records
// too short for the header, and the files they are read from may hold anything.
namespace DataFileRec {

constexpr uint8_t kInfoLengthCountsStatus = 0x01;
constexpr uint8_t kInfoIncomplete = 0x04;
constexpr uint8_t kInfoGenericLayout = 0x10;
constexpr int kNewHeaderSize = 15; // info, number, time stamp, N
constexpr int kLengthOffset = 13;  // N, or the old layout's length byte
constexpr int kLengthByteOffset = 15;
constexpr int kNumberOffset = 1;

// Byte i of a record of size bytes; 0 beyond it.
inline uint8_t ByteAt(const uint8_t* record, int32_t size, int32_t i)
{
    return i >= 0 && i < size ? record[i] : 0;
}

// The packet number at offset 1 (0 for the bytes the record does not hold).
uint32_t PacketNumber(const uint8_t* record, int32_t size);

// Bytes of the record that carry data, counted from offset 1 (the raw record's used bytes).
// info may differ from the record's own byte (the "Generic" rule of older files).
int32_t UsedLength(const uint8_t* record, int32_t size, uint8_t info);

// The length the used-length rule reads: N with the generic layout, else the length byte.
int32_t DeclaredLength(const uint8_t* record, int32_t size, uint8_t info);

// Rewrites an old-layout record of recordSize bytes into the new layout in place.
void ConvertOldLayout(uint8_t* record, int32_t recordSize);

// What the plug-in is told arrived: 0 when the record cannot hold what it declares or is
// marked incomplete.
int CapturedLength(const uint8_t* record, uint8_t info, int32_t recordSize);

// One record as just read from a file, made ready for the store: an old-layout record is
// rewritten into the new layout; returns the captured length for the plug-in.
int PrepareReadRecord(uint8_t* record, int32_t recordSize, bool newLayout, bool generic);

// Fills record (1 + rawLength bytes) with the data-file record of a stored packet: the info
// byte, the used bytes of raw, zeros. false when the used bytes would not fit in rawLength;
// *declared then holds the length that was read.
bool MakeRecord(uint8_t* record, const uint8_t* raw, uint16_t rawLength, uint8_t info, int32_t* declared);

} // namespace DataFileRec
