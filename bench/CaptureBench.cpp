// Capture figures through the whole road: a simulated board's pipe, the framing, the reader
// thread, the packet store and Halyard. First a board that streams as fast as it is read, then
// one at the radio's real maximum rate on one channel, with the CPU time the process used.
// Run: build/release/bench/capture_bench [seconds a phase]   (default 5)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/device/Pelagor.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "platform/dravik/BoardFile.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/SimulatedBoardSource.h"
#include "platform/dravik/SimulatedFrameSource.h"
#include "platform/dravik/stream/DeviceFrameWriter.h"
#include "plugin/frame/ParsedData.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Result {
    int32_t packets = 0;
    int32_t events = 0;
    double seconds = 0;
    double cpuSeconds = 0;
};

// The default set's board with an IEEE 802.15.4 chip, streaming at rate.
SimulatedBoardConfig Board(int framesPerSecond)
{
    for (SimulatedBoardConfig board : BoardFile::DefaultBoards()) {
        if (board.boardType == DravikEb::kBoardKestrix) {
            board.chipCode = 0x6E7A;
            board.chipName.clear();
            board.framesPerSecond = framesPerSecond;
            return board;
        }
    }
    std::fprintf(stderr, "no board of the default set fits\n");
    std::exit(1);
}

// The radio's real maximum on one IEEE 802.15.4 channel: acknowledgements back to back
// (11 bytes on the air at 250 kbit/s, 352 us), about 2,840 frames a second.
class BackToBackAcknowledgements : public SimulatedFrameSource {
public:
    static constexpr uint32_t kFrameMicroseconds = 352;
    static constexpr uint32_t kTicksPerMicrosecond = 32;

    uint32_t NextFrame(std::vector<uint8_t>& out) override
    {
        // Length byte, frame control, sequence number, then RSSI and CRC-ok + correlation
        // where the FCS was.
        const uint8_t packet[] = {0x05, 0x02, 0x00, sequence_++, 0xC4, 0xEA};
        writer_.Packet(out, ticks_, packet);
        ticks_ += kFrameMicroseconds * kTicksPerMicrosecond;
        return kFrameMicroseconds;
    }
    void SetChannel(uint8_t) override {}

private:
    DeviceFrameWriter writer_{DeviceFrameWriter::kLayoutOld};
    uint32_t ticks_ = 0x1000;
    uint8_t sequence_ = 0;
};

Result Capture(int framesPerSecond, double seconds, bool backToBack)
{
    testsupport::TempFolder folder;
    PluginHandler host;
    PacketManager store;
    if (host.Load(HALYARD_PATH, "") != 1 ||
        !testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(), folder.Path().string() + "/", 64)) {
        std::fprintf(stderr, "store set-up failed\n");
        std::exit(1);
    }
    SimulatedBoardSource boards({Board(framesPerSecond)});
    if (backToBack)
        boards.SetFrameSourceFactory([](const SimulatedBoardConfig&, uint8_t) {
            return std::make_unique<BackToBackAcknowledgements>();
        });
    InstallDravikBoardSource(&boards);
    DravikEbInfo device[DravikEb::kMaxBoards];
    int count = DravikEb::kMaxBoards;
    DravikEb::EnumEbs(device, &count, 0xFFFF);

    Result result;
    {
        Pelagor engine(0, PELAGOR_PROGRAM_DIR "/");
        Pelagor::SetPacketManager(&store);
        engine.SetPacketLimits(host.RawLength(), 11);
        CAPTURE_START_PARAM param;
        param.channel = 11;
        param.firmwareFile = "sniffer_fw_qz6e7a.hex";
        if (count < 1 || engine.Start(device[0], param) != PelagorCore::kStartRunning) {
            std::fprintf(stderr, "capture did not start\n");
            std::exit(1);
        }
        const double cpuBefore = CpuSeconds();
        const auto start = Clock::now();
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        engine.Stop();
        result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
        result.cpuSeconds = CpuSeconds() - cpuBefore;
        Pelagor::SetPacketManager(nullptr);
    }
    InstallDravikBoardSource(nullptr);

    std::vector<uint8_t> record(store.RecordLength());
    const int32_t total = store.GetPacketCount(0);
    for (int32_t n = 1; n <= total; ++n) {
        PARSED_DATA parsed{};
        if (store.GetParsedData(n, record.data()) == 1)
            LoadParsedData(parsed, record.data() + host.RawLength());
        (parsed.status > 0 && parsed.status <= 10 ? result.events : result.packets)++;
    }
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;

    const Result fast = Capture(0, seconds, false);
    std::printf("as fast as read: %d packets in %.2f s = %.0f packets/s, %d capture events, CPU %.0f %%\n",
                fast.packets, fast.seconds, fast.packets / fast.seconds, fast.events,
                100.0 * fast.cpuSeconds / fast.seconds);

    const int rate = 1000000 / BackToBackAcknowledgements::kFrameMicroseconds;
    const Result real = Capture(rate, seconds, true);
    std::printf("at %d frames/s: %d packets in %.2f s = %.0f packets/s, %d capture events, CPU %.1f %% of one core\n",
                rate, real.packets, real.seconds, real.packets / real.seconds, real.events,
                100.0 * real.cpuSeconds / real.seconds);
    // Keeping up means no event and about the board's rate.
    const bool keptUp = real.events == 0 && real.packets > 0.9 * rate * real.seconds;
    std::printf("%s\n", keptUp ? "kept up" : "FELL BEHIND");
    return keptUp ? 0 : 1;
}
