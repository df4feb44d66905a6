#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Per-packet descriptor filled by a plug-in's ParsePacket and completed by the packet store.
// Memory shared across the module boundary: field order, widths and natural alignment are fixed.
struct PARSED_DATA {
    uint32_t packetNumber;   // 0 marks an empty cache slot in the main program
    uint32_t reserved;
    uint64_t time;           // microseconds
    uint8_t indent;          // row indent in the packet list
    int32_t frameClass;      // row of the protocol's frame-kind table
    int32_t nodeIdsChanged;  // 1 when the frame added (or changed) an address-book node
    int32_t srcNodeId;       // -1 none
    int32_t dstNodeId;       // -1 none
    int32_t rssi;            // dBm
    uint16_t correlation;
    int32_t noticesWaiting;  // nonzero: address-book notices wait in the plug-in's queue
    int32_t frameLength;     // as received, before any clipping
    int32_t indexed;         // set by the packet store
    int32_t crcOk;
    uint16_t fieldCount;     // field records produced, including those that did not fit
    int32_t bytesUsed;       // bytes of field records produced, including those that did not fit
    int32_t status;          // ParseStatus or a capture event
    int32_t infoFlags;       // InfoFlag bits; the low byte is the data-file information byte
    char* fieldBuffer;       // the caller's field buffer (input)
};

static_assert(offsetof(PARSED_DATA, packetNumber) == 0);
static_assert(offsetof(PARSED_DATA, reserved) == 4);
static_assert(offsetof(PARSED_DATA, time) == 8);
static_assert(offsetof(PARSED_DATA, indent) == 16);
static_assert(offsetof(PARSED_DATA, frameClass) == 20);
static_assert(offsetof(PARSED_DATA, nodeIdsChanged) == 24);
static_assert(offsetof(PARSED_DATA, srcNodeId) == 28);
static_assert(offsetof(PARSED_DATA, dstNodeId) == 32);
static_assert(offsetof(PARSED_DATA, rssi) == 36);
static_assert(offsetof(PARSED_DATA, correlation) == 40);
static_assert(offsetof(PARSED_DATA, noticesWaiting) == 44);
static_assert(offsetof(PARSED_DATA, frameLength) == 48);
static_assert(offsetof(PARSED_DATA, indexed) == 52);
static_assert(offsetof(PARSED_DATA, crcOk) == 56);
static_assert(offsetof(PARSED_DATA, fieldCount) == 60);
static_assert(offsetof(PARSED_DATA, bytesUsed) == 64);
static_assert(offsetof(PARSED_DATA, status) == 68);
static_assert(offsetof(PARSED_DATA, infoFlags) == 72);
static_assert(offsetof(PARSED_DATA, fieldBuffer) == 80);
static_assert(sizeof(PARSED_DATA) == 88);

// Stored records count the descriptor as 80 bytes: the 76 bytes before the
// field-buffer pointer, then 4 zero bytes where a 32-bit pointer stood.
constexpr int kParsedDataStoredSize = 80;
constexpr int kParsedDataStoredPrefix = 76;
static_assert(kParsedDataStoredPrefix <= static_cast<int>(offsetof(PARSED_DATA, fieldBuffer)));

// Writes the stored form of parsed: its first 76 bytes, then 4 zero bytes.
inline void StoreParsedData(uint8_t* destination, const PARSED_DATA& parsed)
{
    std::memcpy(destination, &parsed, kParsedDataStoredPrefix);
    std::memset(destination + kParsedDataStoredPrefix, 0,
                kParsedDataStoredSize - kParsedDataStoredPrefix);
}

// Reads a stored descriptor into parsed, which keeps its own field-buffer pointer.
inline void LoadParsedData(PARSED_DATA& parsed, const uint8_t* source)
{
    std::memcpy(&parsed, source, kParsedDataStoredPrefix);
}

enum ParseStatus : int32_t {
    PARSE_OK = 0,
    PARSE_FIELD_BUFFER_FULL = 2, // "Parsed data too long!"
    PARSE_INVALID_LENGTH = 9,    // "Invalid length!"
};

enum InfoFlag : int32_t {
    INFO_LENGTH_COUNTS_STATUS = 0x01, // the two status bytes stand inside the frame's length
    INFO_CORRELATION_VALID = 0x02,
    INFO_INCOMPLETE = 0x04,           // captured length unknown or shorter than the frame
    INFO_EVENT_RECORD = 0x08,         // error record of capture event 1
    INFO_GENERIC_LAYOUT = 0x10,       // 16-bit length at offset 12, no length byte
};
