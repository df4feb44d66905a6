// Decoding allocates nothing per packet once the frames' addresses are known to the book.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/plugin/fennet/FennetRecord.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/PluginUnderTest.h"

TEST(FennetAllocation, DecodingAStreamAllocatesNothing)
{
    testsupport::PluginUnderTest fennet(FENNETD_PATH);
    std::mt19937 random(11);
    std::vector<std::vector<uint8_t>> records;
    for (uint32_t i = 0; i < 256; ++i) {
        std::vector<uint8_t> frame = {0x11, 0x22, 0x33, static_cast<uint8_t>(i % 8),
                                      0x55, 0x66, 0x77, 0x88};
        frame.push_back(static_cast<uint8_t>(random()));  // any port and flags
        for (size_t n = 4 + random() % 60; n > 0; --n)
            frame.push_back(static_cast<uint8_t>(random()));
        records.push_back(testsupport::MakeFennetRecord(0x6F1C, i + 1, i * 3200ull, frame, 300));
    }
    std::vector<char> buffer(2048);
    fennet.setPacketLength(static_cast<int>(buffer.size()));
    fennet.setChipType(0x6F1C);
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();
    for (int version : {0, 1, 2, 3}) {
        fennet.setProtocolVersion(version);
        for (const auto& record : records)
            fennet.parsePacket(record.data(), &out, 1.0, 0);
    }

    testsupport::CountAllocations(true);
    for (int version : {0, 1, 2, 3}) {
        fennet.setProtocolVersion(version);
        for (const auto& record : records)
            fennet.parsePacket(record.data(), &out, 1.0, 0);
    }
    testsupport::CountAllocations(false);
    EXPECT_EQ(testsupport::AllocationCount(), 0);
    EXPECT_EQ(out.status, PARSE_OK);
}
