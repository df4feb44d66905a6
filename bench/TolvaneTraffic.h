#pragma once

// A capture's worth of IEEE 802.15.4 traffic as raw records for the Tolvane plug-in, for the
// benchmarks.
#include <random>
#include <vector>

#include "tests/plugin/tolvane/MacFrameBuilder.h"

namespace benchsupport {

using testsupport::FrameBytes;
using testsupport::FrameControl;

inline constexpr uint16_t kPan = 0x1234;
inline constexpr uint16_t kCoordinator = 0x0000;

// One capture's traffic: a coordinator and a dozen devices of one PAN. Per 100 frames about
// 45 data frames carrying network frames, 35 acknowledgements, 10 MAC commands, 5 secured
// data frames and 5 beacons.
inline std::vector<std::vector<uint8_t>> TrafficMix(size_t count)
{
    std::mt19937 random(2026);
    std::vector<std::vector<uint8_t>> records;
    records.reserve(count);
    uint64_t ticks = 0;
    uint8_t seq = 0;
    const FrameControl data{.type = 1, .ackRequest = true, .panIdCompression = true, .destinationMode = 2,
                            .sourceMode = 2};
    for (size_t i = 0; i < count; ++i) {
        const uint16_t device = static_cast<uint16_t>(0x0101 + random() % 12);
        const bool up = random() % 2 != 0;
        FrameBytes mac;
        const unsigned kind = random() % 100;
        if (kind < 45) {
            mac.U16(data.Value()).U8(seq++).U16(kPan).U16(up ? kCoordinator : device).U16(up ? device : kCoordinator);
            if (random() % 4 == 0) {
                // A network command: ping or discovery.
                mac.U8(0x02).U32(static_cast<uint32_t>(i));
                if (random() % 2)
                    mac.U8(7).U8(0x01);
                else
                    mac.U8(1).U8(0x0C).U16(0x10EF).Text("VENDOR1").U8(0x13).Text("Living room tv ").U8(0x09).U8(0x01)
                        .U8(0xFF);
            } else {
                mac.U8(0x49).U32(static_cast<uint32_t>(i)).U8(0xC0).Fill(10 + random() % 50, static_cast<uint8_t>(i));
            }
        } else if (kind < 80) {
            mac.U16(FrameControl{.type = 2}.Value()).U8(static_cast<uint8_t>(seq - 1));
        } else if (kind < 90) {
            const FrameControl command{.type = 3, .ackRequest = true, .panIdCompression = true, .destinationMode = 2,
                                       .sourceMode = 3};
            mac.U16(command.Value()).U8(seq++).U16(kPan).U16(kCoordinator).U64(0x00124B0000000000ull | device);
            if (random() % 3)
                mac.U8(4);
            else
                mac.U8(1).U8(0x8E);
        } else if (kind < 95) {
            const FrameControl secured{.type = 1, .security = true, .panIdCompression = true, .destinationMode = 2,
                                       .version = 1, .sourceMode = 2};
            mac.U16(secured.Value()).U8(seq++).U16(kPan).U16(kCoordinator).U16(device).U8(0x0D)
                .U32(static_cast<uint32_t>(i)).U8(0x01).Fill(20 + random() % 30, 0xA5);
        } else {
            mac.U16(FrameControl{.type = 0, .sourceMode = 2}.Value()).U8(seq++).U16(kPan).U16(kCoordinator)
                .U16(0xCFFF).U8(0x00).U8(0x01).U16(device).Text("beacon payload");
        }
        ticks += 32 * (200 + random() % 5000);
        const uint8_t rssi = static_cast<uint8_t>(0xD0 + random() % 40);
        const uint8_t status = static_cast<uint8_t>((random() % 20 ? 0x80 : 0) | (random() % 128));
        records.push_back(testsupport::MakeMacRecord(static_cast<uint32_t>(i + 1), ticks, mac, rssi, status, 160));
    }
    return records;
}

} // namespace benchsupport
