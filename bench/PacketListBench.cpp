// The packet list on a large store of IEEE 802.15.4 packets decoded by Tolvane, headless at
// 1920 x 1080: painting a full page, a jump to a random position until its page is whole,
// scrolling line by line and page by page, and the GUI thread's time inside the store.
//
// Usage: packet_list_bench [packets ...]   (default: 1000000 and "max", the largest store the
//        disk buffer holds; three runs of each figure, the median printed)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include <QApplication>

#include "bench/BenchClock.h"
#include "bench/WindowBenchRun.h"
#include "bench/StoreFill.h"
#include "bench/TolvaneTraffic.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "core/tables/FieldInfo.h"
#include "core/tables/PelagorTable.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"
#include "gui/views/CPacketListCtrl.h"
#include "tests/support/StoreSetUp.h"

namespace {

using benchsupport::Clock;
using benchsupport::Median;
using benchsupport::Ms;

// Paints until no row is missing; the time it took.
double PaintWhole(CPacketListCtrl& list)
{
    const auto start = Clock::now();
    list.viewport()->repaint();
    while (list.RepaintNeeded()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        list.viewport()->repaint();
    }
    return Ms(Clock::now() - start);
}

struct Figures {
    double pageMs;
    double jumpMedianMs;
    double jumpWorstMs;
    double linePagesPerSecond;
    double pagePagesPerSecond;
    double storeShare; // of the GUI thread's time in these runs
};

Figures Measure(CPacketListCtrl& list, int32_t count, std::mt19937& random)
{
    Figures figures{};
    const auto begin = Clock::now();
    const int64_t storeBefore = list.StoreTimeNs();

    list.SelectPacket(count / 2);
    PaintWhole(list);
    std::vector<double> pages;
    for (int i = 0; i < 50; ++i) {
        const auto start = Clock::now();
        list.viewport()->repaint();
        pages.push_back(Ms(Clock::now() - start));
    }
    figures.pageMs = Median(pages);

    std::vector<double> jumps;
    for (int i = 0; i < 20; ++i) {
        list.SelectPacket(static_cast<int>(random() % static_cast<uint32_t>(count)));
        jumps.push_back(PaintWhole(list));
    }
    figures.jumpMedianMs = Median(jumps);
    figures.jumpWorstMs = *std::max_element(jumps.begin(), jumps.end());

    auto scroll = [&](CPacketListCtrl::Scroll how, int steps) {
        list.VerticalScroll(CPacketListCtrl::Scroll::Thumb, static_cast<int>(random() % static_cast<uint32_t>(count / 2)));
        PaintWhole(list);
        const auto start = Clock::now();
        for (int i = 0; i < steps; ++i) {
            list.VerticalScroll(how, 0);
            PaintWhole(list);
        }
        return steps / std::chrono::duration<double>(Clock::now() - start).count();
    };
    figures.linePagesPerSecond = scroll(CPacketListCtrl::Scroll::LineDown, 500);
    figures.pagePagesPerSecond = scroll(CPacketListCtrl::Scroll::PageDown, 200);
    const double total = static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - begin).count());
    figures.storeShare = static_cast<double>(list.StoreTimeNs() - storeBefore) / total;
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    benchsupport::WindowBenchRun bench(argc, argv);
    if (!bench.Loaded())
        return 1;
    PluginHandler& host = bench.Host();

    std::vector<std::string> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.emplace_back(argv[i]);
    if (sizes.empty())
        sizes = {"1000000", "max"};

    FieldInfo fields;
    if (fields.Load(PELAGOR_PROTOCOLS_DIR "/Tolvane") != 1)
        return 1;
    const auto traffic = benchsupport::TrafficMix(20000);

    for (const std::string& size : sizes) {
        PacketManager store;
        const char* folder = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp";
        if (!testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(), folder, 20))
            return 1;
        const uint64_t limit = DiskBufferHandler::kSizeLimit / store.RecordLength();
        const int32_t count = size == "max" ? static_cast<int32_t>(limit) : std::atoi(size.c_str());
        const auto fillStart = Clock::now();
        if (!benchsupport::FillStore(store, count, traffic))
            return 1;
        std::printf("store of %d packets (%.1f GB) filled in %.1f s\n", count,
                    static_cast<double>(count) * store.RecordLength() / 1e9, Ms(Clock::now() - fillStart) / 1000);

        CPacketListCtrl list(nullptr);
        list.resize(1920, 1080);
        list.SetPacketManager(&store);
        list.SetFieldInfo(&fields);
        list.AllocFieldBuffer(host.ParsedLength());
        list.show();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        list.UpdateScrollBars();

        std::mt19937 random(7);
        std::vector<Figures> runs;
        for (int run = 0; run < 3; ++run) {
            runs.push_back(Measure(list, count, random));
            const Figures& f = runs.back();
            std::printf("  run %d: page %.2f ms, jump %.1f ms (worst %.1f), line by line %.0f pages/s, "
                        "page by page %.0f pages/s, in the store %.1f %%\n",
                        run + 1, f.pageMs, f.jumpMedianMs, f.jumpWorstMs, f.linePagesPerSecond, f.pagePagesPerSecond,
                        100 * f.storeShare);
        }
        auto median = [&](double Figures::*member) {
            std::vector<double> values;
            for (const Figures& f : runs)
                values.push_back(f.*member);
            return Median(values);
        };
        std::printf("  median: page %.2f ms, jump %.1f ms (worst %.1f), line by line %.0f pages/s, page by page "
                    "%.0f pages/s, in the store %.1f %% of the GUI thread's time\n",
                    median(&Figures::pageMs), median(&Figures::jumpMedianMs), median(&Figures::jumpWorstMs),
                    median(&Figures::linePagesPerSecond), median(&Figures::pagePagesPerSecond),
                    100 * median(&Figures::storeShare));
        std::fflush(stdout);
    }
    return 0;
}
