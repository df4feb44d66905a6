// The 802.15.4 address book through the loaded plug-in: registration from frames, the two
// match rules with fill-in and overwrite, duplicate removal, notices and the exports.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/plugin/tolvane/TolvaneBookUnderTest.h"
#include "tests/plugin/tolvane/TolvaneTestPlugin.h"
#include "tests/plugin/tolvane/TolvaneFrames.h"

using namespace testsupport;

namespace {

constexpr uint16_t kPan = 0x1234;
constexpr const char* kNone16 = "0xFFFF";
constexpr const char* kNone64 = "0xFFFFFFFFFFFFFFFF";

TolvaneBook& Book()
{
    static TolvaneBook book(Tolvane());
    return book;
}

std::string Hex16(uint16_t v)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", v);
    return text;
}

std::string Hex64(uint64_t v)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIX64, v);
    return text;
}

using testsupport::AssociationResponse;
using testsupport::ExtendedData;
using testsupport::ShortData;

Decoded Receive(const std::vector<uint8_t>& mac, uint8_t statusByte = 0x80, int capacity = 4096)
{
    Tolvane().setChipType(0);
    auto record = MakeMacRecord(2, 0, mac, 0xC0, statusByte);
    return Tolvane().Decode(record, MacLength(record), capacity);
}

BookEntry Node(uint16_t index, const std::string& name, const std::string& pan, const std::string& shortAddress,
               const std::string& extended)
{
    return {0, index, 0, name, pan, shortAddress, extended};
}

BookEntry Notice(uint32_t kind, uint16_t index, uint32_t id, const std::string& name, const std::string& pan,
                 const std::string& shortAddress, const std::string& extended)
{
    return {kind, index, id, name, pan, shortAddress, extended};
}

BookEntry Removed(uint16_t index, uint32_t id)
{
    return {3, index, id, "", "0x0000", "0x0000", "0x0000000000000000"};
}

BookEntry Seen(const std::string& pan, const std::string& shortAddress, const std::string& extended)
{
    return {4, 0, 0, "", pan, shortAddress, extended};
}

// Each test gets extended addresses of its own: the name memory outlives every clear.
class TolvaneBookTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static uint64_t serial = 0;
        base_ = 0x00124B0000000000ull | ++serial << 16;
        Book().Reset(true);
    }

    uint64_t Ext(int n) const { return base_ | static_cast<uint64_t>(n); }

    uint64_t base_ = 0;
};

TEST_F(TolvaneBookTest, DataFrameRegistersBothEnds)
{
    Decoded d = Receive(ShortData(kPan, 0x0002, 0x0001));
    EXPECT_EQ(d.data.nodeIdsChanged, 1);
    EXPECT_EQ(d.data.dstNodeId, 0);
    EXPECT_EQ(d.data.srcNodeId, 1);
    EXPECT_EQ(d.data.noticesWaiting, 1);
    EXPECT_EQ(Book().Nodes(), (std::vector<BookEntry>{Node(0, "Auto-registered 0", "0x1234", "0x0002", kNone64),
                                                      Node(1, "Auto-registered 1", "0x1234", "0x0001", kNone64)}));
    // The node notices carry the new PAN id and short addresses: no notice of kind 4.
    EXPECT_EQ(Book().Notices(),
              (std::vector<BookEntry>{Notice(1, 0, 0, "Auto-registered 0", "0x1234", "0x0002", kNone64),
                                      Notice(1, 1, 1, "Auto-registered 1", "0x1234", "0x0001", kNone64)}));

    Decoded again = Receive(ShortData(kPan, 0x0002, 0x0001));
    EXPECT_EQ(again.data.nodeIdsChanged, 0);
    EXPECT_EQ(again.data.dstNodeId, 0);
    EXPECT_EQ(again.data.srcNodeId, 1);
    EXPECT_EQ(again.data.noticesWaiting, 0);
    EXPECT_TRUE(Book().Notices().empty());
}

