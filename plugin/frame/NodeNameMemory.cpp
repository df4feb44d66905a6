#include "plugin/frame/NodeNameMemory.h"

#include <algorithm>

#include "plugin/frame/NodeText.h"

size_t NodeNameMemory::LowerBound(uint32_t address) const
{
    auto it = std::lower_bound(entries_.begin(), entries_.end(), address,
                               [](const COMB_ADDR_AND_NODE_NAME& e, uint32_t a) { return e.address < a; });
    return static_cast<size_t>(it - entries_.begin());
}

bool NodeNameMemory::Store(uint32_t address, const char* name, bool overwrite)
{
    size_t at = LowerBound(address);
    if (at < entries_.size() && entries_[at].address == address) {
        if (overwrite)
            CopyNodeName(entries_[at].name, sizeof entries_[at].name, name);
        return false;
    }
    COMB_ADDR_AND_NODE_NAME entry{};
    entry.address = address;
    CopyNodeName(entry.name, sizeof entry.name, name);
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), entry);
    return true;
}

const char* NodeNameMemory::Find(uint32_t address) const
{
    size_t at = LowerBound(address);
    if (at < entries_.size() && entries_[at].address == address)
        return entries_[at].name;
    return nullptr;
}
