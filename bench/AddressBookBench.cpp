// Draining the address-book notices of many new nodes into the panel (and the time line), as
// after a burst of traffic from a large network: the Tolvane plug-in registers each node.
//
// Usage: address_book_bench [nodes]   (default 10000; three runs, the median printed)
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>

#include "bench/BenchClock.h"
#include "bench/WindowBenchRun.h"
#include "core/host/PluginHandler.h"
#include "core/tables/AddressBook.h"
#include "core/tables/PelagorTable.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"
#include "gui/panels/CAddressBookPnl.h"
#include "gui/views/CPacketTimeLineCtrl.h"
#include "tests/plugin/tolvane/TolvaneFrames.h"

using benchsupport::Clock;
using benchsupport::Median;
using benchsupport::Ms;

int main(int argc, char** argv)
{
    benchsupport::WindowBenchRun bench(argc, argv);
    if (!bench.Loaded())
        return 1;
    PluginHandler& host = bench.Host();
    const int nodes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;

    AddressBook layout;
    if (layout.Load(PELAGOR_PROTOCOLS_DIR "/Tolvane") != 1)
        return 1;

    std::vector<double> drains;
    for (int run = 0; run < 3; ++run) {
        CPacketTimeLineCtrl timeLine(nullptr);
        CAddressBookPnl panel(nullptr);
        panel.resize(1000, 190);
        panel.SetPluginHandler(&host);
        panel.SetTimeLine(&timeLine);
        panel.CreateEntryControls(&layout, host.HasAutoRegister());
        host.SetAddrBookAutoRegister(1);
        panel.ClearAll();

        // Each frame comes from a device of its own.
        std::vector<char> fields(host.ParsedLength());
        PARSED_DATA parsed{};
        parsed.fieldBuffer = fields.data();
        for (int i = 0; i < nodes; ++i) {
            const auto mac = testsupport::ShortData(0x1234, 0x0000, static_cast<uint16_t>(0x0100 + i));
            const auto record = testsupport::MakeMacRecord(static_cast<uint32_t>(i + 1), 1000u * i, mac, 0xD0, 0x80, 160);
            host.ParsePacket(record.data(), &parsed, 1.0, record[12] | record[13] << 8);
        }
        const auto start = Clock::now();
        panel.ReadPendingRecords();
        drains.push_back(Ms(Clock::now() - start));
        std::printf("run %d: %d notices drained into %d rows in %.1f ms\n", run + 1, nodes, panel.RowCount(),
                    drains.back());
    }
    std::printf("median: %.1f ms for %d nodes\n", Median(drains), nodes);
    return 0;
}
