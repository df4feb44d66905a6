#pragma once

#include <time.h>

// What the start-up time bench and its agent share. The agent writes report lines
// (tests/e2e/ReportLine.h) to the file the bench names: "paint" (text: the CLOCK_MONOTONIC
// nanoseconds at the first paint of the program's window), "up" (the pid), "value"
// (name=value), "fail" (why the run cannot count).
namespace startupbench {

constexpr const char* kReportVariable = "PELAGOR_STARTUP_BENCH_REPORT";
constexpr const char* kPaint = "paint";
// The launcher's value: the nanoseconds once Start has returned, the main program spawned.
constexpr const char* kStartedValue = "launcher.started";

// The same clock in every process: the bench reads it before the spawn, the agent at a paint.
inline long long MonotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

} // namespace startupbench
