#pragma once

// IEEE 802.15.4 traffic of four neighbouring PANs, one frame at a time, for the benchmarks that
// need more frames than fit in memory as records. Each PAN's coordinator beacons; its devices
// carry network frames (data, vendor data, commands) in data frames, some broadcast, some
// secured, and poll their coordinator with data requests; nearly every frame that asks for an
// acknowledgement is followed by it; now and then a device scans, associates, is orphaned or
// leaves, and a few data frames cross from one PAN into another. Per 100 frames about 43 data
// frames, 44 acknowledgements, 8 MAC commands and 4 beacons. The same seed gives the same frames.
#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "tests/plugin/tolvane/MacFrameBuilder.h"

namespace benchsupport {

struct RoadFrame {
    std::vector<uint8_t> mac; // MAC header and payload, without the FCS
    uint64_t ticks = 0;       // the board's clock, kTicksPerMicrosecond a microsecond
    int type = 0;             // the MAC frame type
    bool hasDestinationPan = false;
    uint16_t destinationPan = 0;
    uint8_t rssi = 0;
    uint8_t status = 0;       // bit 7: CRC good; every frame here has a good one
};

class RoadTraffic {
public:
    static constexpr std::array<uint16_t, 4> kPans = {0x1A2B, 0x0F00, 0x5E77, 0xBEEF};
    static constexpr uint32_t kTicksPerMicrosecond = 32;
    static constexpr uint16_t kBroadcast = 0xFFFF;

    explicit RoadTraffic(uint32_t seed = 802154) : random_(seed) {}

    const RoadFrame& Next()
    {
        frame_ = RoadFrame{};
        testsupport::FrameBytes mac;
        // The acknowledgement comes a turnaround time after its frame, unless it was lost.
        if (ackDue_ && Below(20) != 0) {
            ackDue_ = false;
            frame_.type = 2;
            mac.U16(testsupport::FrameControl{.type = 2}.Value()).U8(ackSeq_);
            return Finish(mac, 192 + Below(64));
        }
        ackDue_ = false;
        const size_t pan = PickPan();
        const unsigned device = Below(kDevices[pan]);
        const unsigned kind = Below(100);
        if (kind < 62)
            UnicastData(mac, pan, device);
        else if (kind < 67)
            BroadcastData(mac, pan, device);
        else if (kind < 74)
            SecuredData(mac, pan, device);
        else if (kind < 77)
            InterPanData(mac, pan, device);
        else if (kind < 92)
            Command(mac, pan, device);
        else
            Beacon(mac, pan);
        return Finish(mac, 300 + Below(6000));
    }

private:
    static constexpr std::array<unsigned, 4> kPanShare = {35, 30, 20, 15}; // percent of the frames
    static constexpr std::array<unsigned, 4> kDevices = {14, 9, 6, 22};
    static constexpr uint16_t kCoordinator = 0x0000;

    unsigned Below(unsigned n) { return static_cast<unsigned>(random_() % n); }
    uint8_t Byte() { return static_cast<uint8_t>(random_()); }

    size_t PickPan()
    {
        unsigned share = Below(100);
        for (size_t i = 0; i < kPans.size(); ++i) {
            if (share < kPanShare[i])
                return i;
            share -= kPanShare[i];
        }
        return 0;
    }

    static uint16_t ShortOf(unsigned device) { return static_cast<uint16_t>(0x0001 + device); }
    static uint64_t ExtendedOf(size_t pan, unsigned device)
    {
        return 0x00124B0000000000ull | uint64_t{kPans[pan]} << 16 | (device + 1u);
    }
    static uint64_t CoordinatorExtended(size_t pan) { return ExtendedOf(pan, 0xFFFF - 1); }

    // The header fields up to the addresses; notes the destination PAN and the awaited ack.
    void Header(testsupport::FrameBytes& mac, const testsupport::FrameControl& control)
    {
        frame_.type = control.type;
        const uint8_t seq = seq_++;
        mac.U16(control.Value()).U8(seq);
        if (control.ackRequest) {
            ackDue_ = true;
            ackSeq_ = seq;
        }
    }
    void DestinationPan(testsupport::FrameBytes& mac, uint16_t pan)
    {
        frame_.hasDestinationPan = true;
        frame_.destinationPan = pan;
        mac.U16(pan);
    }

    // A network frame: standard or vendor data, or a network command.
    void NetworkFrame(testsupport::FrameBytes& mac)
    {
        const unsigned kind = Below(10);
        const auto counter = static_cast<uint32_t>(counter_++);
        if (kind < 7) {
            mac.U8(0x49).U32(counter).U8(Below(4) ? 0xC0 : 0x01).Fill(8 + Below(52), Byte());
        } else if (kind < 8) {
            mac.U8(0x4B).U32(counter).U8(0xC0).U16(0x10EF).Fill(4 + Below(30), Byte());
        } else {
            mac.U8(0x4A).U32(counter);
            switch (Below(4)) {
            case 0: // ping request
                mac.U8(7).U8(0x01).U32(counter);
                break;
            case 1: // key seed
                mac.U8(6).U8(Byte()).Fill(80, Byte());
                break;
            case 2: // discovery request
                Discovery(mac);
                break;
            default: // unpair request
                mac.U8(5);
                break;
            }
        }
    }
    void Discovery(testsupport::FrameBytes& mac)
    {
        mac.U8(1).U8(0x0C).U16(0x10EF).Text("VENDOR1").U8(0x13).Text("Living room tv ").U8(0x09).U8(0x01).U8(0xFF);
    }

