#include "platform/dravik/stream/MixedTrafficModel.h"

MixedTrafficModel::MixedTrafficModel(const TrafficSettings& settings, std::unique_ptr<TrafficModel> main,
                                     std::unique_ptr<TrafficModel> other, double otherShare)
    : TrafficModel(settings), main_(std::move(main)), other_(std::move(other)), otherShare_(otherShare)
{
}

SimulatedFrame MixedTrafficModel::Next()
{
    if (!MidExchange())
        current_ = Random().Chance(otherShare_) ? other_.get() : main_.get();
    return current_->Next();
}
