#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "plugin/frame/AddrBookRec.h"
#include "plugin/frame/NodeInfo.h"
#include "plugin/frame/NodeNameMemory.h"
#include "plugin/frame/NoticeQueue.h"
#include "plugin/frame/SeenAddressList.h"

// The plug-in's book of the network's nodes, keyed by one 32-bit address, shared by the
// decoder thread (RegisterAddresses) and the GUI thread (the address-book exports). The
// book mutex guards nodes, names, seen lists and counters; the queue has its own mutex.
// Whoever holds both took the book mutex first.
class NodeAddressBook {
public:
    // Positions travel as 16-bit indexes: a fuller book would name the wrong rows.
    static constexpr int kMaxNodes = 65536;

    explicit NodeAddressBook(int maxNodes = kMaxNodes);
    NodeAddressBook(const NodeAddressBook&) = delete;
    NodeAddressBook& operator=(const NodeAddressBook&) = delete;

    // The work of the exports of the same names; a null record, or one without a text
    // buffer, is refused with 0 and changes nothing.
    int GetPendingRec(ADDR_BOOK_REC* rec);
    int GetNodeAdrB(int index, ADDR_BOOK_REC* rec);
    // 1 when the node was added or renamed; 0 for a bad record or when a new node does not fit.
    int SetNodeAdrB(const ADDR_BOOK_REC* rec);
    int RemoveAllNodesAddrBook();
    int RemoveNodeAdrB(int index);
    int MoveNodeDownAdrB(int index);
    int MoveNodeUpAdrB(int index);

    // Notes the addresses of a frame decoded without error and, with autoRegister, makes
    // nodes of them. Any out pointer may be null. Returns 1 when notices wait.
    int RegisterAddresses(uint32_t firstAddress, uint32_t secondAddress, int crcOk, bool autoRegister,
                          int32_t* nodeIdsChanged, int32_t* sourceId, int32_t* destinationId);

    int NodeCount() const;
    int PendingCount() const { return queue_.Count(); }

private:
    // With bookMutex_ held. Appends a node or, when allowed, renames the first node of the
    // address; the notice to queue, if any, goes to *notice. *id: the node's id, untouched
    // when the address has no node and none fits. True when a node was appended.
    bool AddOrUpdateNode(const char* name, uint32_t address, bool renameAllowed, int32_t* id,
                         std::optional<ADDR_BOOK_PENDING_REC>* notice);
    void MakeNodeName(uint32_t address, char* name, int size) const;

    mutable std::mutex bookMutex_;
    std::vector<NODE_INFO> nodes_; // display order
    NodeNameMemory names_;
    SeenAddressList seenFirst_;
    SeenAddressList seenSecond_;
    int32_t addedNodes_ = 0;
    int32_t nextId_ = 0;
    const int maxNodes_;
    NoticeQueue queue_;
};

// The process-wide book of this plug-in, built when the library loads.
NodeAddressBook& TheNodeAddressBook();

// Registers the addresses of a frame decoded without error in the process-wide book, with
// the auto-registration switch of SetAddrBookAutoRegister; fills whether node ids changed and
// the node ids of source and destination (-1 none). Returns the number of notices waiting.
int RegisterPacketAddresses(uint32_t firstAddress, uint32_t secondAddress, int crcOk, int32_t* nodeIdsChanged,
                            int32_t* sourceId, int32_t* destinationId);
