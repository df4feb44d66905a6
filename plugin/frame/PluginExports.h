#pragma once

#include <cstdint>

#include "plugin/frame/AddrBookRec.h"
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

// The address book (the record's text holds the node as NODE_TEXT, see NodeText.h).
// Pops the oldest notice into rec; 0 when none waits.
PLUGIN_EXPORT int GetPendingRec(ADDR_BOOK_REC* rec);
// Stores the auto-registration switch; returns it.
PLUGIN_EXPORT int SetAddrBookAutoRegister(int on);
// Writes node index into rec (type 0); 0 when index is not a node.
PLUGIN_EXPORT int GetNodeAdrB(int index, ADDR_BOOK_REC* rec);
// Adds the node of rec's name and address, or renames the node of that address; 1 done.
PLUGIN_EXPORT int SetNodeAdrB(ADDR_BOOK_REC* rec);
// Empties the book and the seen addresses; the name memory and the queue stay. Nonzero.
PLUGIN_EXPORT int RemoveAllNodesAddrBook();
// Deletes node index (past the end: the last); queues no notice. Nonzero.
PLUGIN_EXPORT int RemoveNodeAdrB(int index);
// Swap nodes index and index + 1 (down) or index - 1 and index (up); 0 out of range.
PLUGIN_EXPORT int MoveNodeDownAdrB(int index);
PLUGIN_EXPORT int MoveNodeUpAdrB(int index);

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
