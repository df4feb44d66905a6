// Every frame decoded without error notes its addresses in the plug-in's node book.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/frame/AddrBookRec.h"
#include "tests/plugin/fennet/FennetPlugins.h"
#include "tests/plugin/fennet/FennetRecord.h"

using testsupport::Decoded;
using testsupport::FennetBuild;
using testsupport::FennetPlugin;
using testsupport::HexBytes;

namespace {

struct Notice {
    uint32_t type;
    uint16_t index;
    uint32_t value;
    std::string name;
    std::string address;
    bool operator==(const Notice&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Notice& n)
{
    return os << "{" << n.type << ", " << n.index << ", " << n.value << ", " << n.name << ", "
              << n.address << "}";
}

// The address-book side of a loaded plug-in, as the main program's panel uses it.
class FennetBook : public ::testing::TestWithParam<FennetBuild> {
protected:
    void SetUp() override
    {
        auto& library = Plugin().Library();
        getPendingRec_ = library.Function<GetPendingRecFn>("GetPendingRec");
        setAutoRegister_ = library.Function<SetAddrBookAutoRegisterFn>("SetAddrBookAutoRegister");
        removeAll_ = library.Function<RemoveAllNodesAddrBookFn>("RemoveAllNodesAddrBook");
        ASSERT_NE(getPendingRec_, nullptr);
        ASSERT_NE(setAutoRegister_, nullptr);
        ASSERT_NE(removeAll_, nullptr);
        removeAll_();
        Drain();
        setAutoRegister_(0);
    }

    void TearDown() override
    {
        if (setAutoRegister_ != nullptr)
            setAutoRegister_(0);
    }

    testsupport::PluginUnderTest& Plugin() { return FennetPlugin(GetParam()); }

    std::vector<Notice> Drain()
    {
        std::vector<Notice> notices;
        char text[41];
        ADDR_BOOK_REC rec{};
        rec.text = text;
        while (getPendingRec_(&rec) == 1) {
            notices.push_back({rec.type, rec.index, rec.value, std::string(text),
                               std::string(text + 30)});
            std::memset(text, 0, sizeof text);
        }
        return notices;
    }

    Decoded DecodeFrame(int chip, const std::string& dest, const std::string& source,
                        uint8_t statusByte = 0x80, int capacity = 4096, const PARSED_DATA* before = nullptr)
    {
        std::string text = (testsupport::HasMacHeader(chip) ? "41 88 2A " : "") + dest + source +
                           "02 A5 7E 01 07 78563412 09 02 10";
        auto frame = HexBytes(text);
        frame.push_back(statusByte);
        Plugin().setChipType(chip);
        Plugin().setProtocolVersion(1);
        auto record = testsupport::MakeFennetRecord(chip, 1, 0, frame);
        return Plugin().Decode(record, testsupport::CapturedFromDevice(record), capacity, 1.0, before);
    }

    GetPendingRecFn getPendingRec_ = nullptr;
    SetAddrBookAutoRegisterFn setAutoRegister_ = nullptr;
    RemoveAllNodesAddrBookFn removeAll_ = nullptr;
};

} // namespace

TEST_P(FennetBook, AutoRegistrationMakesNodesOfBothAddresses)
{
    setAutoRegister_(1);
    Decoded d = DecodeFrame(0x6F1C, "11223344", "55667788");
    EXPECT_EQ(d.data.nodeIdsChanged, 1);
    EXPECT_EQ(d.data.dstNodeId, 0);
    EXPECT_EQ(d.data.srcNodeId, 1);
    EXPECT_NE(d.data.noticesWaiting, 0);
    // The destination is the first address: little-endian as it stands in the frame.
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 0, 0, "Auto-registered 0", "0x44332211"},
                                            {1, 1, 1, "Auto-registered 1", "0x88776655"}}));

    Decoded again = DecodeFrame(0x6F1C, "11223344", "55667788");
    EXPECT_EQ(again.data.nodeIdsChanged, 0);
    EXPECT_EQ(again.data.dstNodeId, 0);
    EXPECT_EQ(again.data.srcNodeId, 1);
    EXPECT_EQ(again.data.noticesWaiting, 0);
    EXPECT_TRUE(Drain().empty());
}

TEST_P(FennetBook, AddressesFollowThe802154Header)
{
    setAutoRegister_(1);
    Decoded d = DecodeFrame(0x6F86, "21222324", "31323334");
    EXPECT_EQ(d.data.status, PARSE_OK);
    EXPECT_EQ(d.data.nodeIdsChanged, 1);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 0, 0, "Auto-registered 0", "0x24232221"},
                                            {1, 1, 1, "Auto-registered 1", "0x34333231"}}));
}

