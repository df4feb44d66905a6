// IEEE 802.15.4 traffic: a PAN coordinator, routers and end devices exchanging MAC frames,
// with TOLVANE network frames in the data frames.
#pragma once

#include <cstdint>
#include <deque>
#include <span>
#include <vector>

#include "platform/dravik/stream/MacHeader.h"
#include "platform/dravik/stream/TolvaneFrameWriter.h"
#include "platform/dravik/stream/TrafficModel.h"

// Beacons answering beacon requests, association (request, data request, response),
// disassociation, data frames up and down (indirect through data requests), broadcasts,
// TOLVANE discovery, pairing, key seeds and pings; every frame that asks for it is
// acknowledged with its sequence number, now and then after a retry. The length byte counts
// the two status bytes, which stand where the frame check sequence was.
class Ieee802154TrafficModel : public TrafficModel {
public:
    explicit Ieee802154TrafficModel(const TrafficSettings& settings);

    SimulatedFrame Next() override;
    bool MidExchange() const override { return !queue_.empty(); }

    uint16_t PanId() const { return panId_; }

private:
    struct Node {
        enum Role { kCoordinator, kRouter, kEndDevice };
        Role role = kEndDevice;
        uint16_t shortAddress = 0xFFFE;
        uint64_t extended = 0;
        bool associated = false;
        int parent = 0;
        int rssi = -60;
        uint8_t sequence = 0;
        uint8_t beaconSequence = 0;
        uint32_t counter = 0; // network frame counter
        TolvaneIdentity identity;
    };

    void StartExchange();
    void DataToParent();
    void PollParent();
    void RouterData();
    void Broadcast();
    void BeaconRound();
    void AssociationChange();
    void TolvaneCommands();
    void SecuredData();

    // Appends the frame of header and payload sent by from.
    void Send(const Node& from, const MacHeader& header, std::span<const uint8_t> payload,
              bool afterTurnaround = false);
    // A frame from one node to another in the PAN, acknowledged when asked (sometimes
    // after a retry).
    void Unicast(Node& from, Node& to, int frameType, std::span<const uint8_t> payload, bool ackRequest = true,
                 bool framePendingInAck = false);
    void Ack(const Node& from, uint8_t sequence, bool framePending);

    MacAddress AddressOf(const Node& node) const;
    std::vector<uint8_t> AppPayload(int lo, int hi);
    uint16_t FreeShortAddress();
    int PickNode(Node::Role role);
    int Correlation(const Node& node);

    uint16_t panId_ = 0;
    std::vector<Node> nodes_;
    std::deque<SimulatedFrame> queue_;
    TolvaneFrameWriter network_;
    uint8_t keySeedSequence_ = 0;
};
