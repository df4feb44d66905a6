#pragma once

#include "platform/dravik/SimulatedFrameSource.h"
#include "platform/dravik/stream/SimulatedStream.h"

struct SimulatedBoardConfig;

// The radio traffic a board's chip hears on its channel.
class SimulatedStreamSource : public SimulatedFrameSource {
public:
    SimulatedStreamSource(const SimulatedBoardConfig& board, uint8_t channel);

    uint32_t NextFrame(std::vector<uint8_t>& out) override;
    void SetChannel(uint8_t channel) override;

private:
    SimulatedStream stream_;
};
