// The packet store with real plug-ins and a real disk buffer: indexes, the cache window,
// the loader, the filter scan and their threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "core/host/PacketFilter.h"
#include "core/host/PluginHandler.h"
#include "core/store/NodeSink.h"
#include "core/store/PacketManager.h"
#include "core/store/ParallelFilterScan.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/WindowMessageRecorder.h"
#include "plugin/frame/ParsedFieldRec.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

using namespace std::chrono_literals;
using testsupport::MakeGenericRecord;
using testsupport::TempFolder;

namespace {

constexpr int kTimeoutMs = 10000;

// P for a cache of K = 4 packets a block: 6 MB gives 24 blocks of 262144 / (P + 76) = 4.
constexpr uint16_t kSmallBlockP = 60000;
// P for K = 100 with 1 MB (4 blocks): 262144 / (2545 + 76) = 100.
constexpr uint16_t kHundredP = 2545;

struct RecordingSink : NodeSink {
    std::vector<int32_t> nodes;
    int calls = 0;
    void AddNodes(uint32_t source, uint32_t destination) override
    {
        ++calls;
        nodes.push_back(static_cast<int32_t>(source));
        nodes.push_back(static_cast<int32_t>(destination));
    }
};

class Store {
public:
    explicit Store(uint16_t parsedLength = kSmallBlockP, uint16_t mb = 6,
                   const std::string& plugin = HALYARD_PATH)
    {
        if (plugin == HALYARD_PATH) {
            EXPECT_EQ(host.Load(plugin.c_str(), ""), 1) << host.LoadErrorText();
        } else {
            // A plug-in without description of its own: lay one out beside a link to it.
            std::string link = folder.Link("Protocols/P/p.so", plugin);
            folder.Write("Protocols/P/p.plt", "Protocol_name=P\nPacket_length_raw_data=64\nPacket_length_parsed_data=64\n");
            folder.Write("Protocols/common.plt", "[Radio_Settings]\nQZ6F1C\n");
            EXPECT_EQ(host.Load(link.c_str(), ""), 1) << host.LoadErrorText();
        }
        EXPECT_TRUE(testsupport::SetUpStore(store, &host, 271, parsedLength, folder.Path().string() + "/", mb));
    }

    // Adds count generic packets numbered by the store; payload byte 0 tells odd from even.
    void AddGeneric(int count, int firstCrcBad = 0)
    {
        for (int i = 0; i < count; ++i) {
            const int n = store.GetPacketCount(0) + 1;
            const uint8_t status = (firstCrcBad && n % 2 == 0) ? 0x05 : 0x85;
            auto rec = MakeGenericRecord(0, 32ull * 1000 * n, {static_cast<uint8_t>(n % 2), 0x41, 0x42},
                                         0xC0, status, 271);
            ASSERT_EQ(store.AddPacket(rec.data(), 1, 10 + 5, 0), 1);
        }
    }

