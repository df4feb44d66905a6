// Decoding allocates nothing per packet: every allocation of the process is counted
// while a stream of frames goes through the loaded plug-in.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/AllocationCounter.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/PluginUnderTest.h"

TEST(HalyardAllocation, DecodingAStreamAllocatesNothing)
{
    testsupport::PluginUnderTest halyard(HALYARD_PATH);
    std::mt19937 random(7);
    std::vector<std::vector<uint8_t>> records;
    for (uint32_t i = 0; i < 256; ++i) {
        std::vector<uint8_t> payload(20 + random() % 101);
        for (auto& b : payload)
            b = static_cast<uint8_t>(random());
        records.push_back(testsupport::MakeGenericRecord(i + 1, i * 3200ull, payload,
                                                         static_cast<uint8_t>(random()),
                                                         static_cast<uint8_t>(random()), 256));
    }
    std::vector<char> buffer(1024);
    halyard.setPacketLength(static_cast<int>(buffer.size()));
    halyard.setChipType(0x6F86);
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();

    testsupport::CountAllocations(true);
    for (int round = 0; round < 20; ++round)
        for (const auto& record : records)
            halyard.parsePacket(record.data(), &out, 1.0, 0);
    testsupport::CountAllocations(false);
    EXPECT_EQ(testsupport::AllocationCount(), 0);
    EXPECT_EQ(out.status, PARSE_OK);

    // The counter does see allocations.
    testsupport::CountAllocations(true);
    auto* probe = new std::vector<int>(10);
    testsupport::CountAllocations(false);
    delete probe;
    EXPECT_GE(testsupport::AllocationCount(), 1);
}
