#include "platform/dravik/SimulatedBoardSource.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/PathText.h"
#include "platform/dravik/DravikHexFile.h"
#include "platform/dravik/FirmwareRevision.h"
#include "platform/dravik/BoardFile.h"

namespace {

bool Updatable(uint16_t boardType)
{
    return FirmwareRevision::Shipped(boardType).has_value();
}

// The enumeration's type filter: every bit of the board type lies inside the mask.
bool Matches(uint16_t boardType, uint32_t mask)
{
    return (boardType & ~mask) == 0;
}

} // namespace

SimulatedBoardSource::SimulatedBoardSource()
    : fromFile_(true), memory_(std::make_shared<SimulatedBoardMemory>())
{
}

SimulatedBoardSource::SimulatedBoardSource(std::vector<SimulatedBoardConfig> boards)
    : fromFile_(false), fixed_(std::move(boards)), memory_(std::make_shared<SimulatedBoardMemory>())
{
}

std::vector<SimulatedBoardConfig> SimulatedBoardSource::Boards() const
{
    return fromFile_ ? BoardFile::Attached() : fixed_;
}

void SimulatedBoardSource::SetFrameSourceFactory(SimulatedBoard::FrameSourceFactory factory)
{
    std::lock_guard lock(mutex_);
    factory_ = std::move(factory);
}

int SimulatedBoardSource::Enumerate(DravikEbInfo* records, int capacity, uint32_t mask)
{
    if (records == nullptr || capacity <= 0)
        return 0;
    int filled = 0;
    for (const SimulatedBoardConfig& board : Boards()) {
        if (filled == capacity)
            break;
        if (!Matches(board.boardType, mask))
            continue;
        DravikEbInfo info = board.Info();
        const FirmwareRevision firmware = memory_->FirmwareOf(board);
        info.firmwareId = firmware.id;
        info.firmwareRevision = firmware.revision;
        records[filled++] = info;
    }
    return filled;
}

std::optional<SimulatedBoardConfig> SimulatedBoardSource::Find(const DravikEbInfo& info) const
{
    for (const SimulatedBoardConfig& board : Boards())
        if (board.boardType == info.boardType && board.serialNumber == info.serialNumber)
            return board;
    return std::nullopt;
}

std::unique_ptr<DravikEb> SimulatedBoardSource::Open(const DravikEbInfo& info, int)
{
    std::optional<SimulatedBoardConfig> board = Find(info);
    if (!board || board->Has(kFaultOpen))
        return nullptr;
    SimulatedBoard::FrameSourceFactory factory;
    {
        std::lock_guard lock(mutex_);
        factory = factory_;
    }
    return std::make_unique<SimulatedBoard>(*board, memory_, std::move(factory));
}

int SimulatedBoardSource::Update(const DravikEbInfo& info, const char* hexPath, int,
                                 DravikEb::ProgressFunction progress)
{
    std::optional<SimulatedBoardConfig> board = Find(info);
    if (!board || !Updatable(board->boardType))
        return kUpdateUnknownDevice;
    if (hexPath == nullptr || hexPath[0] == '\0')
        return kUpdateNoFile;
    std::ifstream in(platform::ToNativePath(hexPath), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    if (!in || text.str().find_first_not_of(" \t\r\n") == std::string::npos)
        return kUpdateNoFile;
    std::unique_ptr<DravikHexFile> image = DravikHexFile::Create(DravikHexFile::kKindSmallFlash);
    const int read = image->ReadHexText(text.str());
    if (read == DravikHexFile::kNoData)
        return kUpdateNoFile;
    if (read == DravikHexFile::kOutsideImage)
        return kUpdateBadAddress;
    if (read < 1)
        return kUpdateBadLength;
    // Without its revision record the image is not board firmware.
    const std::optional<FirmwareRevision> firmware = FirmwareRevision::Read(*image);
    if (!firmware)
        return kUpdateBadAddress;

    if (progress != nullptr)
        progress(0);
    const auto step = std::chrono::microseconds(static_cast<int64_t>(board->updateMs) * 1000 / kUpdateSteps);
    for (int i = 1; i <= kUpdateSteps; ++i) {
        std::this_thread::sleep_for(step);
        if (progress != nullptr)
            progress(i * 100 / kUpdateSteps);
    }
    if (board->updateResult != kUpdateOk)
        return board->updateResult;
    memory_->SetFirmware(*board, *firmware);
    return kUpdateOk;
}