    // Asks for packet n as a view does, once per refresh, until it is served.
    bool Serve(int32_t n, PARSED_DATA& out)
    {
        out = PARSED_DATA{};
        out.fieldBuffer = fields.data();
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kTimeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (store.GetPacket(n, 0, &out) == 1)
                return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    std::string FieldText(const PARSED_DATA& packet, int32_t id) const
    {
        ParsedFieldCursor cursor(packet.fieldBuffer, std::min<int32_t>(packet.bytesUsed, store.ParsedLength()));
        while (auto field = cursor.Next())
            if (field->fieldId == id)
                return std::string(field->text);
        return "<missing>";
    }

    TempFolder folder;
    PluginHandler host;
    PacketManager store;
    std::vector<char> fields = std::vector<char>(65535);
};

BLOCK_INFO Block(Store& s, int32_t b, bool filtered = false)
{
    BLOCK_INFO info{};
    EXPECT_TRUE(s.store.BlockOf(b, filtered, info)) << b;
    return info;
}

PacketFilter* CrcOkFilter(uint16_t parsedLength)
{
    auto* filter = new PacketFilter(parsedLength);
    REC_FILTER condition{};
    condition.link = kFilterLinkEndLast;
    condition.fieldId = 8; // CRC
    std::strcpy(condition.values, "OK;");
    filter->AddCondition(condition);
    return filter;
}

} // namespace

TEST(PacketStoreInit, RawLengthAndRecordLimits)
{
    PacketManager store;
    EXPECT_EQ(store.Init(4, 100), 0);
    EXPECT_EQ(store.RawLength(), 0);
    EXPECT_EQ(store.Init(5, 100), 1);
    EXPECT_EQ(store.RecordLength(), 5 + 80 + 100);
    EXPECT_EQ(store.Init(271, 65535 - 80 - 271), 1);
    EXPECT_EQ(store.Init(271, 65535 - 80 - 271 + 1), 0);
}

TEST(PacketStoreIndex, HundredPacketsABlock)
{
    Store s(kHundredP, 1);
    ASSERT_EQ(s.store.PacketsPerBlock(), 100);
    s.AddGeneric(99);
    EXPECT_EQ(s.store.BlockCount(false), 1);
    s.AddGeneric(1);
    ASSERT_EQ(s.store.BlockCount(false), 2);
    BLOCK_INFO b0 = Block(s, 0);
    EXPECT_EQ(b0.state, BLOCK_COMPLETE);
    EXPECT_EQ(b0.filled, 100);
    BLOCK_INFO b1 = Block(s, 1);
    EXPECT_EQ(b1.first, 101);
    EXPECT_EQ(b1.filled, 100);
    EXPECT_EQ(b1.loaded, 100);
    EXPECT_EQ(b1.last, 200);
    EXPECT_EQ(b1.state, BLOCK_NEW);
    s.AddGeneric(1);
    EXPECT_EQ(Block(s, 1).state, BLOCK_FILLING);
    EXPECT_EQ(Block(s, 1).firstStored, 101);
    s.store.Stop(1);
    EXPECT_EQ(Block(s, 1).state, BLOCK_COMPLETE);
}

TEST(PacketStoreRead, EveryPacketComesBackDecoded)
{
    Store s;
    s.AddGeneric(150);
    PARSED_DATA out;
    for (int32_t n : {1, 2, 96, 97, 150, 60, 3, 149}) {
        ASSERT_TRUE(s.Serve(n, out)) << n;
        EXPECT_EQ(out.packetNumber, static_cast<uint32_t>(n));
        EXPECT_EQ(s.FieldText(out, 0), std::to_string(n));
    }
    std::vector<uint8_t> record(s.store.RecordLength());
    ASSERT_EQ(s.store.GetParsedData(42, record.data()), 1);
    EXPECT_EQ(ReadRawPacketHeader(record.data()).packetNumber, 42u);
    EXPECT_EQ(s.store.GetParsedData(151, record.data()), 0);
}

TEST(PacketStoreWindow, PlacementAfterAFirstFill)
{
    Store s; // N = 24, K = 4
    ASSERT_EQ(s.store.Cache().BlockCount(), 24);
    ASSERT_EQ(s.store.PacketsPerBlock(), 4);
    s.AddGeneric(398); // 100 blocks, the last one not full
    s.store.Stop(1);
    ASSERT_EQ(s.store.BlockCount(false), 100);
    PARSED_DATA out;
    struct Step {
        int32_t block;
        int32_t first, last;
    };
    // The first request loads blocks 0..23; then a jump centres the window on its block.
    for (Step step : {Step{3, 0, 23}, Step{90, 76, 99}, Step{5, 0, 23}, Step{40, 28, 51}}) {
        SCOPED_TRACE(step.block);
        ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
        ASSERT_TRUE(s.Serve(step.block * 4 + 2, out));
        EXPECT_EQ(out.packetNumber, static_cast<uint32_t>(step.block * 4 + 2));
        int32_t first, last;
        s.store.Window(first, last);
        EXPECT_EQ(first, step.first);
        EXPECT_EQ(last, step.last);
    }
    // Every block of the window ends up cached.
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    for (int32_t b = 28; b <= 51; ++b) {
        ASSERT_TRUE(s.Serve(b * 4 + 1, out)) << b;
        EXPECT_EQ(out.packetNumber, static_cast<uint32_t>(b * 4 + 1));
    }
}

TEST(PacketStoreWindow, FirstRequestBeyondTheFirstBlocksIsServed)
{
    Store s;
    s.AddGeneric(400);
    s.store.Stop(1);
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(399, out));
    EXPECT_EQ(out.packetNumber, 399u);
    // With wait set the caller blocks until its packet is there.
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    out.fieldBuffer = s.fields.data();
    EXPECT_EQ(s.store.GetPacket(5, 1, &out), 1);
    EXPECT_EQ(out.packetNumber, 5u);
}

