// The time line on a large store of IEEE 802.15.4 packets decoded by Tolvane, headless at
// 1920 x 1080, with 16, 1,000 and 10,000 node rows: a full repaint, and the longest wait of a
// thread calling AddNodes in a loop while the GUI thread repaints.
//
// Usage: time_line_bench [packets]   (default 1000000; three runs of each figure, the median
//        printed)
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>

#include "bench/BenchClock.h"
#include "bench/WindowBenchRun.h"
#include "bench/StoreFill.h"
#include "bench/TolvaneTraffic.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "core/tables/PelagorTable.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"
#include "gui/views/CPacketTimeLineCtrl.h"
#include "tests/support/StoreSetUp.h"

namespace {

using benchsupport::Clock;
using benchsupport::Median;
using benchsupport::Ms;

// Repaints until every column is drawn (the store loads missing blocks meanwhile).
void PaintWhole(CPacketTimeLineCtrl& view, int32_t count)
{
    const int want = std::min<int>(count, view.FirstVisiblePacket() + view.VisiblePacketColumns());
    view.viewport()->repaint();
    while (view.PaintedUpTo() < want) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        view.viewport()->repaint();
    }
}

struct Figures {
    double repaintMs;
    double longestAddNodesWaitMs;
};

Figures Measure(CPacketTimeLineCtrl& view, int32_t count, const std::vector<uint32_t>& ids, std::mt19937& random)
{
    Figures figures{};
    view.ScrollTo(static_cast<int>(random() % static_cast<uint32_t>(std::max(1, count - 400))));
    PaintWhole(view, count);
    std::vector<double> paints;
    for (int i = 0; i < 30; ++i) {
        const auto start = Clock::now();
        view.viewport()->repaint();
        paints.push_back(Ms(Clock::now() - start));
    }
    figures.repaintMs = Median(paints);

    std::atomic<bool> stop{false};
    double longest = 0;
    std::thread worker([&] {
        size_t k = 0;
        while (!stop.load(std::memory_order_relaxed)) {
            const auto start = Clock::now();
            view.AddNodes(ids[k % ids.size()], ids[(k + 1) % ids.size()]);
            longest = std::max(longest, Ms(Clock::now() - start));
            ++k;
        }
    });
    for (int i = 0; i < 30; ++i) {
        view.viewport()->repaint();
        QCoreApplication::processEvents();
    }
    stop = true;
    worker.join();
    figures.longestAddNodesWaitMs = longest;
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    benchsupport::WindowBenchRun bench(argc, argv);
    if (!bench.Loaded())
        return 1;
    PluginHandler& host = bench.Host();
    const int32_t count = argc > 1 ? std::atoi(argv[1]) : 1000000;

    const auto traffic = benchsupport::TrafficMix(20000);

    PacketManager store;
    const char* folder = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
    if (!testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(), folder, 20))
        return 1;
    const auto fillStart = Clock::now();
    if (!benchsupport::FillStore(store, count, traffic))
        return 1;
    std::printf("store of %d packets filled in %.1f s\n", count, Ms(Clock::now() - fillStart) / 1000);

    // The nodes the traffic names come first, so the marks land in rows; then made-up ones.
    std::vector<uint32_t> trafficIds;
    {
        std::vector<char> fields(host.ParsedLength());
        PARSED_DATA packet{};
        packet.fieldBuffer = fields.data();
        for (int32_t n = 1; n <= std::min<int32_t>(count, 2000); ++n)
            if (store.GetPacket(n, 1, &packet) == 1)
                for (const int32_t id : {packet.srcNodeId, packet.dstNodeId})
                    if (id != -1 && std::find(trafficIds.begin(), trafficIds.end(), static_cast<uint32_t>(id)) ==
                                        trafficIds.end())
                        trafficIds.push_back(static_cast<uint32_t>(id));
    }

    for (const int nodes : {16, 1000, 10000}) {
        CPacketTimeLineCtrl view(nullptr);
        view.resize(1920, 1080);
        view.SetPacketManager(&store);
        view.LoadFrameDefinitions(PELAGOR_PROTOCOLS_DIR "/Tolvane");
        std::vector<uint32_t> ids(trafficIds.begin(),
                                  trafficIds.begin() + std::min<size_t>(trafficIds.size(), static_cast<size_t>(nodes)));
        for (uint32_t made = 0x00100000; ids.size() < static_cast<size_t>(nodes); ++made)
            ids.push_back(made * 2654435761u);
        for (size_t i = 0; i < ids.size(); i += 2)
            view.AddNodes(ids[i], i + 1 < ids.size() ? ids[i + 1] : CPacketTimeLineCtrl::kNone);
        view.show();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        view.UpdateScrollBars();

        std::mt19937 random(7);
        std::vector<Figures> runs;
        for (int run = 0; run < 3; ++run) {
            runs.push_back(Measure(view, count, ids, random));
            std::printf("  %5d nodes, run %d: full repaint %.2f ms, longest AddNodes wait %.3f ms\n", view.NodeCount(),
                        run + 1, runs.back().repaintMs, runs.back().longestAddNodesWaitMs);
        }
        std::vector<double> repaint;
        std::vector<double> wait;
        for (const Figures& f : runs) {
            repaint.push_back(f.repaintMs);
            wait.push_back(f.longestAddNodesWaitMs);
        }
        std::printf("  %5d nodes, median: full repaint %.2f ms (%d columns), longest AddNodes wait %.3f ms\n",
                    view.NodeCount(), Median(repaint), view.VisiblePacketColumns(), Median(wait));
        std::fflush(stdout);
    }
    return 0;
}
