#pragma once

#include <cstdint>

// A capture data file holds records of 1 + B bytes: [info byte][the packet's raw record],
// zero-filled after the used bytes. Layout "2.17.0 or newer": u16 N at offset 13 and the
// frame bytes from 15. Older files have a one-byte length at 13 and the frame from 14.
namespace DataFileRec {

constexpr uint8_t kInfoLengthCountsStatus = 0x01;
constexpr uint8_t kInfoIncomplete = 0x04;
constexpr uint8_t kInfoGenericLayout = 0x10;
constexpr int kNewHeaderSize = 15; // info, number, time stamp, N

// Bytes of the record that carry data, counted from offset 1 (the raw record's used bytes).
// info may differ from the record's own byte (the "Generic" rule of older files).
int32_t UsedLength(const uint8_t* record, uint8_t info);

// The length the used-length rule reads: N with the generic layout, else the length byte.
int32_t DeclaredLength(const uint8_t* record, uint8_t info);

// Rewrites an old-layout record of recordSize bytes into the new layout in place.
void ConvertOldLayout(uint8_t* record, int32_t recordSize);

// What the plug-in is told arrived: 0 when the record cannot hold what it declares or is
// marked incomplete.
int CapturedLength(const uint8_t* record, uint8_t info, int32_t recordSize);

} // namespace DataFileRec
