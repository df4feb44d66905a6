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

// The address-book exchange record; its layout belongs to the address-book exchange.
struct ADDR_BOOK_REC;

// Called by a Bluetooth low energy plug-in with a new 16-byte long-term key.
using BleLtkUpdateCallback = void (*)(const uint8_t* key);

using ParsePacketFn = int (*)(const uint8_t*, PARSED_DATA*, double, int);
using SetPacketLengthFn = int (*)(int);
using SetProtocolVersionFn = int (*)(int);
using GetPendingRecFn = int (*)(ADDR_BOOK_REC*);
using SetAddrBookAutoRegisterFn = int (*)(int);
using GetNodeAdrBFn = int (*)(int, ADDR_BOOK_REC*);
using SetNodeAdrBFn = int (*)(ADDR_BOOK_REC*);
using RemoveAllNodesAddrBookFn = int (*)();
using RemoveNodeAdrBFn = int (*)(int);
using MoveNodeDownAdrBFn = int (*)(int);
using MoveNodeUpAdrBFn = int (*)(int);
using SetChipTypeFn = int (*)(int);
using GetFieldIndexTableFn = const char* const* (*)();
using SetBleKeysFn = void (*)(const uint8_t* key, int passKey);
using SetBleLtkUpdateCbFn = void (*)(BleLtkUpdateCallback callback);
