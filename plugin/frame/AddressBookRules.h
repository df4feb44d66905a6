#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "plugin/frame/AddrBookPendingRec.h"
#include "plugin/frame/CountedKeys.h"
#include "plugin/frame/NodeInfo.h"

// What the book keyed by one 32-bit address puts into its notices and text buffers, for
// NoticeQueue and NodeBookCore.
struct AddressBookRules {
    using Node = NODE_INFO;
    using Pending = ADDR_BOOK_PENDING_REC;

    // The addresses a frame showed for the first time.
    struct Seen {
        std::optional<uint32_t> first;
        std::optional<uint32_t> second;
    };

    // The addresses that the waiting notices name, whatever their kind.
    struct Carried {
        CountedKeys addresses;
    };

    // A notice; the name (at most the node-name width) is kept except for kinds 3 and 4.
    static Pending MakeNotice(int32_t kind, uint16_t index, int32_t id, const char* name, uint32_t address);

    static bool Any(const Seen& seen) { return seen.first || seen.second; }

    // A notice joins or leaves the queue.
    static void Carry(Carried& carried, const Pending& notice) { carried.addresses.Add(notice.address); }
    static void Drop(Carried& carried, const Pending& notice) { carried.addresses.Remove(notice.address); }

    // Forgets the seen addresses that a waiting notice already names.
    static void ClearCarried(Seen& seen, const Carried& carried);

    // Appends a kind-4 notice for each seen address; true when any was appended.
    static bool AppendAddressNotices(Seen seen, std::deque<Pending>& notices);

    static void FormatNode(char* text, const Node& node);
    static void FormatNotice(char* text, const Pending& notice);
};
