#pragma once

#include <cstddef>
#include <cstdint>

// The texts of the MAC fields whose values are bit fields or lists. Each writes one
// NUL-terminated text into text, which holds size bytes (a text that does not fit is cut).

constexpr size_t kMacFieldTextSize = 256;
// The pending-address list may run to two lines of nearly a thousand characters.
constexpr size_t kPendingAddrTextSize = 2048;

void FormatSuperframe(char* text, size_t size, uint16_t superframe);
void FormatCapabilityInfo(char* text, size_t size, uint8_t capability);
void FormatAssocStatus(char* text, size_t size, uint16_t shortAddress, uint8_t status);
const char* FormatDisassocReason(uint8_t reason);
// page < 0: the command ends before a channel page.
void FormatRealignment(char* text, size_t size, uint16_t panId, uint16_t coordinatorShort, uint8_t channel,
                       uint16_t shortAddress, int page);
void FormatGtsRequest(char* text, size_t size, uint8_t characteristics);

// The GTS fields of a beacon: descriptors holds 3 bytes for each of the count (bits 0-2 of
// gtsHeader) descriptors. Returns the field the text belongs in: FI_GTS_FIELD_X with
// descriptors, FI_GTS_FIELD_T without.
int32_t FormatGtsList(char* text, size_t size, uint8_t gtsHeader, uint8_t directionMask, const uint8_t* descriptors);

// addresses holds shortCount 16-bit addresses, then extendedCount 64-bit ones.
void FormatPendingAddrList(char* text, size_t size, const uint8_t* addresses, int shortCount, int extendedCount);
