// 802.15.4 decoder throughput through the loaded plug-in, as the packet store calls it.
// Run: build/release/bench/tolvane_decoder_bench  (items_per_second is packets per second)
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/TolvaneTraffic.h"
#include "tests/support/PluginUnderTest.h"

namespace {

void BM_TolvaneDecode(benchmark::State& state)
{
    static testsupport::PluginUnderTest tolvane(TOLVANE_PATH);
    static const auto setAutoRegister =
        tolvane.Library().Function<SetAddrBookAutoRegisterFn>("SetAddrBookAutoRegister");
    static const auto getPendingRec = tolvane.Library().Function<GetPendingRecFn>("GetPendingRec");
    const auto records = benchsupport::TrafficMix(4096);
    std::vector<char> buffer(2048);
    tolvane.setPacketLength(static_cast<int>(buffer.size()));
    tolvane.setChipType(static_cast<int>(state.range(0)));
    setAutoRegister(static_cast<int>(state.range(1)));
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();
    char text[128];
    ADDR_BOOK_REC rec{};
    rec.text = text;

    size_t next = 0;
    for (auto _ : state) {
        const auto& record = records[next];
        tolvane.parsePacket(record.data(), &out, 1.0, testsupport::MacLength(record));
        // The main program drains the notices a frame announces.
        if (out.noticesWaiting != 0)
            while (getPendingRec(&rec) == 1) {
            }
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
        next = next + 1 == records.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetLabel("packets");
}

} // namespace

// A default chip and one with its own RSSI offset; auto-registration off and on.
BENCHMARK(BM_TolvaneDecode)->Args({0, 0})->Args({0x6F86, 0})->Args({0x6F86, 1});

BENCHMARK_MAIN();
