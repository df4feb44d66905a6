#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/frame/CombAddrAndNodeName.h"

// Every name ever given to an address, one entry per address, sorted ascending by address.
// Only grows: clearing the book keeps it, so a returning address gets its old name back.
// Not locked: the node book's mutex guards it.
class NodeNameMemory {
public:
    // Stores name under address; an existing entry is replaced only when overwrite is set.
    // True when a new entry was inserted.
    bool Store(uint32_t address, const char* name, bool overwrite);

    // The remembered name of address, or nullptr.
    const char* Find(uint32_t address) const;

    int Count() const { return static_cast<int>(entries_.size()); }

private:
    // Binary search by address: the entry's position, or where it would be inserted.
    size_t LowerBound(uint32_t address) const;

    std::vector<COMB_ADDR_AND_NODE_NAME> entries_;
};
