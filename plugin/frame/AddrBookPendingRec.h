#pragma once

#include <cstdint>

// Notice kinds of the address-book queue.
enum AddrBookNoticeKind : int32_t {
    kNoticeNodeAdded = 1,
    kNoticeNodeRenamed = 2,
    kNoticeNodeRemoved = 3, // raised by the 802.15.4 plug-in only
    kNoticeAddressSeen = 4,
};

// One notice of the queue, copied by value.
struct ADDR_BOOK_PENDING_REC {
    int32_t type;     // AddrBookNoticeKind
    uint16_t index;   // the node's position in the book
    int32_t id;       // the node id; 0 for kNoticeAddressSeen
    char name[32];    // empty for kNoticeNodeRemoved and kNoticeAddressSeen
    uint32_t address;
};
