// The add road allocates nothing per packet: only the block index grows, once a block.
#include <gtest/gtest.h>

#include <vector>

#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"

TEST(PacketStoreAllocation, AddingPacketsAllocatesOnlyForNewBlocks)
{
    testsupport::TempFolder folder;
    PluginHandler host;
    ASSERT_EQ(host.Load(HALYARD_PATH, ""), 1);
    PacketManager store;
    ASSERT_TRUE(testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(),
                                        folder.Path().string() + "/", 20));
    auto rec = testsupport::MakeGenericRecord(0, 0, std::vector<uint8_t>(60, 0x33), 0xC0, 0x85, host.RawLength());
    constexpr int kPackets = 20000;
    const int32_t blocksBefore = store.BlockCount(false);
    testsupport::CountAllocations(true);
    for (int i = 0; i < kPackets; ++i)
        ASSERT_EQ(store.AddPacket(rec.data(), 1, 72, 0), 1);
    testsupport::CountAllocations(false);
    const int32_t newBlocks = store.BlockCount(false) - blocksBefore;
    ASSERT_GT(newBlocks, 10);
    // The index doubles its capacity: far fewer allocations than blocks, let alone packets.
    EXPECT_LE(testsupport::AllocationCount(), newBlocks);
}
