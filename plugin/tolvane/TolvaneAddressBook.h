#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "plugin/frame/AddrBookRec.h"
#include "plugin/frame/NodeBookCore.h"
#include "plugin/frame/SeenAddressList.h"
#include "plugin/tolvane/MacAddressing.h"
#include "plugin/tolvane/TolvaneBookRules.h"
#include "plugin/tolvane/TolvaneNodeInfo.h"

// This plug-in's book of the network's nodes. A node matches by PAN id and short address
// (rule 1) or by extended address (rule 2); a match may fill in what the node lacked, and a
// node that then equals a later one makes the later one a duplicate, which is removed.
// Shared by the decoder thread (RegisterPacketAddresses) and the GUI thread (the exports):
// the book mutex also guards names and seen sets.
class TolvaneAddressBook : public NodeBookCore<TolvaneAddressBook, TolvaneBookRules> {
public:
    // Positions travel as signed 16-bit indexes: a fuller book would name the wrong rows.
    static constexpr int kMaxNodes = 32768;

    explicit TolvaneAddressBook(int maxNodes = kMaxNodes);

    int SetNodeAdrB(const ADDR_BOOK_REC* rec);

    // Notes the addresses of a frame decoded without error and, with autoRegister, makes or
    // completes nodes of them. Any out pointer may be null. Returns 1 when notices wait.
    int RegisterPacketAddresses(const MacAddressing& frame, bool autoRegister, int32_t* nodeIdsChanged,
                                int32_t* sourceId, int32_t* destinationId);

private:
    friend NodeBookCore;
    using Notices = std::vector<tolvane::ADDR_BOOK_PENDING_REC>;

    // With bookMutex_ held.
    void ClearSeen();
    // With bookMutex_ held. Returns 1 when a node was added or changed; *id becomes the
    // matched or new node's id (untouched when nothing matched and no node fits).
    int AddOrUpdateNode(const char* name, uint16_t panId, uint16_t shortAddress, uint64_t extendedAddress, bool force,
                        int32_t* id, Notices& notices);
    // Queues notice 2 for node i, then removes the later nodes that duplicate it.
    void NodeChanged(size_t i, Notices& notices);
    void RemoveDuplicateNode(size_t i, Notices& notices);
    void RememberName(uint64_t extendedAddress, const char* name, bool overwrite);
    void MakeNodeName(uint64_t extendedAddress, char (&name)[sizeof(tolvane::NODE_INFO::name)]) const;
    void AutoName(char (&name)[sizeof(tolvane::NODE_INFO::name)]) const;

    // Every name given to an extended address; only grows.
    std::map<uint64_t, std::array<char, 32>> names_;
    SeenAddressList seenPanIds_;
    SeenAddressList seenShortAddresses_;
    std::set<uint64_t> seenExtendedAddresses_;
};

// The process-wide book of this plug-in.
TolvaneAddressBook& TheTolvaneAddressBook();
