#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

// Timing helpers of the window benchmarks.
namespace benchsupport {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace benchsupport
