// Decoding allocates nothing per packet once the book knows the network: every allocation
// of the process is counted while a stream of frames goes through the loaded plug-in.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/plugin/tolvane/MacFrameBuilder.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/PluginUnderTest.h"

using testsupport::FrameBytes;
using testsupport::FrameControl;

TEST(TolvaneAllocation, DecodingAKnownNetworkAllocatesNothing)
{
    testsupport::PluginUnderTest tolvane(TOLVANE_PATH);
    const auto setAutoRegister = tolvane.Library().Function<SetAddrBookAutoRegisterFn>("SetAddrBookAutoRegister");
    const auto getPendingRec = tolvane.Library().Function<GetPendingRecFn>("GetPendingRec");
    ASSERT_NE(setAutoRegister, nullptr);
    ASSERT_NE(getPendingRec, nullptr);

    std::mt19937 random(7);
    std::vector<std::vector<uint8_t>> records;
    const FrameControl data{.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2};
    for (uint32_t i = 0; i < 256; ++i) {
        FrameBytes mac;
        if (i % 3 == 0) {
            mac.U16(FrameControl{.type = 2}.Value()).U8(static_cast<uint8_t>(i));
        } else {
            mac.U16(data.Value()).U8(static_cast<uint8_t>(i)).U16(0x1234).U16(0x0000);
            mac.U16(static_cast<uint16_t>(1 + i % 8));
            mac.U8(static_cast<uint8_t>(random() % 8)).U32(i).U8(0xC0);
            for (unsigned n = random() % 60; n > 0; --n)
                mac.U8(static_cast<uint8_t>(random()));
        }
        records.push_back(testsupport::MakeMacRecord(i + 1, i * 3200ull, mac, static_cast<uint8_t>(random()),
                                                     static_cast<uint8_t>(0x80 | random()), 160));
    }
    std::vector<char> buffer(2048);
    tolvane.setPacketLength(static_cast<int>(buffer.size()));
    tolvane.setChipType(0x6F86);
    setAutoRegister(1);
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();
    char text[65];
    ADDR_BOOK_REC rec{};
    rec.text = text;
    auto decodeAll = [&] {
        for (const auto& record : records) {
            tolvane.parsePacket(record.data(), &out, 1.0, testsupport::MacLength(record));
            while (getPendingRec(&rec) == 1) {
            }
        }
    };
    decodeAll(); // the book learns the nodes

    testsupport::CountAllocations(true);
    for (int round = 0; round < 20; ++round)
        decodeAll();
    testsupport::CountAllocations(false);
    EXPECT_EQ(testsupport::AllocationCount(), 0);
    EXPECT_EQ(out.status, PARSE_OK);
}
