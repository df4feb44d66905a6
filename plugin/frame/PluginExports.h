#pragma once

#include <cstdint>

#include "plugin/frame/ParsedData.h"

// The exports a plug-in offers under their plain names, and the pointer types the
// main program looks them up as. Results are 32-bit integers unless stated.

#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

// Decodes the raw record into out and the field buffer it points to; always returns 1.
// capturedLength: bytes that really arrived, 0 when unknown.
PLUGIN_EXPORT int ParsePacket(const uint8_t* raw, PARSED_DATA* out, double clockMultiplier,
                              int capturedLength);
PLUGIN_EXPORT int SetPacketLength(int capacity);
PLUGIN_EXPORT int SetProtocolVersion(int versionIndex);
PLUGIN_EXPORT int SetChipType(int chipCode);

using ParsePacketFn = int (*)(const uint8_t*, PARSED_DATA*, double, int);
using SetPacketLengthFn = int (*)(int);
using SetProtocolVersionFn = int (*)(int);
using SetChipTypeFn = int (*)(int);