TEST_F(TolvaneBookTest, BroadcastDestinationIsNoNodeAndNoNotice)
{
    Decoded d = Receive(ShortData(kPan, 0xFFFF, 0x0001));
    EXPECT_EQ(d.data.dstNodeId, -1);
    EXPECT_EQ(d.data.srcNodeId, 0);
    EXPECT_EQ(Book().Nodes(), (std::vector<BookEntry>{Node(0, "Auto-registered 0", "0x1234", "0x0001", kNone64)}));
    EXPECT_EQ(Book().Notices(),
              (std::vector<BookEntry>{Notice(1, 0, 0, "Auto-registered 0", "0x1234", "0x0001", kNone64)}));
}

TEST_F(TolvaneBookTest, WithoutAutoRegistrationNewAddressesAreAnnouncedOnce)
{
    Book().setAutoRegister(0);
    Decoded d = Receive(ShortData(kPan, 0x0002, 0x0001));
    EXPECT_EQ(d.data.nodeIdsChanged, 0);
    EXPECT_EQ(d.data.dstNodeId, -1);
    EXPECT_EQ(d.data.srcNodeId, -1);
    EXPECT_EQ(d.data.noticesWaiting, 1);
    EXPECT_TRUE(Book().Nodes().empty());
    // The source's PAN id was the destination's, so only its short address is new.
    EXPECT_EQ(Book().Notices(),
              (std::vector<BookEntry>{Seen("0x1234", "0x0002", kNone64), Seen(kNone16, "0x0001", kNone64)}));

    EXPECT_EQ(Receive(ShortData(kPan, 0x0002, 0x0001)).data.noticesWaiting, 0);
    EXPECT_TRUE(Book().Notices().empty());

    // Clearing the book forgets what was seen.
    Book().removeAll();
    EXPECT_EQ(Receive(ShortData(kPan, 0x0002, 0x0001)).data.noticesWaiting, 1);
    EXPECT_EQ(Book().Notices().size(), 2u);
}

TEST_F(TolvaneBookTest, ExtendedSourceIsAnnouncedWithAllItsValues)
{
    Book().setAutoRegister(0);
    Receive(ExtendedData(0x00AB, 0xFFFF, Ext(1)));
    EXPECT_EQ(Book().Notices(),
              (std::vector<BookEntry>{Seen("0x00AB", kNone16, kNone64), Seen(kNone16, kNone16, Hex64(Ext(1)))}));
}

TEST_F(TolvaneBookTest, BadCrcRegistersAndNotesNothing)
{
    Decoded d = Receive(ShortData(kPan, 0x0002, 0x0001), 0x7F);
    EXPECT_EQ(d.data.crcOk, 0);
    EXPECT_EQ(d.data.nodeIdsChanged, 0);
    EXPECT_EQ(d.data.dstNodeId, -1);
    EXPECT_EQ(d.data.srcNodeId, -1);
    EXPECT_EQ(d.data.noticesWaiting, 0);
    EXPECT_TRUE(Book().Nodes().empty());
    EXPECT_TRUE(Book().Notices().empty());

    // Nothing was noted: a good copy of the frame is news.
    Book().setAutoRegister(0);
    Receive(ShortData(kPan, 0x0002, 0x0001));
    EXPECT_EQ(Book().Notices().size(), 2u);
}

TEST_F(TolvaneBookTest, BadCrcStillReportsWaitingNotices)
{
    Book().setAutoRegister(0);
    Receive(ShortData(kPan, 0x0002, 0x0001));
    EXPECT_EQ(Receive(ShortData(kPan, 0x0003, 0x0004), 0x00).data.noticesWaiting, 1);
    EXPECT_EQ(Book().Notices().size(), 2u);
}

