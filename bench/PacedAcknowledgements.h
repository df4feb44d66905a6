#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/store/PacketManager.h"
#include "platform/dravik/BoardFile.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/SimulatedFrameSource.h"
#include "platform/dravik/stream/DeviceFrameWriter.h"
#include "plugin/frame/ParsedData.h"

namespace benchsupport {

// IEEE 802.15.4 acknowledgements back to back, one every frameMicroseconds. At 352 us (11
// bytes on the air at 250 kbit/s) that is the radio's real maximum on one channel, about
// 2,840 frames a second.
class PacedAcknowledgements : public SimulatedFrameSource {
public:
    static constexpr uint32_t kOnAirMicroseconds = 352;
    static constexpr uint32_t kTicksPerMicrosecond = 32;

    explicit PacedAcknowledgements(uint32_t frameMicroseconds = kOnAirMicroseconds)
        : frameMicroseconds_(frameMicroseconds)
    {
    }

    uint32_t NextFrame(std::vector<uint8_t>& out) override
    {
        // Length byte, frame control, sequence number, then RSSI and CRC-ok + correlation
        // where the FCS was.
        const uint8_t packet[] = {0x05, 0x02, 0x00, sequence_++, 0xC4, 0xEA};
        writer_.Packet(out, ticks_, packet);
        ticks_ += frameMicroseconds_ * kTicksPerMicrosecond;
        return frameMicroseconds_;
    }
    void SetChannel(uint8_t) override {}

private:
    uint32_t frameMicroseconds_;
    DeviceFrameWriter writer_{DeviceFrameWriter::kLayoutOld};
    uint32_t ticks_ = 0x1000;
    uint8_t sequence_ = 0;
};

// The default set's Kestrix board with an IEEE 802.15.4 chip, streaming at framesPerSecond
// (0: as fast as it is read).
inline SimulatedBoardConfig IeeeBoard(int framesPerSecond)
{
    for (SimulatedBoardConfig board : BoardFile::DefaultBoards()) {
        if (board.boardType == DravikEb::kBoardKestrix) {
            board.chipCode = 0x6E7A;
            board.chipName.clear();
            board.framesPerSecond = framesPerSecond;
            return board;
        }
    }
    std::fprintf(stderr, "no board of the default set fits\n");
    std::exit(1);
}

struct StoredCounts {
    int32_t packets = 0;
    int32_t events = 0; // records that carry a capture event instead of a frame
};

inline StoredCounts CountStored(PacketManager& store, uint16_t rawLength)
{
    StoredCounts counts;
    std::vector<uint8_t> record(store.RecordLength());
    const int32_t total = store.GetPacketCount(0);
    for (int32_t n = 1; n <= total; ++n) {
        PARSED_DATA parsed{};
        if (store.GetParsedData(n, record.data()) == 1)
            LoadParsedData(parsed, record.data() + rawLength);
        (parsed.status > 0 && parsed.status <= 10 ? counts.events : counts.packets)++;
    }
    return counts;
}

} // namespace benchsupport
