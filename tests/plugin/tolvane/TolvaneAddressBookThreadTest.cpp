// The decoder thread registers frames while the panel's thread reads, edits and drains the
// book: run under ThreadSanitizer, and the book stays whole.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "tests/plugin/tolvane/TolvaneBookUnderTest.h"
#include "tests/plugin/tolvane/TolvaneTestPlugin.h"

using namespace testsupport;

namespace {

std::vector<std::vector<uint8_t>> Traffic()
{
    std::vector<std::vector<uint8_t>> records;
    const FrameControl shortData{.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 2};
    const FrameControl extendedData{.type = 1, .panIdCompression = true, .destinationMode = 2, .sourceMode = 3};
    const FrameControl association{.type = 3, .panIdCompression = true, .destinationMode = 3, .sourceMode = 3};
    for (uint32_t i = 0; i < 3000; ++i) {
        const uint16_t device = static_cast<uint16_t>(1 + i % 97);
        const uint64_t extended = 0x00124B00AA000000ull | (i % 89);
        FrameBytes mac;
        switch (i % 3) {
        case 0:
            mac.U16(shortData.Value()).U8(1).U16(0x1234).U16(0x0000).U16(device);
            break;
        case 1:
            mac.U16(extendedData.Value()).U8(1).U16(0x1234).U16(0x0000).U64(extended);
            break;
        default:
            mac.U16(association.Value()).U8(1).U16(0x1234).U64(extended).U64(0x00124B00CC000000ull).U8(2).U16(device)
                .U8(0);
            break;
        }
        records.push_back(MakeMacRecord(i + 1, i * 3200ull, mac, 0xC0, 0x80));
    }
    return records;
}

} // namespace

TEST(TolvaneBookThreads, DecoderAndPanelShareTheBook)
{
    TolvaneBook book(Tolvane());
    book.Reset(true);
    Tolvane().setPacketLength(2048);
    const auto records = Traffic();
    std::atomic<bool> done{false};

    std::thread decoder([&] {
        std::vector<char> buffer(2048);
        PARSED_DATA out{};
        out.fieldBuffer = buffer.data();
        for (int round = 0; round < 3; ++round)
            for (const auto& record : records) {
                Tolvane().parsePacket(record.data(), &out, 1.0, MacLength(record));
                EXPECT_EQ(out.status, PARSE_OK);
            }
        done = true;
    });

    // The panel's side, with a book object of its own over the same exports.
    TolvaneBook panel(Tolvane());
    int notices = 0;
    for (int step = 0; !done; ++step) {
        notices += static_cast<int>(panel.Notices().size());
        const auto nodes = panel.Nodes();
        if (step % 7 == 0)
            panel.SetNode("Named", "0x1234", "0x0005", "0xFFFFFFFFFFFFFFFF");
        if (step % 5 == 0 && !nodes.empty())
            panel.moveDown(static_cast<int>(step % nodes.size()));
        if (step % 11 == 0)
            panel.moveUp(1);
        if (step % 13 == 0)
            panel.removeNode(step);
        if (step % 101 == 0)
            panel.removeAll();
    }
    decoder.join();
    notices += static_cast<int>(panel.Notices().size());
    EXPECT_GT(notices, 0);

    // The panel's last step may have emptied the book after the decoder ended: one more pass
    // of the traffic fills it again.
    {
        std::vector<char> buffer(2048);
        PARSED_DATA out{};
        out.fieldBuffer = buffer.data();
        for (const auto& record : records)
            Tolvane().parsePacket(record.data(), &out, 1.0, MacLength(record));
    }

    // Every node reads back whole.
    const auto nodes = panel.Nodes();
    EXPECT_FALSE(nodes.empty());
    for (const BookEntry& node : nodes) {
        EXPECT_FALSE(node.name.empty());
        EXPECT_EQ(node.pan.size(), 6u);
        EXPECT_EQ(node.shortAddress.size(), 6u);
        EXPECT_EQ(node.extended.size(), 18u);
    }
}
