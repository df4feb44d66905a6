#pragma once

#include <cstdint>
#include <vector>

// Addresses seen on air in one position of a frame, sorted ascending, without duplicates.
// Not locked: the node book's mutex guards it.
class SeenAddressList {
public:
    // True when address was new and has been inserted in order.
    bool Insert(uint32_t address);
    bool Contains(uint32_t address) const;
    void Clear() { addresses_.clear(); }
    int Count() const { return static_cast<int>(addresses_.size()); }

private:
    std::vector<uint32_t> addresses_;
};
