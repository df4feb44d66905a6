#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "plugin/frame/AddrBookRec.h"
#include "plugin/frame/SeenAddressList.h"
#include "plugin/tolvane/MacAddressing.h"
#include "plugin/tolvane/TolvaneNodeInfo.h"
#include "plugin/tolvane/TolvaneNoticeQueue.h"

// This plug-in's book of the network's nodes. A node matches by PAN id and short address
// (rule 1) or by extended address (rule 2); a match may fill in what the node lacked, and a
// node that then equals a later one makes the later one a duplicate, which is removed.
// Shared by the decoder thread (RegisterPacketAddresses) and the GUI thread (the exports):
// the book mutex guards nodes, names, seen sets and counters; the queue has its own mutex,
// always taken after the book's.
class TolvaneAddressBook {
public:
    // Positions travel as signed 16-bit indexes: a fuller book would name the wrong rows.
    static constexpr int kMaxNodes = 32768;

    explicit TolvaneAddressBook(int maxNodes = kMaxNodes);
    TolvaneAddressBook(const TolvaneAddressBook&) = delete;
    TolvaneAddressBook& operator=(const TolvaneAddressBook&) = delete;

    // The work of the exports of the same names; a null record, or one without a text
    // buffer, is refused with 0 and changes nothing.
    int GetPendingRec(ADDR_BOOK_REC* rec);
    int GetNodeAdrB(int index, ADDR_BOOK_REC* rec);
    int SetNodeAdrB(const ADDR_BOOK_REC* rec);
    int RemoveAllNodesAddrBook();
    int RemoveNodeAdrB(int index);
    int MoveNodeDownAdrB(int index);
    int MoveNodeUpAdrB(int index);

    // Notes the addresses of a frame decoded without error and, with autoRegister, makes or
    // completes nodes of them. Any out pointer may be null. Returns 1 when notices wait.
    int RegisterPacketAddresses(const MacAddressing& frame, bool autoRegister, int32_t* nodeIdsChanged,
                                int32_t* sourceId, int32_t* destinationId);

    int NodeCount() const;

private:
    using Notices = std::vector<tolvane::ADDR_BOOK_PENDING_REC>;

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

    mutable std::mutex bookMutex_;
    std::vector<tolvane::NODE_INFO> nodes_; // display order
    // Every name given to an extended address; only grows.
    std::map<uint64_t, std::array<char, 32>> names_;
    SeenAddressList seenPanIds_;
    SeenAddressList seenShortAddresses_;
    std::set<uint64_t> seenExtendedAddresses_;
    int32_t addedNodes_ = 0;
    int32_t nextId_ = 0;
    const int maxNodes_;
    TolvaneNoticeQueue queue_;
};

// The process-wide book of this plug-in.
TolvaneAddressBook& TheTolvaneAddressBook();
