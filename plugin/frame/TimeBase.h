#pragma once

#include <cstdint>

class FieldAppender;

// Turns device clock ticks into microseconds and remembers the first and the previous
// packet's time, so that each packet shows its distance to both.
class TimeBase {
public:
    struct Step {
        uint64_t time;          // microseconds, the packet's time
        uint64_t sincePrevious; // microseconds since the previous packet
        uint64_t sinceFirst;    // microseconds since the first packet of the run
    };

    // ticksPerMicrosecond comes from the capture chip; packet number 1 starts a run.
    Step Advance(uint32_t packetNumber, uint64_t ticks, uint32_t ticksPerMicrosecond,
                 double clockMultiplier);

    uint64_t First() const { return first_; }
    uint64_t Previous() const { return previous_; }

private:
    uint64_t first_ = 0;
    uint64_t previous_ = 0;
};

// The plug-in's own time base, kept while it is loaded.
TimeBase& ThePluginTimeBase();

// Appends field 1 ("+µs since previous\n=µs since first") and field 2 (the same in ms).
void AppendTimeFields(FieldAppender& appender, const TimeBase::Step& step);
