#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/dravik/DravikEb.h"
#include "platform/dravik/SimulatedBoard.h"
#include "platform/dravik/SimulatedBoardConfig.h"
#include "platform/dravik/SimulatedBoardMemory.h"

// The simulated boards: those of the board file (read again at every call, so editing it
// plugs and unplugs boards) or a fixed set. What an update installs and what is programmed
// into a chip stays with the board (by serial number) for the life of the source.
class SimulatedBoardSource : public DravikBoardSource {
public:
    // Results of Update besides the forced ones.
    static constexpr int kUpdateOk = 0;
    static constexpr int kUpdateNoFile = -1;
    static constexpr int kUpdateUnknownDevice = -4;
    static constexpr int kUpdateBadLength = -6;
    static constexpr int kUpdateBadAddress = -7;
    static constexpr int kUpdateSteps = 10;

    SimulatedBoardSource();
    explicit SimulatedBoardSource(std::vector<SimulatedBoardConfig> boards);

    int Enumerate(DravikEbInfo* records, int capacity, uint32_t mask) override;
    std::unique_ptr<DravikEb> Open(const DravikEbInfo& info, int flags) override;
    int Update(const DravikEbInfo& info, const char* hexPath, int verify,
               DravikEb::ProgressFunction progress) override;

    // The streams of boards opened from now on (empty: the radio traffic of the chip).
    void SetFrameSourceFactory(SimulatedBoard::FrameSourceFactory factory);
    // The boards attached now.
    std::vector<SimulatedBoardConfig> Boards() const;

private:
    // The attached board that info names (board type and serial number).
    std::optional<SimulatedBoardConfig> Find(const DravikEbInfo& info) const;

    const bool fromFile_;
    const std::vector<SimulatedBoardConfig> fixed_;
    const std::shared_ptr<SimulatedBoardMemory> memory_;
    mutable std::mutex mutex_;
    SimulatedBoard::FrameSourceFactory factory_;
};