TEST(PacketStoreWindow, PrefetchForwardAndBack)
{
    Store s;
    s.AddGeneric(400);
    s.store.Stop(1);
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(1, out));
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    int32_t first, last;
    // Reaching the window's last block loads the next one into the first one's slot.
    ASSERT_TRUE(s.Serve(23 * 4 + 1, out));
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    s.store.Window(first, last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 24);
    EXPECT_EQ(Block(s, 0).state, BLOCK_COMPLETE);
    EXPECT_EQ(Block(s, 24).state, BLOCK_CACHED);
    ASSERT_TRUE(s.Serve(24 * 4 + 4, out));
    EXPECT_EQ(out.packetNumber, 100u);
    // Reaching its first block loads the one before it.
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    ASSERT_TRUE(s.Serve(1 * 4 + 1, out));
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    s.store.Window(first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 23);
    ASSERT_TRUE(s.Serve(2, out));
    EXPECT_EQ(out.packetNumber, 2u);
}

TEST(PacketStoreWindow, ForwardPrefetchWaitsForTheNextBlockDuringCapture)
{
    Store s;
    ASSERT_EQ(s.store.Restart(1), 1);
    s.AddGeneric(24 * 4 + 1); // blocks 0..23 full, block 24 filling
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(1, out));
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    int32_t first, last;
    ASSERT_TRUE(s.Serve(23 * 4 + 1, out));
    s.store.Window(first, last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 23);
    EXPECT_FALSE(s.store.LoaderRunning());

    s.AddGeneric(3); // block 24 complete
    ASSERT_EQ(Block(s, 24).state, BLOCK_COMPLETE);
    ASSERT_TRUE(s.Serve(22 * 4 + 1, out));
    ASSERT_TRUE(s.Serve(23 * 4 + 2, out));
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    s.store.Window(first, last);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 24);
    ASSERT_TRUE(s.Serve(24 * 4 + 4, out));
    EXPECT_EQ(out.packetNumber, 100u);
    s.store.Stop(1);
}

TEST(PacketStoreWindow, LoaderFollowsTheCaptureAndRefusesOtherBlocks)
{
    Store s;
    ASSERT_EQ(s.store.Restart(1), 1);
    s.AddGeneric(99 * 4 + 1); // block 99 filling
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(99 * 4 + 1, out));
    // The loader stays on the filling block while the capture runs.
    std::this_thread::sleep_for(200ms);
    ASSERT_TRUE(s.store.LoaderRunning());
    out.fieldBuffer = s.fields.data();
    EXPECT_EQ(s.store.GetPacket(1, 0, &out), 0);
    s.AddGeneric(2);
    ASSERT_TRUE(s.Serve(99 * 4 + 3, out));
    EXPECT_EQ(out.packetNumber, static_cast<uint32_t>(99 * 4 + 3));
    s.store.Stop(1);
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
}