    void UnicastData(testsupport::FrameBytes& mac, size_t pan, unsigned device)
    {
        const bool up = Below(2) != 0;
        Header(mac, {.type = 1, .ackRequest = true, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2});
        DestinationPan(mac, kPans[pan]);
        mac.U16(up ? kCoordinator : ShortOf(device)).U16(up ? ShortOf(device) : kCoordinator);
        NetworkFrame(mac);
    }

    void BroadcastData(testsupport::FrameBytes& mac, size_t pan, unsigned device)
    {
        Header(mac, {.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2});
        DestinationPan(mac, kPans[pan]);
        mac.U16(kBroadcast).U16(ShortOf(device)).U8(0x4A).U32(static_cast<uint32_t>(counter_++));
        Discovery(mac);
    }

    void SecuredData(testsupport::FrameBytes& mac, size_t pan, unsigned device)
    {
        Header(mac, {.type = 1, .security = true, .ackRequest = true, .panIdCompression = true,
                     .destinationMode = 2, .version = 1, .sourceMode = 2});
        DestinationPan(mac, kPans[pan]);
        // Security level 5 (encrypted, 4-byte MIC), key identifier mode 1: frame counter, key index.
        mac.U16(kCoordinator).U16(ShortOf(device)).U8(0x0D).U32(static_cast<uint32_t>(counter_++)).U8(0x01);
        mac.Fill(16 + Below(40), Byte()).U32(random_());
    }

    // From a device of one PAN to the coordinator of another: both PAN ids on air.
    void InterPanData(testsupport::FrameBytes& mac, size_t pan, unsigned device)
    {
        const size_t other = (pan + 1 + Below(kPans.size() - 1)) % kPans.size();
        Header(mac, {.type = 1, .ackRequest = true, .destinationMode = 2, .sourceMode = 2});
        DestinationPan(mac, kPans[other]);
        mac.U16(kCoordinator).U16(kPans[pan]).U16(ShortOf(device));
        NetworkFrame(mac);
    }

    void Command(testsupport::FrameBytes& mac, size_t pan, unsigned device)
    {
        const unsigned kind = Below(15);
        if (kind < 10) { // data request
            const bool extended = Below(3) == 0;
            Header(mac, {.type = 3, .ackRequest = true, .panIdCompression = true, .destinationMode = 2,
                         .sourceMode = extended ? 3 : 2});
            DestinationPan(mac, kPans[pan]);
            mac.U16(kCoordinator);
            extended ? mac.U64(ExtendedOf(pan, device)) : mac.U16(ShortOf(device));
            mac.U8(4);
        } else if (kind < 12) { // association request: the device has no PAN yet
            Header(mac, {.type = 3, .ackRequest = true, .destinationMode = 2, .sourceMode = 3});
            DestinationPan(mac, kPans[pan]);
            mac.U16(kCoordinator).U16(kBroadcast).U64(ExtendedOf(pan, device)).U8(1).U8(0x8E);
        } else if (kind < 13) { // association response
            Header(mac, {.type = 3, .ackRequest = true, .panIdCompression = true, .destinationMode = 3,
                         .sourceMode = 3});
            DestinationPan(mac, kPans[pan]);
            mac.U64(ExtendedOf(pan, device)).U64(CoordinatorExtended(pan)).U8(2).U16(ShortOf(device)).U8(0);
        } else if (kind < 14) { // beacon request of a scan
            Header(mac, {.type = 3, .destinationMode = 2});
            DestinationPan(mac, kBroadcast);
            mac.U16(kBroadcast).U8(7);
        } else if (Below(2)) { // orphan notification
            Header(mac, {.type = 3, .panIdCompression = true, .destinationMode = 2, .sourceMode = 3});
            DestinationPan(mac, kBroadcast);
            mac.U16(kBroadcast).U64(ExtendedOf(pan, device)).U8(6);
        } else { // disassociation notification
            Header(mac, {.type = 3, .ackRequest = true, .panIdCompression = true, .destinationMode = 3,
                         .sourceMode = 3});
            DestinationPan(mac, kPans[pan]);
            mac.U64(CoordinatorExtended(pan)).U64(ExtendedOf(pan, device)).U8(3).U8(2);
        }
    }

    // The coordinator's beacon: superframe, no GTS, now and then a device with data pending.
    void Beacon(testsupport::FrameBytes& mac, size_t pan)
    {
        Header(mac, {.type = 0, .sourceMode = 2});
        mac.U16(kPans[pan]).U16(kCoordinator).U16(0xCFFF).U8(0x00);
        if (Below(4) == 0)
            mac.U8(0x01).U16(ShortOf(Below(kDevices[pan])));
        else
            mac.U8(0x00);
        mac.U8(0x01).Text("beacon payload");
    }

    const RoadFrame& Finish(testsupport::FrameBytes& mac, unsigned gapMicroseconds)
    {
        ticks_ += uint64_t{kTicksPerMicrosecond} * gapMicroseconds;
        frame_.mac = mac.Bytes();
        frame_.ticks = ticks_;
        frame_.rssi = static_cast<uint8_t>(0xC8 + Below(40));
        frame_.status = static_cast<uint8_t>(0x80 | Below(128));
        return frame_;
    }

    std::mt19937 random_;
    RoadFrame frame_;
    uint64_t ticks_ = 0;
    uint64_t counter_ = 0;
    uint8_t seq_ = 0;
    bool ackDue_ = false;
    uint8_t ackSeq_ = 0;
};

} // namespace benchsupport
