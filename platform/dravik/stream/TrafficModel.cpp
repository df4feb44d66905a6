#include "platform/dravik/stream/TrafficModel.h"

#include <algorithm>

TrafficModel::TrafficModel(const TrafficSettings& settings)
    : settings_(settings), radio_(ChipRadioFor(settings.chipCode)),
      random_(SimRandom::Mix(settings.seed, 0x54524146u ^ settings.channel))
{
}

TrafficModel::~TrafficModel() = default;

void TrafficModel::AppendStatus(std::vector<uint8_t>& bytes, int rssiDbm, int correlation)
{
    bool crcOk = true;
    if (bytes.size() > 1 && random_.Chance(settings_.crcErrorShare)) {
        crcOk = false;
        const int at = random_.Between(1, static_cast<int>(bytes.size()) - 1);
        bytes[at] ^= static_cast<uint8_t>(1u << random_.Between(0, 7));
        correlation /= 2;
    }
    bytes.push_back(radio_.RawRssi(rssiDbm + random_.Between(-3, 3)));
    bytes.push_back(static_cast<uint8_t>((crcOk ? 0x80 : 0x00) | std::clamp(correlation, 0, 127)));
}
