#include "platform/dravik/stream/FennetTrafficModel.h"

#include <algorithm>

namespace {

constexpr uint32_t kBroadcast = 0xFFFFFFFFu;
constexpr uint8_t kRepeated = 0x80; // port byte: forwarded by a range extender

enum Port : uint8_t {
    kPortPing = 1,
    kPortLink = 2,
    kPortJoin = 3,
    kPortSecurity = 4,
    kPortFrequency = 5,
    kPortManagement = 6,
    kPortApplication = 0x20,
};

void AppendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

} // namespace

FennetTrafficModel::FennetTrafficModel(const TrafficSettings& settings) : TrafficModel(settings)
{
    SimRandom& random = Random();
    extenders_ = random.Between(1, 2);
    const int endDevices = random.Between(3, 4);
    for (int i = 0; i < 1 + extenders_ + endDevices; ++i) {
        Node node;
        node.type = i == 0 ? Node::kAccessPoint : i <= extenders_ ? Node::kRangeExtender : Node::kEndDevice;
        node.address = NewAddress();
        node.sleeps = node.type == Node::kEndDevice && i % 2 == 0;
        node.rssi = node.type == Node::kAccessPoint   ? random.Between(-55, -40)
                    : node.type == Node::kRangeExtender ? random.Between(-70, -55)
                                                        : random.Between(-95, -60);
        node.transaction = random.Byte();
        node.sequence = random.Byte();
        nodes_.push_back(node);
    }
}

uint32_t FennetTrafficModel::NewAddress()
{
    for (;;) {
        const uint32_t address = Random().Bits();
        // The first byte on the air is neither 0x00 nor 0xFF, so the address reads as valid.
        const auto first = static_cast<uint8_t>(address);
        if (first == 0x00 || first == 0xFF)
            continue;
        if (std::none_of(nodes_.begin(), nodes_.end(), [&](const Node& n) { return n.address == address; }))
            return address;
    }
}

SimulatedFrame FennetTrafficModel::Next()
{
    while (queue_.empty())
        StartExchange();
    SimulatedFrame frame = std::move(queue_.front());
    queue_.pop_front();
    return frame;
}

void FennetTrafficModel::StartExchange()
{
    const int pick = Random().Between(0, 99);
    if (pick < 45)
        AppData();
    else if (pick < 58)
        Ping();
    else if (pick < 66)
        Link();
    else if (pick < 72)
        Join();
    else if (pick < 80)
        Echo();
    else if (pick < 94)
        Management();
    else
        Security();
}

FennetTrafficModel::Node& FennetTrafficModel::PickEndDevice()
{
    const int first = 1 + extenders_;
    return nodes_[static_cast<size_t>(Random().Between(first, static_cast<int>(nodes_.size()) - 1))];
}

std::vector<uint8_t> FennetTrafficModel::Payload(int lo, int hi)
{
    std::vector<uint8_t> payload(static_cast<size_t>(Random().Between(lo, hi)));
    for (uint8_t& byte : payload)
        byte = Random().Byte();
    return payload;
}

uint8_t FennetTrafficModel::DeviceInfo(const Node& node, int hops) const
{
    // Listen mode in bits 6-7, device type in bits 4-5, hop count in bits 0-2.
    const int listen = node.sleeps ? 1 : 0;
    return static_cast<uint8_t>(listen << 6 | node.type << 4 | (hops & 7));
}

void FennetTrafficModel::Send(Node& from, uint32_t destination, uint8_t portByte, std::span<const uint8_t> payload,
                              int hops, uint8_t transaction, bool newTransaction)
{
    SimulatedFrame frame;
    const bool ieee = Radio().fennetIeeeHeader;
    frame.bytes.push_back(0); // length byte, set below
    if (ieee) {
        frame.bytes.push_back(0x41);
        frame.bytes.push_back(0x00);
        frame.bytes.push_back(from.sequence++);
    }
    AppendU32(frame.bytes, destination);
    AppendU32(frame.bytes, from.address);
    frame.bytes.push_back(portByte);
    frame.bytes.push_back(DeviceInfo(from, hops));
    frame.bytes.push_back(newTransaction ? from.transaction++ : transaction);
    frame.bytes.insert(frame.bytes.end(), payload.begin(), payload.end());
    const size_t frameBytes = frame.bytes.size() - 1;
    frame.bytes[0] = static_cast<uint8_t>(ieee ? frameBytes + 2 : frameBytes);
    AppendStatus(frame.bytes, from.rssi, Random().Between(ieee ? 90 : 20, ieee ? 110 : 60));
    // Length byte, frame and a 2-byte CRC on the air.
    frame.airBytes = static_cast<uint32_t>(1 + frameBytes + 2);
    queue_.push_back(std::move(frame));
}

