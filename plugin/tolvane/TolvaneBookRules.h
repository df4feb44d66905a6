#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "plugin/frame/CountedKeys.h"
#include "plugin/tolvane/TolvaneNodeInfo.h"
#include "plugin/tolvane/TolvanePendingRec.h"

// What this plug-in's book puts into its notices and text buffers, for NoticeQueue and
// NodeBookCore.
struct TolvaneBookRules {
    using Node = tolvane::NODE_INFO;
    using Pending = tolvane::ADDR_BOOK_PENDING_REC;

    // The values one side of a frame showed for the first time.
    struct NewSide {
        std::optional<uint16_t> panId;
        std::optional<uint16_t> shortAddress;
        std::optional<uint64_t> extendedAddress;
        bool Any() const { return panId || shortAddress || extendedAddress; }
    };
    struct Seen {
        NewSide destination;
        NewSide source;
    };

    // The values that the waiting notices carry, whatever their kind (kind 3 carries zeros).
    struct Carried {
        CountedKeys panIds;
        CountedKeys shortAddresses;
        CountedKeys extendedAddresses;
    };

    // A notice about node at index; kinds 3 and 4 carry no name, kind 3 no addresses.
    static Pending MakeNotice(int32_t kind, int index, const Node& node);

    static bool Any(const Seen& seen) { return seen.destination.Any() || seen.source.Any(); }

    // A notice joins or leaves the queue.
    static void Carry(Carried& carried, const Pending& notice);
    static void Drop(Carried& carried, const Pending& notice);

    // Forgets the seen values that a waiting notice already carries.
    static void ClearCarried(Seen& seen, const Carried& carried);

    // Appends a kind-4 notice for each side with a seen value; true when any was appended.
    static bool AppendAddressNotices(const Seen& seen, std::deque<Pending>& notices);

    static void FormatNode(char* text, const Node& node);
    static void FormatNotice(char* text, const Pending& notice);
};
