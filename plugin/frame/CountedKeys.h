#pragma once

#include <cstdint>
#include <unordered_map>

// A multiset of 64-bit keys that answers "is any copy held" at once, whatever its size.
// Not locked: its owner's mutex guards it.
class CountedKeys {
public:
    void Add(uint64_t key) { ++counts_[key]; }

    // Forgets one copy of a key that was added.
    void Remove(uint64_t key)
    {
        auto it = counts_.find(key);
        if (it != counts_.end() && --it->second == 0)
            counts_.erase(it);
    }

    bool Contains(uint64_t key) const { return counts_.find(key) != counts_.end(); }
    bool Empty() const { return counts_.empty(); }

private:
    std::unordered_map<uint64_t, uint32_t> counts_;
};
