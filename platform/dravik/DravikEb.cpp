#include "platform/dravik/DravikEb.h"

#include <algorithm>
#include <atomic>

#include "platform/dravik/SimulatedBoardSource.h"

namespace {

std::atomic<DravikBoardSource*> installedSource{nullptr};

DravikBoardSource& SimulatedBoards()
{
    static SimulatedBoardSource source;
    return source;
}

} // namespace

DravikDebugger::~DravikDebugger() = default;
DravikChip::~DravikChip() = default;
DravikEb::~DravikEb() = default;
DravikBoardSource::~DravikBoardSource() = default;

void InstallDravikBoardSource(DravikBoardSource* source)
{
    installedSource.store(source, std::memory_order_release);
}

DravikBoardSource& CurrentDravikBoardSource()
{
    DravikBoardSource* source = installedSource.load(std::memory_order_acquire);
    return source != nullptr ? *source : SimulatedBoards();
}

int DravikEb::EnumEbs(DravikEbInfo* records, int* count, uint32_t mask)
{
    if (count == nullptr || *count < 0 || (records == nullptr && *count > 0))
        return -1;
    const int capacity = *count;
    const int filled = capacity == 0 ? 0 : CurrentDravikBoardSource().Enumerate(records, capacity, mask);
    // A source must not claim more than it was given room for.
    *count = std::clamp(filled, 0, capacity);
    return 0;
}

std::unique_ptr<DravikEb> DravikEb::CreateEb(const DravikEbInfo& info, int flags)
{
    return CurrentDravikBoardSource().Open(info, flags);
}

int DravikEb::UpdateEb(const DravikEbInfo& info, const char* hexPath, int verify, ProgressFunction progress)
{
    if (hexPath == nullptr || hexPath[0] == '\0')
        return -1;
    return CurrentDravikBoardSource().Update(info, hexPath, verify, progress);
}

