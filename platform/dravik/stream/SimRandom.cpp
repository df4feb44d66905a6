#include "platform/dravik/stream/SimRandom.h"

#include <cmath>

int SimRandom::Between(int lo, int hi)
{
    if (hi <= lo)
        return lo;
    const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
    return lo + static_cast<int>((static_cast<uint64_t>(Bits()) * span) >> 32);
}

double SimRandom::Exponential(double mean)
{
    if (mean <= 0)
        return 0;
    // 1 - Unit() lies in (0, 1]: the logarithm stays finite.
    return -std::log(1.0 - Unit()) * mean;
}

uint32_t SimRandom::Mix(uint32_t seed, uint32_t salt)
{
    uint64_t z = (static_cast<uint64_t>(seed) << 32 | salt) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>(z ^ (z >> 31));
}