TEST(PacketStoreWindow, BlockBeyondTheIndex)
{
    platform::MessageBoxRecorder recorder;
    Store s;
    s.AddGeneric(10);
    PARSED_DATA out{};
    out.fieldBuffer = s.fields.data();
    EXPECT_EQ(s.store.GetPacket(4 * 7 + 1, 0, &out), 0);
    EXPECT_EQ(recorder.Texts(), std::vector<std::string>{"Fatal error: Block information corrupted: Block number = 7"});
    EXPECT_EQ(s.store.GetPacket(0, 0, &out), 0);
}

TEST(PacketStoreAdd, ErrorRecordsAndCrcFailures)
{
    Store s;
    s.AddGeneric(4, /*firstCrcBad=*/1);
    EXPECT_EQ(s.store.ErrorCount(), 2);
    s.store.AddErrorRecord(1);
    s.store.AddErrorRecord(3);
    EXPECT_EQ(s.store.GetPacketCount(0), 6);
    s.store.Stop(1);
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(5, out));
    EXPECT_EQ(out.status, 1);
    EXPECT_EQ(out.infoFlags, 8);
    EXPECT_EQ(out.packetNumber, 5u);
    EXPECT_EQ(out.fieldCount, 0);
    ASSERT_TRUE(s.Serve(6, out));
    EXPECT_EQ(out.status, 3);
    EXPECT_EQ(out.infoFlags, 0);
    // The error record keeps the previous packet's time.
    PARSED_DATA previous;
    ASSERT_TRUE(s.Serve(4, previous));
    ASSERT_TRUE(s.Serve(6, out));
    EXPECT_EQ(out.time, previous.time);
}

TEST(PacketStoreAdd, BroadcastOnlyCountsButStoresNothing)
{
    Store s;
    for (int i = 0; i < 5; ++i) {
        auto rec = MakeGenericRecord(0, 0, {1, 2, 3}, 0xC0, 0x85, 271);
        ASSERT_EQ(s.store.AddPacket(rec.data(), 1, 15, 1), 1);
        EXPECT_EQ(ReadRawPacketHeader(rec.data()).packetNumber, static_cast<uint32_t>(i + 1));
    }
    EXPECT_EQ(s.store.GetPacketCount(0), 5);
    ASSERT_EQ(s.store.Disk().Flush(), 1);
    EXPECT_EQ(std::filesystem::file_size(s.store.Disk().FileName()), 0u);
    PARSED_DATA out{};
    out.fieldBuffer = s.fields.data();
    EXPECT_EQ(s.store.GetPacket(1, 0, &out), 0);
}

TEST(PacketStoreAdd, NodesAndNoticesOnlyForGoodCrc)
{
    platform::WindowMessageRecorder messages;
    Store s(64, 1, NODE_PLUGIN_PATH);
    RecordingSink sink;
    s.store.SetNodeSink(&sink);
    s.store.SetAddressBookWindow(77);
    struct Frame {
        std::vector<uint8_t> bytes; // crc, changed, src, dst, notices
    };
    for (const Frame& f : {Frame{{1, 1, 5, 6, 0}}, Frame{{0, 1, 7, 8, 1}}, Frame{{1, 0, 9, 9, 1}},
                           Frame{{1, 1, 10, 11, 1}}}) {
        std::vector<uint8_t> rec(271, 0);
        WriteRawPacketHeader(rec.data(), RAW_PACKET_REC{0, 0, static_cast<uint16_t>(f.bytes.size())});
        std::memcpy(rec.data() + 14, f.bytes.data(), f.bytes.size());
        ASSERT_EQ(s.store.AddPacket(rec.data(), 1, 0, 0), 1);
    }
    EXPECT_EQ(sink.nodes, (std::vector<int32_t>{5, 6, 10, 11}));
    EXPECT_EQ(sink.calls, 2); // one call a packet
    EXPECT_EQ(messages.Count(platform::WM_ADDRBOOK_PENDING), 2u);
    EXPECT_EQ(messages.Messages().at(0).target, 77u);
    EXPECT_EQ(s.store.ErrorCount(), 1);
}

