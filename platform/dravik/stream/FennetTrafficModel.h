// Fennet traffic: an access point, range extenders and end devices.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "platform/dravik/stream/TrafficModel.h"

// Application data (now and then repeated by a range extender, often answered), pings, link
// and join requests with their replies, echo requests, security and management frames. The
// frames are laid out for the protocol versions after 1: unflagged, no security bytes.
// On the chips whose Fennet frames carry an 802.15.4 frame control and sequence number
// (ChipRadio::fennetIeeeHeader) the length byte counts the status bytes; otherwise the
// status bytes follow the length byte's count.
class FennetTrafficModel : public TrafficModel {
public:
    explicit FennetTrafficModel(const TrafficSettings& settings);

    SimulatedFrame Next() override;
    bool MidExchange() const override { return !queue_.empty(); }

private:
    struct Node {
        enum Type { kEndDevice = 0, kRangeExtender = 1, kAccessPoint = 2 };
        Type type = kEndDevice;
        uint32_t address = 0;
        bool sleeps = false;
        int rssi = -60;
        uint8_t transaction = 0;
        uint8_t sequence = 0;
    };

    void StartExchange();
    void AppData();
    void Ping();
    void Link();
    void Join();
    void Echo();
    void Management();
    void Security();

    // Appends the frame from from to destination with the port byte, device information and
    // payload; hops counts the repeats through range extenders.
    void Send(Node& from, uint32_t destination, uint8_t portByte, std::span<const uint8_t> payload,
              int hops = 0, uint8_t transaction = 0, bool newTransaction = true);
    uint8_t DeviceInfo(const Node& node, int hops) const;
    std::vector<uint8_t> Payload(int lo, int hi);
    Node& PickEndDevice();
    uint32_t NewAddress();

    std::vector<Node> nodes_; // access point first, then range extenders, then end devices
    std::deque<SimulatedFrame> queue_;
    int extenders_ = 0;
};
