#pragma once

#include <cstdint>
#include <vector>

// What a simulated board's capture firmware sends: device frames, one radio frame at a time.
class SimulatedFrameSource {
public:
    virtual ~SimulatedFrameSource();
    // Appends the device frames of the next radio frame; returns the radio time in
    // microseconds since the previous one.
    virtual uint32_t NextFrame(std::vector<uint8_t>& out) = 0;
    virtual void SetChannel(uint8_t channel) = 0;
};