TEST(PacketStoreAdd, RecordDeclaringMoreThanItHoldsIsReadInsideOurMemory)
{
    Store s(64, 1, NODE_PLUGIN_PATH);
    // Exactly H bytes, claiming 65535: the plug-in reads the real bytes and zeros after them.
    std::vector<uint8_t> rec(271, 1);
    WriteRawPacketHeader(rec.data(), RAW_PACKET_REC{0, 0, 65535});
    ASSERT_EQ(s.store.AddPacket(rec.data(), 1, 0, 0), 1);
    s.store.Stop(1);
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(1, out));
    EXPECT_EQ(out.rssi, 271 - 14);
}

TEST(PacketStoreFilter, ScanBuildsTheFilteredIndex)
{
    Store s;
    s.AddGeneric(200, /*firstCrcBad=*/1); // odd numbers have CRC OK
    s.store.Stop(1);
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    s.store.SetFilter(filter.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(1), 100);
    EXPECT_EQ(s.store.GetPacketCount(0), 200);
    PARSED_DATA out;
    for (int32_t n : {1, 2, 50, 99, 100, 7}) {
        ASSERT_TRUE(s.Serve(n, out)) << n;
        EXPECT_EQ(out.packetNumber, static_cast<uint32_t>(2 * n - 1));
        EXPECT_EQ(s.FieldText(out, 8), "OK");
    }
    std::vector<uint8_t> record(s.store.RecordLength());
    ASSERT_EQ(s.store.GetParsedData(10, record.data()), 1);
    EXPECT_EQ(ReadRawPacketHeader(record.data()).packetNumber, 19u);

    s.store.FilterOff();
    EXPECT_FALSE(s.store.FilterActive());
    ASSERT_TRUE(s.Serve(10, out));
    EXPECT_EQ(out.packetNumber, 10u);
}

// The last match need not be the last packet: the filtered block that holds it is cached once
// loaded, instead of going back to uncached and being loaded again at every request.
TEST(PacketStoreFilter, LastFilteredBlockIsCachedThoughItsLastMatchIsNotTheLastPacket)
{
    Store s(1280, 20); // one block holds every match, and more
    s.AddGeneric(200, /*firstCrcBad=*/1); // 199 is the last match, 200 the last packet
    ASSERT_GT(s.store.PacketsPerBlock(), 100);
    s.store.Stop(1);
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    s.store.SetFilter(filter.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    PARSED_DATA out{};
    std::vector<char> fields(s.store.ParsedLength());
    out.fieldBuffer = fields.data();
    EXPECT_EQ(s.store.GetPacket(100, 0, &out), 0); // starts the loader
    ASSERT_TRUE(s.store.WaitForLoader(kTimeoutMs));
    const int32_t last = (100 - 1) / s.store.PacketsPerBlock();
    EXPECT_EQ(Block(s, last, true).state, BLOCK_CACHED);
    ASSERT_EQ(s.store.GetPacket(100, 0, &out), 1);
    EXPECT_EQ(out.packetNumber, 199u);
    EXPECT_FALSE(s.store.LoaderRunning());
    s.store.FilterOff();
}

TEST(PacketStoreFilter, OnAnEmptyStoreTheScanWaitsForTheCapture)
{
    Store s;
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    s.store.SetFilter(filter.get());
    EXPECT_TRUE(s.store.FilterActive());
    EXPECT_FALSE(s.store.ScanRunning());
    ASSERT_EQ(s.store.Restart(1), 1);
    EXPECT_TRUE(s.store.ScanRunning());
    s.AddGeneric(21, 1);
    s.store.Stop(1);
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(1), 11);
}

