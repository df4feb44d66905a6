#include "platform/dravik/stream/GenericTrafficModel.h"

#include <algorithm>

namespace {

enum FrameType : uint8_t {
    kReading = 0x01,
    kBlock = 0x02,
    kAck = 0x80,
};

} // namespace

GenericTrafficModel::GenericTrafficModel(const TrafficSettings& settings) : TrafficModel(settings)
{
    SimRandom& random = Random();
    const int sensors = random.Between(3, 5);
    for (int i = 0; i <= sensors; ++i) {
        Node node;
        do
            node.address = random.Byte();
        while (node.address == 0x00 || node.address == 0xFF ||
               std::any_of(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.address == node.address; }));
        node.rssi = i == 0 ? random.Between(-60, -40) : random.Between(-98, -55);
        node.sequence = random.Byte();
        nodes_.push_back(node);
    }
}

SimulatedFrame GenericTrafficModel::Next()
{
    if (queue_.empty()) {
        SimRandom& random = Random();
        Node& sensor = nodes_[static_cast<size_t>(random.Between(1, static_cast<int>(nodes_.size()) - 1))];
        const bool block = random.Chance(0.15);
        std::vector<uint8_t> data(static_cast<size_t>(block ? random.Between(62, 116) : random.Between(2, 19)));
        for (uint8_t& byte : data)
            byte = random.Byte();
        const uint8_t sequence = sensor.sequence++;
        Send(sensor, nodes_[0].address, block ? kBlock : kReading, data, sequence);
        if (block || random.Chance(0.3))
            Send(nodes_[0], sensor.address, kAck, {}, sequence);
    }
    SimulatedFrame frame = std::move(queue_.front());
    queue_.pop_front();
    return frame;
}

void GenericTrafficModel::Send(Node& from, uint8_t destination, uint8_t type, const std::vector<uint8_t>& data,
                               uint8_t sequence)
{
    SimulatedFrame frame;
    frame.bytes.reserve(data.size() + 7);
    frame.bytes.push_back(static_cast<uint8_t>(data.size() + 4)); // the bytes after it
    frame.bytes.push_back(destination);
    frame.bytes.push_back(from.address);
    frame.bytes.push_back(sequence);
    frame.bytes.push_back(type);
    frame.bytes.insert(frame.bytes.end(), data.begin(), data.end());
    // The payload and its 2-byte CRC on the air.
    frame.airBytes = static_cast<uint32_t>(frame.bytes.size() + 2);
    AppendStatus(frame.bytes, from.rssi, Random().Between(10, 70));
    queue_.push_back(std::move(frame));
}
