#include "platform/dravik/stream/Ieee802154TrafficModel.h"

#include <algorithm>
#include <string>

namespace {

constexpr uint16_t kBroadcast = 0xFFFF;
constexpr uint16_t kNoPan = 0xFFFF;

enum MacCommand : uint8_t {
    kAssociationRequest = 1,
    kAssociationResponse = 2,
    kDisassociation = 3,
    kDataRequest = 4,
    kBeaconRequest = 7,
};

constexpr uint8_t kProfile = 0x01;

} // namespace

Ieee802154TrafficModel::Ieee802154TrafficModel(const TrafficSettings& settings)
    : TrafficModel(settings), network_(settings.channel)
{
    SimRandom& random = Random();
    do
        panId_ = static_cast<uint16_t>(random.Bits());
    while (panId_ == kNoPan);
    // One maker's prefix for every extended address of the network.
    const uint64_t prefix = static_cast<uint64_t>(random.Bits() & 0xFFFFFF) << 40;
    const uint16_t vendorId = static_cast<uint16_t>(random.Between(0x1000, 0x7FFF));

    const int routers = 2;
    const int endDevices = 4;
    for (int i = 0; i < 1 + routers + endDevices; ++i) {
        Node node;
        node.role = i == 0 ? Node::kCoordinator : i <= routers ? Node::kRouter : Node::kEndDevice;
        node.extended = prefix | (static_cast<uint64_t>(random.Bits()) << 8) | static_cast<uint64_t>(i);
        node.sequence = random.Byte();
        node.beaconSequence = random.Byte();
        node.counter = random.Bits() & 0xFFFF;
        node.identity.vendorId = vendorId;
        node.identity.profiles = {kProfile};
        if (node.role == Node::kCoordinator) {
            node.shortAddress = 0x0000;
            node.associated = true;
            node.rssi = random.Between(-50, -38);
            node.identity.nodeCapabilities = 0x0F;
            node.identity.vendorString = "KORVATH";
            node.identity.userString = "Media hub";
            node.identity.deviceTypes = {0x02, 0x09};
        } else {
            node.parent = node.role == Node::kEndDevice && i % 2 == 0 ? 1 : 0;
            node.rssi = node.role == Node::kRouter ? random.Between(-68, -52) : random.Between(-90, -58);
            node.identity.nodeCapabilities = node.role == Node::kRouter ? 0x0D : 0x0C;
            node.identity.vendorString = node.role == Node::kRouter ? "RELAY" : "REMOTE";
            if (node.role == Node::kEndDevice && i % 3 == 0)
                node.identity.userString = "Remote " + std::to_string(i);
            node.identity.deviceTypes = {0x01};
        }
        nodes_.push_back(node);
    }
    // Routers and half the end devices start in the PAN; the others join while we listen.
    for (size_t i = 1; i < nodes_.size(); ++i) {
        if (nodes_[i].role == Node::kRouter || i % 2 == 1) {
            nodes_[i].shortAddress = FreeShortAddress();
            nodes_[i].associated = true;
        }
    }
}

SimulatedFrame Ieee802154TrafficModel::Next()
{
    while (queue_.empty())
        StartExchange();
    SimulatedFrame frame = std::move(queue_.front());
    queue_.pop_front();
    return frame;
}

void Ieee802154TrafficModel::StartExchange()
{
    const int pick = Random().Between(0, 99);
    if (pick < 30)
        DataToParent();
    else if (pick < 45)
        PollParent();
    else if (pick < 55)
        RouterData();
    else if (pick < 61)
        Broadcast();
    else if (pick < 66)
        BeaconRound();
    else if (pick < 70)
        AssociationChange();
    else if (pick < 90)
        TolvaneCommands();
    else
        SecuredData();
}

MacAddress Ieee802154TrafficModel::AddressOf(const Node& node) const
{
    return node.associated ? MacAddress::Short(node.shortAddress) : MacAddress::Extended(node.extended);
}

uint16_t Ieee802154TrafficModel::FreeShortAddress()
{
    for (;;) {
        const auto candidate = static_cast<uint16_t>(Random().Between(0x0001, 0xFFF7));
        if (std::none_of(nodes_.begin(), nodes_.end(),
                         [&](const Node& n) { return n.associated && n.shortAddress == candidate; }))
            return candidate;
    }
}

int Ieee802154TrafficModel::PickNode(Node::Role role)
{
    std::vector<int> matches;
    for (size_t i = 0; i < nodes_.size(); ++i) {
        if (nodes_[i].role == role)
            matches.push_back(static_cast<int>(i));
    }
    return matches[static_cast<size_t>(Random().Between(0, static_cast<int>(matches.size()) - 1))];
}