// Stores of several thousand packets are scanned over the cores in chunks: the filtered
// index must come out as the packet-by-packet scan builds it, in packet order, across the
// chunks' edges and the tail after the last whole chunk.
constexpr int32_t kScanChunk = ParallelFilterScan::kChunk;

// Filtered positions m of the odd packets (CRC OK) must give packet 2m - 1.
void ExpectOddPacketsServed(Store& s, int32_t matches)
{
    ASSERT_EQ(s.store.GetPacketCount(1), matches);
    PARSED_DATA out;
    for (int32_t m : {1, kScanChunk / 2, kScanChunk / 2 + 1, kScanChunk, kScanChunk + 1, matches - 1, matches}) {
        ASSERT_TRUE(s.Serve(m, out)) << m;
        EXPECT_EQ(out.packetNumber, static_cast<uint32_t>(2 * m - 1)) << m;
    }
}

TEST(PacketStoreFilter, ScanOverTheCoresKeepsPacketOrder)
{
    Store s(1280, 20);
    constexpr int32_t kPackets = 3 * kScanChunk + 701;
    s.AddGeneric(kPackets, /*firstCrcBad=*/1);
    s.store.Stop(1);
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    platform::MessageBoxRecorder boxes;
    s.store.SetFilter(filter.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    ExpectOddPacketsServed(s, (kPackets + 1) / 2);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST(PacketStoreFilter, ScanOverTheCoresThenFollowsTheCapture)
{
    Store s(1280, 20);
    ASSERT_EQ(s.store.Restart(1), 1);
    s.AddGeneric(2 * kScanChunk + 5, 1);
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    s.store.SetFilter(filter.get());
    s.AddGeneric(kScanChunk, 1); // while the stored ones are scanned
    s.store.Stop(1);
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    ExpectOddPacketsServed(s, (3 * kScanChunk + 5 + 1) / 2);
}

TEST(PacketStoreFilter, FilterOffStopsAScanOverTheCores)
{
    Store s(1280, 20);
    s.AddGeneric(4 * kScanChunk, 1);
    s.store.Stop(1);
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    for (int round = 0; round < 3; ++round) {
        s.store.SetFilter(filter.get());
        s.store.FilterOff();
        EXPECT_FALSE(s.store.ScanRunning());
    }
    s.store.SetFilter(filter.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(1), 2 * kScanChunk);
}

// A record the file no longer holds ends the scan where the packet-by-packet scan ends it:
// every match before it is in the index, none after, and the box comes once.
TEST(PacketStoreFilter, ScanOverTheCoresEndsAtAPacketThatCannotBeRead)
{
    Store s(1280, 20);
    constexpr int32_t kPackets = 3 * kScanChunk;
    s.AddGeneric(kPackets, 1);
    s.store.Stop(1);
    ASSERT_EQ(s.store.Disk().Flush(), 1);
    constexpr int32_t kFirstLost = kScanChunk + 1001; // odd: a match
    std::filesystem::resize_file(s.store.Disk().FileName(),
                                 static_cast<uintmax_t>(kFirstLost - 1) * s.store.RecordLength() + 10);
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    platform::MessageBoxRecorder boxes;
    s.store.SetFilter(filter.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(1), (kFirstLost - 1) / 2);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{"Not able to read packet."});
    s.store.FilterOff();
}

TEST(PacketStoreLifeCycle, ResetDiscardsEverything)
{
    Store s;
    s.AddGeneric(30, 1);
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(3, out));
    s.store.Reset();
    EXPECT_EQ(s.store.GetPacketCount(0), 0);
    EXPECT_EQ(s.store.ErrorCount(), 0);
    EXPECT_EQ(s.store.BlockCount(false), 1);
    s.AddGeneric(3);
    ASSERT_TRUE(s.Serve(3, out));
    EXPECT_EQ(s.FieldText(out, 0), "3");
}

