#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>

#include "plugin/frame/AddrBookPendingRec.h"

// The first-in first-out queue of address-book notices, with its own mutex. The decoder
// thread fills it, the GUI thread drains it. A caller holding the book mutex may call in
// (book before queue); the queue never calls out while holding its mutex.
class NoticeQueue {
public:
    // The addresses a frame showed for the first time.
    struct NewAddresses {
        std::optional<uint32_t> first;
        std::optional<uint32_t> second;
    };

    // A notice; the name (at most the node-name width) is kept except for kinds 3 and 4.
    static ADDR_BOOK_PENDING_REC MakeNotice(int32_t kind, uint16_t index, int32_t id, const char* name,
                                            uint32_t address);

    void Push(const ADDR_BOOK_PENDING_REC& notice);

    // Moves the oldest notice into out; false when none waits.
    bool Pop(ADDR_BOOK_PENDING_REC& out);

    // Appends a frame's node notices, then a kind-4 notice for each new address that no
    // waiting notice already names, all under one hold of the mutex: the drain on the other
    // thread cannot slip in between, so whether an address is covered never depends on timing.
    // Returns 1 when notices wait afterwards.
    int QueueFrameNotices(std::span<const ADDR_BOOK_PENDING_REC> nodeNotices, NewAddresses seen);

    int Count() const;

private:
    // With mutex_ held.
    int CheckPendingRecs(NewAddresses seen);
    bool QueueNewAddressRecs(NewAddresses seen);

    mutable std::mutex mutex_;
    std::deque<ADDR_BOOK_PENDING_REC> notices_;
};