int Ieee802154TrafficModel::Correlation(const Node& node)
{
    // Strong links correlate near the top of the scale.
    return std::clamp(110 + (node.rssi + 50) / 2, 60, 110) - Random().Between(0, 4);
}

std::vector<uint8_t> Ieee802154TrafficModel::AppPayload(int lo, int hi)
{
    std::vector<uint8_t> payload(static_cast<size_t>(Random().Between(lo, hi)));
    for (uint8_t& byte : payload)
        byte = Random().Byte();
    return payload;
}

void Ieee802154TrafficModel::Send(const Node& from, const MacHeader& header, std::span<const uint8_t> payload,
                                  bool afterTurnaround)
{
    SimulatedFrame frame;
    frame.bytes.push_back(0); // length byte, set below
    header.AppendTo(frame.bytes);
    frame.bytes.insert(frame.bytes.end(), payload.begin(), payload.end());
    const auto length = static_cast<uint8_t>(frame.bytes.size() - 1 + 2);
    frame.bytes[0] = length;
    AppendStatus(frame.bytes, from.rssi, Correlation(from));
    frame.airBytes = 1u + length;
    frame.afterTurnaround = afterTurnaround;
    queue_.push_back(std::move(frame));
}

void Ieee802154TrafficModel::Ack(const Node& from, uint8_t sequence, bool framePending)
{
    MacHeader ack;
    ack.frameType = MacHeader::kAck;
    ack.framePending = framePending;
    ack.sequence = sequence;
    Send(from, ack, {}, true);
}

void Ieee802154TrafficModel::Unicast(Node& from, Node& to, int frameType, std::span<const uint8_t> payload,
                                     bool ackRequest, bool framePendingInAck)
{
    MacHeader header;
    header.frameType = frameType;
    header.ackRequest = ackRequest;
    header.frameVersion = frameType == MacHeader::kData && Random().Chance(0.2) ? 1 : 0;
    header.sequence = from.sequence++;
    header.destinationPan = panId_;
    header.destination = AddressOf(to);
    header.sourcePan = from.associated ? panId_ : kNoPan;
    header.source = AddressOf(from);
    Send(from, header, payload);
    if (!ackRequest)
        return;
    // The first acknowledgement got lost: the same frame again, with the same number.
    if (Random().Chance(0.08))
        Send(from, header, payload);
    Ack(to, header.sequence, framePendingInAck);
}

void Ieee802154TrafficModel::DataToParent()
{
    std::vector<int> senders;
    for (size_t i = 1; i < nodes_.size(); ++i) {
        if (nodes_[i].associated)
            senders.push_back(static_cast<int>(i));
    }
    Node& from = nodes_[static_cast<size_t>(senders[static_cast<size_t>(
        Random().Between(0, static_cast<int>(senders.size()) - 1))])];
    Node& to = nodes_[static_cast<size_t>(from.parent)];
    std::vector<uint8_t> payload;
    if (Random().Chance(0.6))
        network_.StandardData(payload, from.counter++, kProfile, AppPayload(2, 12));
    else
        network_.VendorData(payload, from.counter++, kProfile, from.identity.vendorId, AppPayload(4, 24));
    Unicast(from, to, MacHeader::kData, payload);
}

void Ieee802154TrafficModel::PollParent()
{
    Node& device = nodes_[static_cast<size_t>(PickNode(Node::kEndDevice))];
    if (!device.associated) {
        DataToParent();
        return;
    }
    Node& parent = nodes_[static_cast<size_t>(device.parent)];
    const bool pending = Random().Chance(0.5);
    const uint8_t command[] = {kDataRequest};
    Unicast(device, parent, MacHeader::kCommand, command, true, pending);
    if (!pending)
        return;
    std::vector<uint8_t> payload;
    network_.StandardData(payload, parent.counter++, kProfile, AppPayload(1, 16));
    Unicast(parent, device, MacHeader::kData, payload);
}

void Ieee802154TrafficModel::RouterData()
{
    Node& router = nodes_[static_cast<size_t>(PickNode(Node::kRouter))];
    Node& coordinator = nodes_[0];
    std::vector<uint8_t> payload;
    if (Random().Chance(0.5)) {
        network_.VendorData(payload, router.counter++, kProfile, router.identity.vendorId, AppPayload(8, 40));
        Unicast(router, coordinator, MacHeader::kData, payload);
    } else {
        network_.StandardData(payload, coordinator.counter++, kProfile, AppPayload(2, 30));
        Unicast(coordinator, router, MacHeader::kData, payload);
    }
}

