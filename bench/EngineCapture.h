#pragma once

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "bench/PacedAcknowledgements.h"
#include "core/device/Pelagor.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/SimulatedBoardSource.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

namespace benchsupport {

inline double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct EngineCaptureResult {
    int32_t packets = 0;
    int32_t events = 0;
    double seconds = 0;
    double cpuSeconds = 0;
};

// The engine alone, without a window: a simulated IEEE 802.15.4 board at framesPerSecond (0:
// unpaced) into a store, decoded by the plug-in at pluginPath. frameMicroseconds > 0 replaces
// the board's traffic with acknowledgements that far apart. The store caches cacheMb megabytes.
inline EngineCaptureResult CaptureWithEngine(const char* pluginPath, int framesPerSecond, uint32_t frameMicroseconds,
                                             double seconds, uint16_t cacheMb = 64)
{
    testsupport::TempFolder folder;
    PluginHandler host;
    PacketManager store;
    if (host.Load(pluginPath, "") != 1 ||
        !testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(), folder.Path().string() + "/", cacheMb)) {
        std::fprintf(stderr, "store set-up failed\n");
        std::exit(1);
    }
    SimulatedBoardSource boards({IeeeBoard(framesPerSecond)});
    if (frameMicroseconds > 0)
        boards.SetFrameSourceFactory([frameMicroseconds](const SimulatedBoardConfig&, uint8_t) {
            return std::make_unique<PacedAcknowledgements>(frameMicroseconds);
        });
    InstallDravikBoardSource(&boards);
    DravikEbInfo device[DravikEb::kMaxBoards];
    int count = DravikEb::kMaxBoards;
    DravikEb::EnumEbs(device, &count, 0xFFFF);
    // As the window does at its start: the plug-in decodes for the device's chip.
    if (count > 0)
        host.SetChipType(device[0].chipName);

    EngineCaptureResult result;
    {
        Pelagor engine(0, PELAGOR_PROGRAM_DIR "/");
        Pelagor::SetPacketManager(&store);
        engine.SetPacketLimits(host.RawLength(), host.HexPageSize());
        CAPTURE_START_PARAM param;
        param.channel = 11;
        param.firmwareFile = "sniffer_fw_qz6e7a.hex";
        if (count < 1 || engine.Start(device[0], param) != PelagorCore::kStartRunning) {
            std::fprintf(stderr, "capture did not start\n");
            std::exit(1);
        }
        const double cpuBefore = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        engine.Stop();
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        result.cpuSeconds = CpuSeconds() - cpuBefore;
        Pelagor::SetPacketManager(nullptr);
    }
    InstallDravikBoardSource(nullptr);

    const StoredCounts counts = CountStored(store, host.RawLength());
    result.packets = counts.packets;
    result.events = counts.events;
    return result;
}

} // namespace benchsupport
