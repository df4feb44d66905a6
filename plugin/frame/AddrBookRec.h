#pragma once

#include <cstddef>
#include <cstdint>

// The address-book exchange record: the main program owns it, the plug-in's address-book
// exports fill or read it. It crosses the module boundary, so field order and widths are
// fixed, each field at its natural alignment.
struct ADDR_BOOK_REC {
    uint32_t type;  // notice kind from GetPendingRec; 0 from GetNodeAdrB
    uint16_t index; // the node's position in the book, its row in the panel
    uint32_t value; // the node id, key of its time-line row
    char* text;     // one slice per address-book column, back to back
    int32_t ready;  // set once the buffer is built; the plug-ins never read it
};

static_assert(offsetof(ADDR_BOOK_REC, type) == 0);
static_assert(offsetof(ADDR_BOOK_REC, index) == 4);
static_assert(offsetof(ADDR_BOOK_REC, value) == 8);
static_assert(offsetof(ADDR_BOOK_REC, text) == 16);
static_assert(offsetof(ADDR_BOOK_REC, ready) == 24);
static_assert(sizeof(ADDR_BOOK_REC) == 32);