void Ieee802154TrafficModel::Broadcast()
{
    Node& from = nodes_[static_cast<size_t>(Random().Chance(0.6) ? 0 : PickNode(Node::kRouter))];
    MacHeader header;
    header.frameType = MacHeader::kData;
    header.sequence = from.sequence++;
    header.destinationPan = panId_;
    header.destination = MacAddress::Short(kBroadcast);
    header.sourcePan = panId_;
    header.source = AddressOf(from);
    std::vector<uint8_t> payload;
    network_.StandardData(payload, from.counter++, kProfile, AppPayload(2, 10));
    Send(from, header, payload);
}

void Ieee802154TrafficModel::BeaconRound()
{
    Node& asking = nodes_[static_cast<size_t>(PickNode(Node::kEndDevice))];
    MacHeader request;
    request.frameType = MacHeader::kCommand;
    request.sequence = asking.sequence++;
    request.destinationPan = kNoPan;
    request.destination = MacAddress::Short(kBroadcast);
    const uint8_t command[] = {kBeaconRequest};
    Send(asking, request, command);

    for (Node& node : nodes_) {
        if (node.role == Node::kEndDevice)
            continue;
        MacHeader beacon;
        beacon.frameType = MacHeader::kBeacon;
        beacon.sequence = node.beaconSequence++;
        beacon.sourcePan = panId_;
        beacon.source = MacAddress::Short(node.shortAddress);
        // No beacon order, association permitted; only the coordinator is the PAN coordinator.
        const uint16_t superframe = node.role == Node::kCoordinator ? 0xCFFF : 0x8FFF;
        std::vector<uint8_t> payload = {static_cast<uint8_t>(superframe), static_cast<uint8_t>(superframe >> 8),
                                        0x00};
        // Data waiting for a sleeping child shows in the pending address list.
        std::vector<uint16_t> pendingFor;
        for (const Node& child : nodes_) {
            if (&child != &node && child.associated && child.role == Node::kEndDevice &&
                &nodes_[static_cast<size_t>(child.parent)] == &node && Random().Chance(0.3))
                pendingFor.push_back(child.shortAddress);
        }
        payload.push_back(static_cast<uint8_t>(std::min<size_t>(pendingFor.size(), 7)));
        for (size_t i = 0; i < pendingFor.size() && i < 7; ++i) {
            payload.push_back(static_cast<uint8_t>(pendingFor[i]));
            payload.push_back(static_cast<uint8_t>(pendingFor[i] >> 8));
        }
        // Beacon payload: protocol id, stack profile and the router capacity.
        payload.insert(payload.end(), {0x00, 0x22, static_cast<uint8_t>(node.role == Node::kCoordinator ? 0x84 : 0x8C)});
        for (int i = 0; i < 8; ++i)
            payload.push_back(static_cast<uint8_t>(node.extended >> (8 * i)));
        Send(node, beacon, payload);
    }
}

void Ieee802154TrafficModel::AssociationChange()
{
    Node& coordinator = nodes_[0];
    int joining = -1;
    for (size_t i = 1; i < nodes_.size(); ++i) {
        if (!nodes_[i].associated) {
            joining = static_cast<int>(i);
            break;
        }
    }
    if (joining < 0) {
        // Everyone is in: now and then an end device leaves, to join again later.
        if (!Random().Chance(0.3)) {
            DataToParent();
            return;
        }
        Node& leaving = nodes_[static_cast<size_t>(PickNode(Node::kEndDevice))];
        MacHeader header;
        header.frameType = MacHeader::kCommand;
        header.ackRequest = true;
        header.sequence = leaving.sequence++;
        header.destinationPan = panId_;
        header.destination = MacAddress::Extended(coordinator.extended);
        header.sourcePan = panId_;
        header.source = MacAddress::Extended(leaving.extended);
        const uint8_t command[] = {kDisassociation, 0x02};
        Send(leaving, header, command);
        Ack(coordinator, header.sequence, false);
        leaving.associated = false;
        leaving.shortAddress = 0xFFFE;
        return;
    }
    Node& device = nodes_[static_cast<size_t>(joining)];

    MacHeader request;
    request.frameType = MacHeader::kCommand;
    request.ackRequest = true;
    request.sequence = device.sequence++;
    request.destinationPan = panId_;
    request.destination = MacAddress::Short(coordinator.shortAddress);
    request.sourcePan = kNoPan;
    request.source = MacAddress::Extended(device.extended);
    // Allocate an address; a battery device that sleeps.
    const uint8_t associate[] = {kAssociationRequest, 0x80};
    Send(device, request, associate);
    Ack(coordinator, request.sequence, false);

    MacHeader poll = request;
    poll.sequence = device.sequence++;
    poll.sourcePan = panId_;
    const uint8_t dataRequest[] = {kDataRequest};
    Send(device, poll, dataRequest);
    Ack(coordinator, poll.sequence, true);

    const uint16_t address = FreeShortAddress();
    MacHeader response;
    response.frameType = MacHeader::kCommand;
    response.ackRequest = true;
    response.sequence = coordinator.sequence++;
    response.destinationPan = panId_;
    response.destination = MacAddress::Extended(device.extended);
    response.sourcePan = panId_;
    response.source = MacAddress::Extended(coordinator.extended);
    const uint8_t answer[] = {kAssociationResponse, static_cast<uint8_t>(address), static_cast<uint8_t>(address >> 8),
                              0x00};
    Send(coordinator, response, answer);
    Ack(device, response.sequence, false);
    device.shortAddress = address;
    device.associated = true;
    device.parent = 0;
}