void FennetTrafficModel::AppData()
{
    Node& device = PickEndDevice();
    Node& accessPoint = nodes_[0];
    const auto port = static_cast<uint8_t>(kPortApplication + Random().Between(0, 15));
    const std::vector<uint8_t> data = Payload(2, 30);
    const uint8_t transaction = device.transaction;
    Send(device, accessPoint.address, port, data);
    if (Random().Chance(0.3)) {
        Node& extender = nodes_[static_cast<size_t>(Random().Between(1, extenders_))];
        // The extender repeats the frame as it was, under its own signal, one hop on.
        Node relay = device;
        relay.rssi = extender.rssi;
        relay.sequence = extender.sequence++;
        Send(relay, accessPoint.address, static_cast<uint8_t>(port | kRepeated), data, 1, transaction, false);
    }
    if (Random().Chance(0.4))
        Send(accessPoint, device.address, port, Payload(1, 8));
}

void FennetTrafficModel::Ping()
{
    Node& device = PickEndDevice();
    Node& accessPoint = nodes_[0];
    const uint8_t id = Random().Byte();
    const uint8_t request[] = {0x01, id};
    Send(device, accessPoint.address, kPortPing, request);
    const uint8_t reply[] = {0x81, id};
    Send(accessPoint, device.address, kPortPing, reply);
}

void FennetTrafficModel::Link()
{
    Node& device = PickEndDevice();
    Node& accessPoint = nodes_[0];
    const uint8_t id = Random().Byte();
    const uint32_t token = Random().Bits();
    const auto localPort = static_cast<uint8_t>(kPortApplication + Random().Between(0, 15));
    const uint8_t listen = device.sleeps ? 1 : 0;
    std::vector<uint8_t> request = {0x01, id};
    AppendU32(request, token);
    request.insert(request.end(), {localPort, listen, 0x02});
    Send(device, kBroadcast, kPortLink, request);
    const uint8_t reply[] = {0x81, id, static_cast<uint8_t>(localPort + 1), 0x00};
    Send(accessPoint, device.address, kPortLink, reply);
}

void FennetTrafficModel::Join()
{
    Node& device = PickEndDevice();
    Node& accessPoint = nodes_[0];
    const uint8_t id = Random().Byte();
    std::vector<uint8_t> request = {0x01, id};
    AppendU32(request, Random().Bits());
    request.insert(request.end(), {static_cast<uint8_t>(device.sleeps ? 0x40 : 0x00), 0x02});
    Send(device, kBroadcast, kPortJoin, request);
    std::vector<uint8_t> reply = {0x81, id};
    AppendU32(reply, Random().Bits());
    reply.push_back(0x00); // no key follows
    Send(accessPoint, device.address, kPortJoin, reply);
}

void FennetTrafficModel::Echo()
{
    Node& accessPoint = nodes_[0];
    if (Random().Chance(0.15)) {
        // The access point moves everyone to another channel number.
        const uint8_t command[] = {0x01, static_cast<uint8_t>(Random().Between(0, 3))};
        Send(accessPoint, kBroadcast, kPortFrequency, command);
        return;
    }
    Node& device = PickEndDevice();
    const uint8_t id = Random().Byte();
    const uint8_t request[] = {0x02, id};
    Send(device, accessPoint.address, kPortFrequency, request);
    const uint8_t reply[] = {0x82, id};
    Send(accessPoint, device.address, kPortFrequency, reply);
}

void FennetTrafficModel::Management()
{
    Node& device = PickEndDevice();
    Node& accessPoint = nodes_[0];
    // A sleeping device polls for what waits at the access point.
    std::vector<uint8_t> poll = {0x01, static_cast<uint8_t>(kPortApplication), 0x00};
    AppendU32(poll, accessPoint.address);
    Send(device, accessPoint.address, kPortManagement, poll);
    std::vector<uint8_t> reply = {0x81, static_cast<uint8_t>(kPortApplication), static_cast<uint8_t>(Random().Between(0, 2))};
    AppendU32(reply, device.address);
    Send(accessPoint, device.address, kPortManagement, reply);
}

void FennetTrafficModel::Security()
{
    Node& device = PickEndDevice();
    Node& accessPoint = nodes_[0];
    const uint8_t request[] = {0x01, Random().Byte(), 0x00};
    Send(accessPoint, device.address, kPortSecurity, request);
}
