// 802.15.4 decoder throughput through the loaded plug-in, as the packet store calls it.
// Run: build/release/bench/tolvane_decoder_bench  (items_per_second is packets per second)
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "bench/TolvaneTraffic.h"
#include "tests/support/PluginUnderTest.h"

namespace {

struct TolvaneBench {
    testsupport::PluginUnderTest plugin{TOLVANE_PATH};
    SetAddrBookAutoRegisterFn setAutoRegister =
        plugin.Library().Function<SetAddrBookAutoRegisterFn>("SetAddrBookAutoRegister");
    GetPendingRecFn getPendingRec = plugin.Library().Function<GetPendingRecFn>("GetPendingRec");
    RemoveAllNodesAddrBookFn removeAllNodes =
        plugin.Library().Function<RemoveAllNodesAddrBookFn>("RemoveAllNodesAddrBook");
    std::vector<std::vector<uint8_t>> records = benchsupport::TrafficMix(4096);
    std::vector<char> buffer = std::vector<char>(2048);
    PARSED_DATA out{};
    char text[128] = {};
    ADDR_BOOK_REC rec{};

    TolvaneBench()
    {
        plugin.setPacketLength(static_cast<int>(buffer.size()));
        out.fieldBuffer = buffer.data();
        rec.text = text;
    }

    void Decode(const std::vector<uint8_t>& record)
    {
        plugin.parsePacket(record.data(), &out, 1.0, testsupport::MacLength(record));
    }

    int Drain()
    {
        int drained = 0;
        while (getPendingRec(&rec) == 1)
            ++drained;
        return drained;
    }
};

TolvaneBench& Bench()
{
    static TolvaneBench bench;
    return bench;
}

void BM_TolvaneDecode(benchmark::State& state)
{
    TolvaneBench& bench = Bench();
    bench.plugin.setChipType(static_cast<int>(state.range(0)));
    bench.setAutoRegister(static_cast<int>(state.range(1)));

    size_t next = 0;
    for (auto _ : state) {
        bench.Decode(bench.records[next]);
        // The main program drains the notices a frame announces.
        if (bench.out.noticesWaiting != 0)
            bench.Drain();
        benchmark::DoNotOptimize(bench.out);
        benchmark::ClobberMemory();
        next = next + 1 == bench.records.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetLabel("packets");
}

// The same traffic while a busy window leaves notices queued: frames from that many new
// devices announce their addresses, and nobody drains them while the mix is decoded.
void BM_TolvaneDecodeNoticesWaiting(benchmark::State& state)
{
    TolvaneBench& bench = Bench();
    bench.plugin.setChipType(static_cast<int>(state.range(0)));
    bench.setAutoRegister(0);
    bench.removeAllNodes();
    bench.Drain();
    // Every address of the mix seen once, so that only the new devices' notices wait.
    for (const auto& record : bench.records)
        bench.Decode(record);
    bench.Drain();
    const testsupport::FrameControl data{.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2};
    for (int64_t i = 0; i < state.range(1); ++i) {
        testsupport::FrameBytes mac;
        mac.U16(data.Value()).U8(0).U16(benchsupport::kPan).U16(benchsupport::kCoordinator)
            .U16(static_cast<uint16_t>(0x4000 + i)).U8(0x49).U32(0).U8(0xC0).Fill(10, 0);
        bench.Decode(testsupport::MakeMacRecord(static_cast<uint32_t>(i + 2), 0, mac, 0xE0, 0x80, 160));
    }

    size_t next = 0;
    for (auto _ : state) {
        bench.Decode(bench.records[next]);
        benchmark::DoNotOptimize(bench.out);
        benchmark::ClobberMemory();
        next = next + 1 == bench.records.size() ? 0 : next + 1;
    }
    state.counters["waiting"] = bench.Drain();
    bench.removeAllNodes();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetLabel("packets");
}

} // namespace

// A default chip and one with its own RSSI offset; auto-registration off and on.
BENCHMARK(BM_TolvaneDecode)->Args({0, 0})->Args({0x6F86, 0})->Args({0x6F86, 1});
// Chip, notices left waiting.
BENCHMARK(BM_TolvaneDecodeNoticesWaiting)->Args({0x6F86, 187});

BENCHMARK_MAIN();
