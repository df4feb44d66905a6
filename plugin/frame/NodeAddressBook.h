#pragma once

#include <cstdint>
#include <optional>

#include "plugin/frame/AddrBookRec.h"
#include "plugin/frame/AddressBookRules.h"
#include "plugin/frame/NodeBookCore.h"
#include "plugin/frame/NodeNameMemory.h"
#include "plugin/frame/SeenAddressList.h"

// The plug-in's book of the network's nodes, keyed by one 32-bit address, shared by the
// decoder thread (RegisterAddresses) and the GUI thread (the address-book exports). The
// book mutex also guards names and seen lists.
class NodeAddressBook : public NodeBookCore<NodeAddressBook, AddressBookRules> {
public:
    // Positions travel as 16-bit indexes: a fuller book would name the wrong rows.
    static constexpr int kMaxNodes = 65536;

    explicit NodeAddressBook(int maxNodes = kMaxNodes);

    // 1 when the node was added or renamed; 0 for a bad record or when a new node does not fit.
    int SetNodeAdrB(const ADDR_BOOK_REC* rec);

    // Notes the addresses of a frame decoded without error and, with autoRegister, makes
    // nodes of them. Any out pointer may be null. Returns 1 when notices wait.
    int RegisterAddresses(uint32_t firstAddress, uint32_t secondAddress, int crcOk, bool autoRegister,
                          int32_t* nodeIdsChanged, int32_t* sourceId, int32_t* destinationId);

private:
    friend NodeBookCore;

    // With bookMutex_ held.
    void ClearSeen();
    // With bookMutex_ held. Appends a node or, when allowed, renames the first node of the
    // address; the notice to queue, if any, goes to *notice. *id: the node's id, untouched
    // when the address has no node and none fits. True when a node was appended.
    bool AddOrUpdateNode(const char* name, uint32_t address, bool renameAllowed, int32_t* id,
                         std::optional<ADDR_BOOK_PENDING_REC>* notice);
    void MakeNodeName(uint32_t address, char* name, int size) const;

    NodeNameMemory names_;
    SeenAddressList seenFirst_;
    SeenAddressList seenSecond_;
};

// The process-wide book of this plug-in, built when the library loads.
NodeAddressBook& TheNodeAddressBook();

// Registers the addresses of a frame decoded without error in the process-wide book, with
// the auto-registration switch of SetAddrBookAutoRegister; fills whether node ids changed and
// the node ids of source and destination (-1 none). Returns the number of notices waiting.
int RegisterPacketAddresses(uint32_t firstAddress, uint32_t secondAddress, int crcOk, int32_t* nodeIdsChanged,
                            int32_t* sourceId, int32_t* destinationId);
