// Frames of a generic proprietary protocol: sensors reporting to a hub.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "platform/dravik/stream/TrafficModel.h"

// Each frame is [length][destination][source][sequence][type][data...] with the length
// counting the bytes after it, then the chip's two status bytes. Mostly short readings,
// now and then a long block; the hub acknowledges some of them.
class GenericTrafficModel : public TrafficModel {
public:
    explicit GenericTrafficModel(const TrafficSettings& settings);

    SimulatedFrame Next() override;
    bool MidExchange() const override { return !queue_.empty(); }

private:
    struct Node {
        uint8_t address = 0;
        int rssi = -60;
        uint8_t sequence = 0;
    };

    void Send(Node& from, uint8_t destination, uint8_t type, const std::vector<uint8_t>& data, uint8_t sequence);

    std::vector<Node> nodes_; // the hub first
    std::deque<SimulatedFrame> queue_;
};