void Ieee802154TrafficModel::TolvaneCommands()
{
    Node& coordinator = nodes_[0];
    Node& device = nodes_[static_cast<size_t>(PickNode(Node::kEndDevice))];
    std::vector<uint8_t> payload;
    const int pick = Random().Between(0, 9);
    if (pick < 2) {
        // Discovery goes out to everyone; the coordinator answers the device directly.
        MacHeader header;
        header.frameType = MacHeader::kData;
        header.sequence = device.sequence++;
        header.destinationPan = kNoPan;
        header.destination = MacAddress::Short(kBroadcast);
        header.sourcePan = panId_;
        header.source = MacAddress::Extended(device.extended);
        network_.DiscoveryRequest(payload, device.counter++, device.identity, 0x02);
        Send(device, header, payload);
        payload.clear();
        network_.DiscoveryResponse(payload, coordinator.counter++, 0x00, coordinator.identity,
                                   static_cast<uint8_t>(Correlation(device) * 2));
        MacHeader reply;
        reply.frameType = MacHeader::kData;
        reply.ackRequest = true;
        reply.sequence = coordinator.sequence++;
        reply.destinationPan = panId_;
        reply.destination = MacAddress::Extended(device.extended);
        reply.sourcePan = panId_;
        reply.source = MacAddress::Extended(coordinator.extended);
        Send(coordinator, reply, payload);
        Ack(device, reply.sequence, false);
    } else if (pick < 4) {
        network_.PairRequest(payload, device.counter++, device.associated ? device.shortAddress : 0xFFFE,
                             device.identity, 0x06);
        Unicast(device, coordinator, MacHeader::kData, payload);
        payload.clear();
        network_.PairResponse(payload, coordinator.counter++, 0x00,
                              device.associated ? device.shortAddress : FreeShortAddress(), coordinator.shortAddress,
                              coordinator.identity);
        Unicast(coordinator, device, MacHeader::kData, payload);
    } else if (pick < 5) {
        // Long frames: the key seeds of a pairing.
        for (int i = 0; i < 3; ++i) {
            payload.clear();
            network_.KeySeed(payload, coordinator.counter++, keySeedSequence_++, AppPayload(80, 80));
            Unicast(coordinator, device, MacHeader::kData, payload);
        }
    } else if (pick < 9) {
        const uint8_t options = 0x01;
        const std::vector<uint8_t> token = AppPayload(4, 4);
        network_.Ping(payload, device.counter++, false, options, token);
        Unicast(device, coordinator, MacHeader::kData, payload);
        payload.clear();
        network_.Ping(payload, coordinator.counter++, true, options, token);
        Unicast(coordinator, device, MacHeader::kData, payload);
    } else {
        network_.UnpairRequest(payload, device.counter++);
        Unicast(device, coordinator, MacHeader::kData, payload);
    }
}

void Ieee802154TrafficModel::SecuredData()
{
    Node& device = nodes_[static_cast<size_t>(PickNode(Node::kEndDevice))];
    Node& coordinator = nodes_[0];
    std::vector<uint8_t> payload;
    network_.SecuredData(payload, device.counter++, kProfile, AppPayload(4, 4), AppPayload(8, 24));
    Unicast(device, coordinator, MacHeader::kData, payload);
}
