#include "platform/dravik/SimulatedStreamSource.h"

#include "platform/dravik/SimulatedBoardConfig.h"

namespace {

// Frames without pacing keep the radio times of this rate.
constexpr double kUnpacedRate = 1000;

SimulatedStreamConfig StreamConfig(const SimulatedBoardConfig& board, uint8_t channel)
{
    SimulatedStreamConfig config;
    config.chipCode = board.chipCode;
    config.layout = board.layout;
    config.channel = channel;
    config.seed = board.serialNumber;
    config.framesPerSecond = board.framesPerSecond > 0 ? board.framesPerSecond : kUnpacedRate;
    return config;
}

} // namespace

SimulatedStreamSource::SimulatedStreamSource(const SimulatedBoardConfig& board, uint8_t channel)
    : stream_(StreamConfig(board, channel))
{
}

uint32_t SimulatedStreamSource::NextFrame(std::vector<uint8_t>& out)
{
    return stream_.NextFrame(out);
}

void SimulatedStreamSource::SetChannel(uint8_t channel)
{
    stream_.SetChannel(channel);
}
