#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <span>

#include "plugin/tolvane/TolvanePendingRec.h"

// The first-in first-out queue of this plug-in's address-book notices, with its own mutex.
// The decoder thread fills it, the GUI thread drains it. A caller holding the book mutex may
// call in (book before queue); the queue never calls out while holding its mutex.
class TolvaneNoticeQueue {
public:
    // The values one side of a frame showed for the first time.
    struct NewSide {
        std::optional<uint16_t> panId;
        std::optional<uint16_t> shortAddress;
        std::optional<uint64_t> extendedAddress;
        bool Any() const { return panId || shortAddress || extendedAddress; }
    };
    struct NewValues {
        NewSide destination;
        NewSide source;
    };

    // A notice about node at index; kinds 3 and 4 carry no name, kind 3 no addresses.
    static tolvane::ADDR_BOOK_PENDING_REC MakeNotice(int32_t kind, int index, const tolvane::NODE_INFO& node);

    void Push(const tolvane::ADDR_BOOK_PENDING_REC& notice);

    // Moves the oldest notice into out; false when none waits.
    bool Pop(tolvane::ADDR_BOOK_PENDING_REC& out);

    // Appends a frame's node notices, then a kind-4 notice for each side with a new value
    // that no waiting notice already carries, all under one hold of the mutex.
    // Returns 1 when notices wait afterwards.
    int QueueFrameNotices(std::span<const tolvane::ADDR_BOOK_PENDING_REC> nodeNotices, NewValues seen);

    int Count() const;

private:
    // With mutex_ held.
    int CheckPendingRecs(NewValues seen);
    bool QueueNewAddressRecs(const NewValues& seen);

    mutable std::mutex mutex_;
    std::deque<tolvane::ADDR_BOOK_PENDING_REC> notices_;
};
