#pragma once

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/device/PacketBufferDravik.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/SimulatedBoardSource.h"
#include "platform/dravik/SimulatedFrameSource.h"
#include "platform/dravik/stream/DeviceFrameWriter.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"

namespace boardtest {

// Points XDG_CONFIG_HOME at a folder of its own for the life of the object.
class ConfigHome {
public:
    ConfigHome() = default;
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    std::string WriteBoards(const std::string& text) const { return folder_.Write("pelagor/boards.ini", text); }
    const testsupport::TempFolder& Folder() const { return folder_; }

private:
    testsupport::TempFolder folder_;
    testsupport::ScopedEnvironment home_{"XDG_CONFIG_HOME", folder_.Path().c_str()};
};

// Makes source the board source of DravikEb for the life of the object.
class InstalledSource {
public:
    explicit InstalledSource(DravikBoardSource& source) { InstallDravikBoardSource(&source); }
    ~InstalledSource() { InstallDravikBoardSource(nullptr); }
    InstalledSource(const InstalledSource&) = delete;
    InstalledSource& operator=(const InstalledSource&) = delete;
};

inline std::vector<DravikEbInfo> Enumerate(uint32_t mask = 0xFFFF)
{
    std::vector<DravikEbInfo> records(DravikEb::kMaxBoards);
    int count = static_cast<int>(records.size());
    if (DravikEb::EnumEbs(records.data(), &count, mask) != 0)
        return {};
    records.resize(static_cast<size_t>(count));
    return records;
}

// A stand-in stream: one short packet frame per radio frame, gapUs apart.
class FixedFrameSource : public SimulatedFrameSource {
public:
    explicit FixedFrameSource(uint32_t gapUs, int layout = 1) : gapUs_(gapUs), writer_(layout) {}

    uint32_t NextFrame(std::vector<uint8_t>& out) override
    {
        ticks_ += gapUs_ * 16;
        const uint8_t packet[] = {5, 0x41, channel_, static_cast<uint8_t>(ticks_), 0x20, 0x85};
        writer_.Packet(out, ticks_, packet);
        return gapUs_;
    }
    void SetChannel(uint8_t channel) override { channel_ = channel; }

private:
    uint32_t gapUs_;
    DeviceFrameWriter writer_;
    uint32_t ticks_ = 0;
    uint8_t channel_ = 11;
};

// What the real framing made of a pipe in some time.
struct LiveRead {
    std::map<int, int> statuses;
    int Count(int status) const
    {
        auto it = statuses.find(status);
        return it == statuses.end() ? 0 : it->second;
    }
};

inline LiveRead ReadFor(DravikPipe* pipe, std::chrono::milliseconds duration, int timeoutMs = 20)
{
    PacketBufferDravik reader(pipe);
    reader.SetCapacity(271);
    std::vector<uint8_t> record(271);
    LiveRead result;
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) {
        uint8_t kind = 0;
        int length = 0;
        ++result.statuses[reader.ReadPacket(&kind, &length, record.data(), timeoutMs)];
    }
    return result;
}

// Profile 4, BOOT (or profile 5 for a transceiver), START; false when a step failed.
inline bool StartCapture(DravikEb& board, bool transceiver = false)
{
    if (transceiver)
        return board.SetProfile(5) == 0 && board.Command(208, 0, 0, 0, nullptr) == 0;
    return board.SetProfile(4) == 0 && board.Command(201, 0, 0, 0, nullptr) == 0 &&
           board.Command(208, 0, 0, 0, nullptr) == 0;
}

} // namespace boardtest