TEST(PacketStoreLifeCycle, RestartWithoutClearingKeepsThePackets)
{
    Store s;
    ASSERT_EQ(s.store.Restart(1), 1);
    s.AddGeneric(10, 1);
    s.store.Stop(1);
    PARSED_DATA out;
    ASSERT_TRUE(s.Serve(10, out));
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    s.store.SetFilter(filter.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    ASSERT_EQ(s.store.GetPacketCount(1), 5);

    // The next capture goes on after the stored packets, and the filter rescans them.
    ASSERT_EQ(s.store.Restart(0), 1);
    EXPECT_EQ(s.store.GetPacketCount(0), 10);
    s.AddGeneric(6, 1);
    s.store.Stop(1);
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(0), 16);
    EXPECT_EQ(s.store.GetPacketCount(1), 8);
    ASSERT_TRUE(s.Serve(8, out));
    EXPECT_EQ(out.packetNumber, 15u);
    s.store.FilterOff();
    ASSERT_TRUE(s.Serve(16, out));
    EXPECT_EQ(out.packetNumber, 16u);
}

TEST(PacketStoreLifeCycle, NewCacheSizeKeepsEveryPacketReachable)
{
    Store s(kHundredP, 1);
    s.AddGeneric(250);
    s.store.Stop(1);
    ASSERT_EQ(s.store.SetCacheSize(7), 1);
    const int k = s.store.PacketsPerBlock();
    ASSERT_EQ(k, 7 * 1048576 / 24 / (kHundredP + 76));
    EXPECT_EQ(s.store.BlockCount(false), (250 + k - 1) / k);
    PARSED_DATA out;
    for (int32_t n : {1, 116, 117, 250}) {
        ASSERT_TRUE(s.Serve(n, out)) << n;
        EXPECT_EQ(out.packetNumber, static_cast<uint32_t>(n));
    }
    s.AddGeneric(1);
    ASSERT_TRUE(s.Serve(251, out));
}

TEST(PacketStoreConcurrency, CaptureWhileViewsScrollJumpAndFilter)
{
    Store s;
    ASSERT_EQ(s.store.Restart(1), 1);
    std::unique_ptr<PacketFilter> filter(CrcOkFilter(s.store.ParsedLength()));
    constexpr int kPackets = 3000;
    std::thread producer([&] {
        for (int i = 0; i < kPackets; ++i) {
            const uint8_t status = (i % 3 == 0) ? 0x05 : 0x85;
            auto rec = MakeGenericRecord(0, 32ull * i, {static_cast<uint8_t>(i)}, 0xC0, status, 271);
            if (s.store.AddPacket(rec.data(), 1, 13, 0) != 1)
                return;
        }
    });
    // The GUI thread: scrolls, jumps, switches the filter, as a user would while capturing.
    PARSED_DATA out{};
    out.fieldBuffer = s.fields.data();
    for (int round = 0; round < 400; ++round) {
        const int32_t count = s.store.GetPacketCount(1);
        if (count > 0) {
            s.store.GetPacket(1 + round % count, 0, &out);
            s.store.GetPacket(count, 0, &out);
        }
        if (round % 100 == 50)
            s.store.SetFilter(filter.get());
        if (round % 100 == 90)
            s.store.FilterOff();
        std::this_thread::sleep_for(1ms);
    }
    producer.join();
    s.store.Stop(1);
    s.store.FilterOff();
    ASSERT_EQ(s.store.GetPacketCount(0), kPackets);
    PARSED_DATA packet;
    for (int32_t n = 1; n <= kPackets; ++n) {
        ASSERT_TRUE(s.Serve(n, packet)) << n;
        EXPECT_EQ(packet.packetNumber, static_cast<uint32_t>(n));
        EXPECT_EQ(s.FieldText(packet, 0), std::to_string(n));
    }
    s.store.SetFilter(filter.get());
    ASSERT_TRUE(s.store.WaitForScan(kTimeoutMs));
    EXPECT_EQ(s.store.GetPacketCount(1), kPackets - (kPackets + 2) / 3);
}