TEST_P(FennetBook, WithoutAutoRegistrationANewAddressIsNoticedOnce)
{
    Decoded d = DecodeFrame(0x6F1C, "41424344", "51525354");
    EXPECT_EQ(d.data.nodeIdsChanged, 0);
    EXPECT_EQ(d.data.dstNodeId, -1);
    EXPECT_EQ(d.data.srcNodeId, -1);
    EXPECT_NE(d.data.noticesWaiting, 0);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x44434241"}, {4, 0, 0, "", "0x54535251"}}));

    Decoded again = DecodeFrame(0x6F1C, "41424344", "51525354");
    EXPECT_EQ(again.data.noticesWaiting, 0);
    EXPECT_TRUE(Drain().empty());
}

TEST_P(FennetBook, BadCrcRegistersNothing)
{
    setAutoRegister_(1);
    Decoded d = DecodeFrame(0x6F1C, "61626364", "71727374", 0x7F);
    EXPECT_EQ(d.data.crcOk, 0);
    EXPECT_EQ(d.data.nodeIdsChanged, 0);
    EXPECT_EQ(d.data.dstNodeId, -1);
    EXPECT_EQ(d.data.srcNodeId, -1);
    EXPECT_EQ(d.data.noticesWaiting, 0);
    EXPECT_TRUE(Drain().empty());
}

TEST_P(FennetBook, BroadcastDestinationIsNoNode)
{
    setAutoRegister_(1);
    Decoded d = DecodeFrame(0x6F1C, "FFFFFFFF", "81828384");
    EXPECT_EQ(d.data.nodeIdsChanged, 1);
    EXPECT_EQ(d.data.dstNodeId, -1);
    EXPECT_EQ(d.data.srcNodeId, 0);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 0, 0, "Auto-registered 0", "0x84838281"}}));
}

TEST_P(FennetBook, InvalidLengthLeavesBookAndCallerFieldsAlone)
{
    setAutoRegister_(1);
    PARSED_DATA before{};
    before.noticesWaiting = 5;
    before.nodeIdsChanged = 6;
    before.srcNodeId = 7;
    before.dstNodeId = 8;
    Plugin().setChipType(0x6F1C);
    auto record = testsupport::MakeLengthByteRecord(1, 0, 10, HexBytes("91929394 A1A2A3A4 02 A5 10 80"));
    Decoded d = Plugin().Decode(record, testsupport::CapturedFromDevice(record), 4096, 1.0, &before);
    EXPECT_EQ(d.data.status, PARSE_INVALID_LENGTH);
    EXPECT_EQ(d.data.noticesWaiting, 5);
    EXPECT_EQ(d.data.nodeIdsChanged, 6);
    EXPECT_EQ(d.data.srcNodeId, 7);
    EXPECT_EQ(d.data.dstNodeId, 8);
    EXPECT_TRUE(Drain().empty());
}

TEST_P(FennetBook, FullFieldBufferLeavesTheBookAlone)
{
    Decoded full = DecodeFrame(0x6F1C, "B1B2B3B4", "C1C2C3C4", 0x80, 8192);
    const int32_t needed = full.data.bytesUsed;
    removeAll_();
    Drain();

    PARSED_DATA before{};
    before.noticesWaiting = 5;
    before.nodeIdsChanged = 6;
    before.srcNodeId = 7;
    before.dstNodeId = 8;
    Decoded d = DecodeFrame(0x6F1C, "B1B2B3B4", "C1C2C3C4", 0x80, needed - 1, &before);
    EXPECT_EQ(d.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(d.data.crcOk, 1);
    // The book was not asked, so the frame names no node.
    EXPECT_EQ(d.data.noticesWaiting, 0);
    EXPECT_EQ(d.data.nodeIdsChanged, 0);
    EXPECT_EQ(d.data.srcNodeId, -1);
    EXPECT_EQ(d.data.dstNodeId, -1);
    EXPECT_TRUE(Drain().empty());

    // The addresses are still unseen: a decode with room notices them now.
    Decoded later = DecodeFrame(0x6F1C, "B1B2B3B4", "C1C2C3C4", 0x80, needed);
    EXPECT_EQ(later.data.status, PARSE_OK);
    EXPECT_EQ(Drain().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Builds, FennetBook,
                         ::testing::Values(FennetBuild::Debug, FennetBuild::Release),
                         [](const auto& info) { return testsupport::BuildName(info.param); });
