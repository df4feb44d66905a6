// What a simulated radio hears on its channel, one frame at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/dravik/stream/ChipRadio.h"
#include "platform/dravik/stream/SimRandom.h"
#include "platform/dravik/stream/SimulatedFrame.h"

struct TrafficSettings {
    uint16_t chipCode = 0x6F1C; // the capture chip: status bytes and frame layout
    uint8_t channel = 11;
    uint32_t seed = 1;
    double crcErrorShare = 0.02; // frames that arrive damaged, CRC-ok bit clear
};

// A small fixed population of nodes talking in exchanges (request, acknowledgement, reply).
// The same settings always give the same frames.
class TrafficModel {
public:
    explicit TrafficModel(const TrafficSettings& settings);
    virtual ~TrafficModel();

    TrafficModel(const TrafficModel&) = delete;
    TrafficModel& operator=(const TrafficModel&) = delete;

    virtual SimulatedFrame Next() = 0;
    // True while frames of an exchange already begun are still to come.
    virtual bool MidExchange() const = 0;

    const ChipRadio& Radio() const { return radio_; }
    const TrafficSettings& Settings() const { return settings_; }

protected:
    SimRandom& Random() { return random_; }
    // Appends the two status bytes the chip adds to every frame it receives; now and then
    // the frame is damaged on the air (one bit flipped after the length byte) and its CRC
    // bit is clear. correlation is the link quality 0..127 the chip reports.
    void AppendStatus(std::vector<uint8_t>& bytes, int rssiDbm, int correlation);

private:
    TrafficSettings settings_;
    ChipRadio radio_;
    SimRandom random_;
};
