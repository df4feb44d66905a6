#include "plugin/frame/SeenAddressList.h"

#include <algorithm>

bool SeenAddressList::Insert(uint32_t address)
{
    auto it = std::lower_bound(addresses_.begin(), addresses_.end(), address);
    if (it != addresses_.end() && *it == address)
        return false;
    addresses_.insert(it, address);
    return true;
}

bool SeenAddressList::Contains(uint32_t address) const
{
    return std::binary_search(addresses_.begin(), addresses_.end(), address);
}
