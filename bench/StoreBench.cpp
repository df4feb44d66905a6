// Packet-store figures on a large capture of generic frames, through the real Halyard:
// add throughput, a full filter scan, serving a page while scrolling and after a jump,
// and resident memory as the store grows.
// Run: build/release/bench/store_bench [packets]   (default 1000000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "platform/WindowMessageRecorder.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

long ResidentKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Asks for a page of rows as the list does at each refresh until every row is served.
double ServePage(PacketManager& store, int32_t first, int rows, std::vector<char>& fields)
{
    const auto start = Clock::now();
    PARSED_DATA out{};
    out.fieldBuffer = fields.data();
    for (int32_t n = first; n < first + rows; ++n)
        while (store.GetPacket(n, 0, &out) != 1)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    return Seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    const int packets = argc > 1 ? std::atoi(argv[1]) : 1000000;
    testsupport::TempFolder folder;
    PluginHandler host;
    if (host.Load(HALYARD_PATH, "") != 1) {
        std::fprintf(stderr, "cannot load %s\n", HALYARD_PATH);
        return 1;
    }
    PacketManager store;
    if (!testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(), folder.Path().string() + "/", 20)) {
        std::fprintf(stderr, "cannot set up the store\n");
        return 1;
    }
    store.Restart(1);

    std::mt19937 random(11);
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < 4096; ++i) {
        std::vector<uint8_t> payload(20 + random() % 101);
        for (auto& b : payload)
            b = static_cast<uint8_t>(random());
        const uint8_t status = static_cast<uint8_t>((random() % 10 ? 0x80 : 0) | (random() % 128));
        records.push_back(testsupport::MakeGenericRecord(0, 0, payload, static_cast<uint8_t>(-(40 + random() % 50)),
                                                         status, host.RawLength()));
    }

    const auto addStart = Clock::now();
    long rss100k = -1;
    for (int i = 0; i < packets; ++i) {
        std::vector<uint8_t>& rec = records[i % records.size()];
        const uint64_t ticks = 32ull * 1000 * i;
        std::memcpy(rec.data() + 4, &ticks, sizeof ticks);
        if (store.AddPacket(rec.data(), 1, 10 + (rec[12] | rec[13] << 8), 0) != 1) {
            std::fprintf(stderr, "AddPacket failed at %d\n", i);
            return 1;
        }
        if (i + 1 == 100000)
            rss100k = ResidentKiB();
    }
    const double addSeconds = Seconds(addStart);
    store.Stop(1);
    const long rssAll = ResidentKiB();
    std::printf("AddPacket: %d packets in %.2f s, %.0f packets/s\n", packets, addSeconds, packets / addSeconds);
    std::printf("resident memory: %ld KiB at 100000 packets, %ld KiB at %d packets (20 MB cache)\n",
                rss100k, rssAll, packets);

    std::vector<char> fields(host.ParsedLength());
    const int rows = 40;
    double scroll = 0;
    int pages = 0;
    for (int32_t first = 1; first + rows <= std::min(packets, 20000); first += rows, ++pages)
        scroll += ServePage(store, first, rows, fields);
    std::printf("GetPacket scrolling: %d pages of %d rows, %.3f ms a page on average\n", pages, rows,
                1000 * scroll / pages);
    double jumps = 0, worst = 0;
    const int jumpCount = 20;
    for (int j = 0; j < jumpCount; ++j) {
        store.WaitForLoader(60000);
        const int32_t first = 1 + static_cast<int32_t>(random() % (packets - rows));
        const double t = ServePage(store, first, rows, fields);
        jumps += t;
        worst = std::max(worst, t);
    }
    std::printf("GetPacket after a jump: %.2f ms until a page of %d rows is served (worst %.2f ms)\n",
                1000 * jumps / jumpCount, rows, 1000 * worst);

    store.WaitForLoader(60000);
    std::unique_ptr<PacketFilter> filter(new PacketFilter(host.ParsedLength()));
    REC_FILTER condition{};
    condition.link = kFilterLinkEndLast;
    condition.fieldId = 8;
    std::strcpy(condition.values, "ERR;");
    filter->AddCondition(condition);
    const auto scanStart = Clock::now();
    store.SetFilter(filter.get());
    store.WaitForScan(600000);
    const double scanSeconds = Seconds(scanStart);
    std::printf("filter scan: %d packets in %.2f s, %.0f packets/s, %d matching\n", packets, scanSeconds,
                packets / scanSeconds, store.GetPacketCount(1));
    store.FilterOff();

    const std::string path = folder.Path().string() + "/capture.pld";
    const auto saveStart = Clock::now();
    store.SaveToFile(path);
    const double saveSeconds = Seconds(saveStart);
    std::printf("SaveToFile: %d packets in %.2f s, %.0f packets/s\n", packets, saveSeconds, packets / saveSeconds);

    PacketManager reopened;
    testsupport::SetUpStore(reopened, &host, host.RawLength(), host.ParsedLength(),
                            folder.Path().string() + "/second-", 20);
    platform::WindowMessageRecorder messages;
    const long rssBefore = ResidentKiB();
    const auto openStart = Clock::now();
    reopened.OpenFile(path, 1, true, host.ProtocolName(), 0);
    messages.WaitFor(platform::WM_FILE_READ_DONE, 600000);
    const double openSeconds = Seconds(openStart);
    std::printf("OpenFile until WM_FILE_READ_DONE: %d packets in %.2f s, %.0f packets/s; "
                "resident memory %ld KiB before, %ld KiB after\n",
                reopened.GetPacketCount(0), openSeconds, reopened.GetPacketCount(0) / openSeconds, rssBefore,
                ResidentKiB());
    reopened.DeleteFileReader();
    return 0;
}