TEST_F(TolvaneBookTest, FullFieldBufferLeavesTheBookAlone)
{
    PARSED_DATA before{};
    before.srcNodeId = 42;
    auto record = MakeMacRecord(2, 0, ShortData(kPan, 0x0002, 0x0001), 0xC0, 0x80);
    Decoded d = Tolvane().Decode(record, MacLength(record), 40, 1.0, &before);
    EXPECT_EQ(d.data.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(d.data.noticesWaiting, 0);
    EXPECT_EQ(d.data.srcNodeId, 42);
    EXPECT_TRUE(Book().Nodes().empty());
    EXPECT_TRUE(Book().Notices().empty());
}

TEST_F(TolvaneBookTest, AssociationResponseGivesAShortAddressNodeItsExtendedAddress)
{
    // A device known by its short address only...
    Receive(ShortData(kPan, 0xFFFF, 0x0042));
    // ...is the one the coordinator K gave that address to: it gains the extended address D.
    Book().Notices();
    const uint64_t device = Ext(0xD), coordinator = Ext(0xC);
    Decoded d = Receive(AssociationResponse(kPan, device, coordinator, 0x0042));
    EXPECT_EQ(d.data.nodeIdsChanged, 1);
    EXPECT_EQ(d.data.srcNodeId, 1);
    EXPECT_EQ(d.data.dstNodeId, 0);
    EXPECT_EQ(Book().Nodes(),
              (std::vector<BookEntry>{Node(0, "Auto-registered 0", "0x1234", "0x0042", Hex64(device)),
                                      Node(1, "Auto-registered 1", "0x1234", kNone16, Hex64(coordinator))}));
    EXPECT_EQ(Book().Notices(),
              (std::vector<BookEntry>{Notice(1, 1, 1, "Auto-registered 1", "0x1234", kNone16, Hex64(coordinator)),
                                      Notice(2, 0, 0, "Auto-registered 0", "0x1234", "0x0042", Hex64(device))}));
}

TEST_F(TolvaneBookTest, AssociationResponseRegistersCoordinatorAndDevice)
{
    const uint64_t device = Ext(0xD), coordinator = Ext(0xC);
    Receive(AssociationResponse(kPan, device, coordinator, 0x0007));
    EXPECT_EQ(Book().Nodes(),
              (std::vector<BookEntry>{Node(0, "Auto-registered 0", "0x1234", kNone16, Hex64(coordinator)),
                                      Node(1, "Auto-registered 1", "0x1234", "0x0007", Hex64(device))}));
}

TEST_F(TolvaneBookTest, AssociationResponseWithoutPanIdRegistersNoNode)
{
    const uint64_t device = Ext(0xD), coordinator = Ext(0xC);
    Decoded d = Receive(AssociationResponse(0xFFFF, device, coordinator, 0x0007));
    EXPECT_EQ(d.data.nodeIdsChanged, 0);
    EXPECT_EQ(d.data.noticesWaiting, 1);
    EXPECT_TRUE(Book().Nodes().empty());
    // The broadcast PAN id enters the seen set without a notice of its own.
    EXPECT_EQ(Book().Notices(),
              (std::vector<BookEntry>{Seen(kNone16, kNone16, Hex64(device)),
                                      Seen(kNone16, kNone16, Hex64(coordinator))}));
}

TEST_F(TolvaneBookTest, FilledInNodeRemovesItsLaterDuplicate)
{
    Receive(ShortData(kPan, 0xFFFF, 0x0042)); // node 0: short address only
    Receive(ExtendedData(kPan, 0xFFFF, Ext(0xE))); // node 1: extended address only
    Book().Notices();
    // The association response shows both to be one node.
    Receive(AssociationResponse(kPan, Ext(0xE), Ext(0xC), 0x0042));
    EXPECT_EQ(Book().Nodes(),
              (std::vector<BookEntry>{Node(0, "Auto-registered 0", "0x1234", "0x0042", Hex64(Ext(0xE))),
                                      Node(1, "Auto-registered 2", "0x1234", kNone16, Hex64(Ext(0xC)))}));
    EXPECT_EQ(Book().Notices(),
              (std::vector<BookEntry>{Notice(1, 2, 2, "Auto-registered 2", "0x1234", kNone16, Hex64(Ext(0xC))),
                                      Notice(2, 0, 0, "Auto-registered 0", "0x1234", "0x0042", Hex64(Ext(0xE))),
                                      Removed(1, 1)}));
}

TEST_F(TolvaneBookTest, ExtendedMatchFillsInTheShortAddress)
{
    Receive(ExtendedData(kPan, 0xFFFF, Ext(1)));
    Book().Notices();
    // The same node, now seen with its short address in an association response as device.
    Decoded d = Receive(AssociationResponse(kPan, Ext(1), Ext(0xC), 0x0099));
    EXPECT_EQ(d.data.dstNodeId, 0);
    EXPECT_EQ(Book().Nodes()[0], Node(0, "Auto-registered 0", "0x1234", "0x0099", Hex64(Ext(1))));
}

TEST_F(TolvaneBookTest, UnknownExtendedAddressMakesNoNode)
{
    Decoded d = Receive(ExtendedData(kPan, 0xFFFF, ~uint64_t{0}));
    EXPECT_EQ(d.data.srcNodeId, -1);
    EXPECT_EQ(d.data.nodeIdsChanged, 0);
    Receive(ExtendedData(kPan, 0xFFFF, ~uint64_t{0}));
    EXPECT_TRUE(Book().Nodes().empty());
}

TEST_F(TolvaneBookTest, SetNodeAdrBAddsAndOverwrites)
{
    const std::string ext = Hex64(Ext(5));
    EXPECT_EQ(Book().SetNode("Kitchen", "0x1234", "0x0005", ext), 1);
    EXPECT_EQ(Book().Notices(), (std::vector<BookEntry>{Notice(1, 0, 0, "Kitchen", "0x1234", "0x0005", ext)}));

    // By extended address: an unknown short address keeps the node's.
    EXPECT_EQ(Book().SetNode("Lamp", "0x4321", "0xFFFF", ext), 1);
    EXPECT_EQ(Book().Nodes(), (std::vector<BookEntry>{Node(0, "Lamp", "0x4321", "0x0005", ext)}));
    EXPECT_EQ(Book().Notices(), (std::vector<BookEntry>{Notice(2, 0, 0, "Lamp", "0x4321", "0x0005", ext)}));

    // By PAN id and short address: renamed, the extended address stays.
    EXPECT_EQ(Book().SetNode("Hall", "0x4321", "0x0005", kNone64), 1);
    EXPECT_EQ(Book().Nodes(), (std::vector<BookEntry>{Node(0, "Hall", "0x4321", "0x0005", ext)}));
}

TEST_F(TolvaneBookTest, NameSliceKeepsTwentyNineCharacters)
{
    Book().SetNode("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "0x0001", "0x0002", kNone64);
    EXPECT_EQ(Book().Nodes()[0].name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012");
}

TEST_F(TolvaneBookTest, AddressTextsWithoutDigitsReadAsZero)
{
    Book().SetNode("Zero", "none", "", "0x");
    EXPECT_EQ(Book().Nodes(), (std::vector<BookEntry>{Node(0, "Zero", "0x0000", "0x0000", "0x0000000000000000")}));
}

TEST_F(TolvaneBookTest, NamesGivenToExtendedAddressesOutliveAClear)
{
    const std::string named = Hex64(Ext(1));
    Book().SetNode("Thermostat", "0x1234", "0x0010", named);
    Book().SetNode("Thermostat", "0xFFFF", "0xFFFF", named); // matched by extended address: remembered
    Receive(ExtendedData(kPan, 0xFFFF, Ext(2)));              // a new node's name is not remembered
    Book().removeAll();
    Book().Notices();

    Receive(ExtendedData(kPan, 0xFFFF, Ext(2)));
    Receive(ExtendedData(kPan, 0xFFFF, Ext(1)));
    EXPECT_EQ(Book().Nodes(), (std::vector<BookEntry>{Node(0, "Auto-registered 0", "0x1234", kNone16, Hex64(Ext(2))),
                                                      Node(1, "Thermostat", "0x1234", kNone16, named)}));
}

TEST_F(TolvaneBookTest, ClearRestartsIdsAndAutomaticNames)
{
    Receive(ShortData(kPan, 0x0002, 0x0001));
    Book().removeAll();
    Book().Notices();
    Decoded d = Receive(ShortData(kPan, 0xFFFF, 0x0003));
    EXPECT_EQ(d.data.srcNodeId, 0);
    EXPECT_EQ(Book().Nodes(), (std::vector<BookEntry>{Node(0, "Auto-registered 0", "0x1234", "0x0003", kNone64)}));
}

TEST_F(TolvaneBookTest, GetNodeAdrBOutOfRangeLeavesTheRecord)
{
    Book().SetNode("One", "0x0001", "0x0001", kNone64);
    ADDR_BOOK_REC rec = Book().Record();
    rec.type = 77;
    rec.index = 88;
    std::memset(rec.text, 'q', kNodeTextSize);
    EXPECT_EQ(Book().getNodeAdrB(1, &rec), 0);
    EXPECT_EQ(Book().getNodeAdrB(-1, &rec), 0);
    EXPECT_EQ(rec.type, 77u);
    EXPECT_EQ(rec.index, 88);
    EXPECT_EQ(rec.text[0], 'q');
    EXPECT_EQ(rec.text[kNodeTextSize - 1], 'q');
    EXPECT_EQ(Book().getNodeAdrB(0, nullptr), 0);
}

TEST_F(TolvaneBookTest, GetPendingRecWithoutBufferKeepsTheNotice)
{
    Book().SetNode("One", "0x0001", "0x0001", kNone64);
    ADDR_BOOK_REC rec{};
    EXPECT_EQ(Book().getPendingRec(&rec), 0);
    EXPECT_EQ(Book().getPendingRec(nullptr), 0);
    EXPECT_EQ(Book().Notices().size(), 1u);
}

TEST_F(TolvaneBookTest, RemoveAndMoveNodes)
{
    for (const char* name : {"A", "B", "C", "D"})
        Book().SetNode(name, "0x0001", Hex16(static_cast<uint16_t>(name[0])), kNone64);
    Book().Notices();
    auto names = [] {
        std::string all;
        for (const BookEntry& node : Book().Nodes())
            all += node.name;
        return all;
    };
    EXPECT_EQ(Book().moveDown(3), 0);
    EXPECT_EQ(Book().moveDown(-1), 0);
    EXPECT_EQ(Book().moveUp(0), 0);
    EXPECT_EQ(Book().moveUp(4), 0);
    EXPECT_EQ(Book().moveDown(0), 1);
    EXPECT_EQ(names(), "BACD");
    EXPECT_EQ(Book().moveUp(3), 1);
    EXPECT_EQ(names(), "BADC");

    EXPECT_NE(Book().removeNode(-1), 0);
    EXPECT_EQ(names(), "BADC");
    EXPECT_NE(Book().removeNode(99), 0); // past the end: the last node
    EXPECT_EQ(names(), "BAD");
    EXPECT_NE(Book().removeNode(1), 0);
    EXPECT_EQ(names(), "BD");
    EXPECT_TRUE(Book().Notices().empty());
    Book().removeAll();
    EXPECT_NE(Book().removeNode(0), 0);
    EXPECT_TRUE(Book().Nodes().empty());
}

TEST_F(TolvaneBookTest, InvalidLengthLeavesTheCallersNodeFields)
{
    PARSED_DATA before{};
    before.nodeIdsChanged = 3;
    before.srcNodeId = 4;
    before.dstNodeId = 5;
    before.noticesWaiting = 6;
    auto record = MakeMacRecord(2, 0, {0x02, 0x00}, 0xC0, 0x80);
    Decoded d = Tolvane().Decode(record, 3, 4096, 1.0, &before);
    EXPECT_EQ(d.data.status, PARSE_INVALID_LENGTH);
    EXPECT_EQ(d.data.nodeIdsChanged, 3);
    EXPECT_EQ(d.data.srcNodeId, 4);
    EXPECT_EQ(d.data.dstNodeId, 5);
    EXPECT_EQ(d.data.noticesWaiting, 6);
}

TEST_F(TolvaneBookTest, SetAddrBookAutoRegisterReturnsItsArgument)
{
    EXPECT_EQ(Book().setAutoRegister(1), 1);
    EXPECT_EQ(Book().setAutoRegister(0), 0);
}

} // namespace
