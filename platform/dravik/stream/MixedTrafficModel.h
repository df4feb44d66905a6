// Two kinds of traffic on one channel.
#pragma once

#include <memory>

#include "platform/dravik/stream/TrafficModel.h"

// Draws each exchange from the main model, or with the given share from the other one; an
// exchange is never interrupted by the other model's frames.
class MixedTrafficModel : public TrafficModel {
public:
    MixedTrafficModel(const TrafficSettings& settings, std::unique_ptr<TrafficModel> main,
                      std::unique_ptr<TrafficModel> other, double otherShare);

    SimulatedFrame Next() override;
    bool MidExchange() const override { return current_ != nullptr && current_->MidExchange(); }

private:
    std::unique_ptr<TrafficModel> main_;
    std::unique_ptr<TrafficModel> other_;
    double otherShare_;
    TrafficModel* current_ = nullptr;
};
