// Decoder throughput through the loaded plug-in, as the packet store calls it.
// Run: build/release/bench/decoder_bench  (items_per_second is packets per second)
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "tests/plugin/fennet/FennetRecord.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/PluginUnderTest.h"

namespace {

// A realistic stream of generic frames: 20 to 120 byte payloads, a mix of chips' status bytes.
std::vector<std::vector<uint8_t>> GenericStream(size_t count)
{
    std::mt19937 random(2026);
    std::vector<std::vector<uint8_t>> records;
    records.reserve(count);
    uint64_t ticks = 0;
    for (size_t i = 0; i < count; ++i) {
        std::vector<uint8_t> payload(20 + random() % 101);
        for (auto& b : payload)
            b = static_cast<uint8_t>(random());
        ticks += 32 * (200 + random() % 5000);
        uint8_t rssi = static_cast<uint8_t>(-(30 + static_cast<int>(random() % 60)));
        uint8_t status = static_cast<uint8_t>((random() % 20 ? 0x80 : 0) | (random() % 128));
        records.push_back(testsupport::MakeGenericRecord(static_cast<uint32_t>(i + 1), ticks,
                                                         payload, rssi, status, 256));
    }
    return records;
}

void BM_GenericDecode(benchmark::State& state)
{
    static testsupport::PluginUnderTest halyard(HALYARD_PATH);
    const int chip = static_cast<int>(state.range(0));
    const auto records = GenericStream(4096);
    std::vector<char> buffer(1024);
    halyard.setPacketLength(static_cast<int>(buffer.size()));
    halyard.setChipType(chip);
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();

    size_t next = 0;
    for (auto _ : state) {
        const auto& record = records[next];
        halyard.parsePacket(record.data(), &out, 1.0, 10 + static_cast<int>(record[12] | record[13] << 8));
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
        next = next + 1 == records.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetLabel("packets");
}

// A realistic stream of Fennet frames: 16 nodes, every port, 0 to 60 payload bytes that a
// network-management field usually fits.
std::vector<std::vector<uint8_t>> FennetStream(size_t count, int chip)
{
    std::mt19937 random(2027);
    std::vector<std::vector<uint8_t>> records;
    records.reserve(count);
    uint64_t ticks = 0;
    for (size_t i = 0; i < count; ++i) {
        std::vector<uint8_t> frame;
        if (testsupport::HasMacHeader(chip))
            frame = {0x41, 0x88, static_cast<uint8_t>(i)};
        for (int address = 0; address < 2; ++address) {
            frame.push_back(static_cast<uint8_t>(1 + random() % 16));
            frame.insert(frame.end(), {0x22, 0x33, 0x44});
        }
        frame.push_back(static_cast<uint8_t>(random() % 8 | (random() % 4 == 0 ? 0x40 : 0)));
        frame.push_back(static_cast<uint8_t>(random()));
        frame.push_back(static_cast<uint8_t>(i));
        for (size_t n = random() % 61; n > 0; --n)
            frame.push_back(static_cast<uint8_t>(random()));
        frame.push_back(static_cast<uint8_t>(-(30 + static_cast<int>(random() % 60))));
        frame.push_back(static_cast<uint8_t>((random() % 20 ? 0x80 : 0) | (random() % 128)));
        ticks += 32 * (200 + random() % 5000);
        records.push_back(testsupport::MakeFennetRecord(chip, static_cast<uint32_t>(i + 1), ticks,
                                                        frame, 300));
    }
    return records;
}

void BM_FennetDecode(benchmark::State& state)
{
    static testsupport::PluginUnderTest fennet(FENNET_PATH);
    const int chip = static_cast<int>(state.range(0));
    const auto records = FennetStream(4096, chip);
    std::vector<char> buffer(2048);
    fennet.setPacketLength(static_cast<int>(buffer.size()));
    fennet.setChipType(chip);
    fennet.setProtocolVersion(static_cast<int>(state.range(1)));
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();

    size_t next = 0;
    for (auto _ : state) {
        const auto& record = records[next];
        fennet.parsePacket(record.data(), &out, 1.0, testsupport::CapturedFromDevice(record));
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
        next = next + 1 == records.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetLabel("packets");
}

} // namespace

// A plain chip, a half-dB chip and one that computes LQI from RSSI.
BENCHMARK(BM_GenericDecode)->Arg(0x6FB3)->Arg(0x6F1C)->Arg(0x6F86);
// {chip, protocol version}: a plain chip in versions 0 and 1, an 802.15.4 chip in version 3.
BENCHMARK(BM_FennetDecode)->Args({0x6F1C, 0})->Args({0x6F1C, 1})->Args({0x6F86, 3});

BENCHMARK_MAIN();
