// The node book's rules on a book of its own per test: registration from frames, the name
// memory, the seen-address lists and the notices they raise.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/frame/NodeAddressBook.h"
#include "tests/plugin/frame/AddrBookExchange.h"

using testsupport::AddrBookExchange;
using testsupport::BookAddress;
using testsupport::DrainNotices;
using testsupport::Notice;

namespace {

constexpr bool kAutoOn = true;
constexpr bool kAutoOff = false;

struct Registration {
    int waiting;
    int32_t changed;
    int32_t source;
    int32_t destination;
    bool operator==(const Registration&) const = default;
};

void PrintTo(const Registration& r, std::ostream* os)
{
    *os << "{waiting " << r.waiting << ", changed " << r.changed << ", src " << r.source << ", dst "
        << r.destination << "}";
}

class NodeBook : public ::testing::Test {
protected:
    Registration Register(uint32_t first, uint32_t second, bool autoRegister, int crcOk = 1)
    {
        // Poisoned so that a field left unwritten shows.
        Registration r{-7, -7, -7, -7};
        r.waiting = book_.RegisterAddresses(first, second, crcOk, autoRegister, &r.changed, &r.source, &r.destination);
        return r;
    }
    int Set(const std::string& name, uint32_t address)
    {
        return book_.SetNodeAdrB(exchange_.Put(name, BookAddress(address)));
    }
    std::vector<Notice> Drain()
    {
        return DrainNotices([this](ADDR_BOOK_REC* rec) { return book_.GetPendingRec(rec); });
    }
    // The book as "name@address" in display order.
    std::vector<std::string> Nodes()
    {
        std::vector<std::string> nodes;
        AddrBookExchange out;
        for (int i = 0; book_.GetNodeAdrB(i, out.Rec()) == 1; ++i)
            nodes.push_back(out.Name() + "@" + out.Address());
        return nodes;
    }

    NodeAddressBook book_;
    AddrBookExchange exchange_;
};

TEST_F(NodeBook, SameAddressTwiceIsOneNodeAddedThenRenamed)
{
    EXPECT_EQ(Set("Alpha", 0xABCD), 1);
    // The address slice is read as hexadecimal, whatever its case.
    EXPECT_EQ(book_.SetNodeAdrB(exchange_.Put("Beta", "0x0000abcd")), 1);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 0, 0, "Alpha", "0x0000ABCD"}, {2, 0, 0, "Beta", "0x0000ABCD"}}));
    EXPECT_EQ(Nodes(), std::vector<std::string>{"Beta@0x0000ABCD"});

    // The rename reached the name memory: after a clear the address comes back as "Beta".
    book_.RemoveAllNodesAddrBook();
    EXPECT_EQ(Register(0xABCD, 0x0000, kAutoOn), (Registration{1, 1, -1, 0}));
    EXPECT_EQ(Drain(), std::vector<Notice>{(Notice{1, 0, 0, "Beta", "0x0000ABCD"})});
}

TEST_F(NodeBook, AutoRegistrationRestoresARememberedNameAndNumbersTheRest)
{
    Set("Gate", 0x1234);
    book_.RemoveAllNodesAddrBook();
    Drain();
    // First address -> destination id, second -> source id. The kind-1 notices cover the two
    // new addresses, so no kind-4 notice follows.
    EXPECT_EQ(Register(0x1234, 0x5678, kAutoOn), (Registration{1, 1, 1, 0}));
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 0, 0, "Gate", "0x00001234"},
                                            {1, 1, 1, "Auto-registered 1", "0x00005678"}}));
}

TEST_F(NodeBook, AutoRegisteredNumbersCountFromZeroAfterEachClear)
{
    Register(0x11, 0x22, kAutoOn);
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Auto-registered 0@0x00000011", "Auto-registered 1@0x00000022"}));
    book_.RemoveAllNodesAddrBook();
    Drain();
    EXPECT_EQ(Register(0x33, 0x44, kAutoOn), (Registration{1, 1, 1, 0}));
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 0, 0, "Auto-registered 0", "0x00000033"},
                                            {1, 1, 1, "Auto-registered 1", "0x00000044"}}));
    // The numbers given before the clear stay remembered for their addresses.
    Register(0x22, 0x55, kAutoOn);
    EXPECT_EQ(Nodes()[2], "Auto-registered 1@0x00000022");
    EXPECT_EQ(Nodes()[3], "Auto-registered 3@0x00000055");
}

TEST_F(NodeBook, KnownAddressesGiveTheirIdsAndAreNeverRenamedByFrames)
{
    Set("Hub", 0x77);
    Set("Leaf", 0x88);
    Drain();
    // Named by hand, the addresses are still new on air, and no waiting notice covers them.
    EXPECT_EQ(Register(0x88, 0x77, kAutoOn), (Registration{1, 0, 0, 1}));
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x00000088"}, {4, 0, 0, "", "0x00000077"}}));
    EXPECT_EQ(Nodes(), (std::vector<std::string>{"Hub@0x00000077", "Leaf@0x00000088"}));
    // Auto-registration off: the frame is only noted, its ids stay "none".
    EXPECT_EQ(Register(0x88, 0x77, kAutoOff), (Registration{0, 0, -1, -1}));
}

TEST_F(NodeBook, FrameWithBadCrcChangesNothing)
{
    EXPECT_EQ(Register(0x11, 0x22, kAutoOn, 0), (Registration{0, 0, -1, -1}));
    EXPECT_EQ(book_.NodeCount(), 0);
    // Notices already waiting are reported, and none is added.
    Set("Old", 0x99);
    EXPECT_EQ(Register(0x11, 0x22, kAutoOn, 0), (Registration{1, 0, -1, -1}));
    EXPECT_EQ(book_.PendingCount(), 1);
    Drain();
    // The bad frame did not note its addresses: they are still new.
    EXPECT_EQ(Register(0x11, 0x22, kAutoOff), (Registration{1, 0, -1, -1}));
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x00000011"}, {4, 0, 0, "", "0x00000022"}}));
}

TEST_F(NodeBook, NewAddressIsNoticedOncePerPositionUntilTheBookIsCleared)
{
    EXPECT_EQ(Register(0x11, 0x22, kAutoOff), (Registration{1, 0, -1, -1}));
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x00000011"}, {4, 0, 0, "", "0x00000022"}}));
    EXPECT_EQ(Register(0x11, 0x22, kAutoOff).waiting, 0);
    // Each position keeps its own list.
    Register(0x22, 0x11, kAutoOff);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x00000022"}, {4, 0, 0, "", "0x00000011"}}));
    EXPECT_EQ(Register(0x22, 0x11, kAutoOff).waiting, 0);
    EXPECT_EQ(book_.NodeCount(), 0);

    book_.RemoveAllNodesAddrBook();
    Register(0x11, 0x33, kAutoOff);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x00000011"}, {4, 0, 0, "", "0x00000033"}}));
}

TEST_F(NodeBook, WaitingNoticeAboutAnAddressStandsForItsKind4Notice)
{
    Set("Named", 0x44);
    EXPECT_EQ(Register(0x44, 0x45, kAutoOff), (Registration{1, 0, -1, -1}));
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 0, 0, "Named", "0x00000044"}, {4, 0, 0, "", "0x00000045"}}));
    // Seen once, whether noticed or covered: never again.
    EXPECT_EQ(Register(0x44, 0x45, kAutoOff).waiting, 0);
}

TEST_F(NodeBook, FrameFromANodeToItselfIsOneNewAddress)
{
    Register(0x66, 0x66, kAutoOff);
    EXPECT_EQ(Drain(), std::vector<Notice>{(Notice{4, 0, 0, "", "0x00000066"})});
    book_.RemoveAllNodesAddrBook();
    EXPECT_EQ(Register(0x66, 0x66, kAutoOn), (Registration{1, 1, 0, 0}));
    EXPECT_EQ(Drain(), std::vector<Notice>{(Notice{1, 0, 0, "Auto-registered 0", "0x00000066"})});
}

struct FirstByteCase {
    const char* label;
    uint32_t address;
    bool counts;
};

void PrintTo(const FirstByteCase& c, std::ostream* os)
{
    *os << c.label;
}

class NodeBookFirstByte : public NodeBook, public ::testing::WithParamInterface<FirstByteCase> {};

TEST_P(NodeBookFirstByte, OnlyAddressesWhoseFirstByteIsNeither00NorFFCount)
{
    const FirstByteCase& c = GetParam();
    Registration r = Register(c.address, c.address, kAutoOn);
    EXPECT_EQ(book_.NodeCount(), c.counts ? 1 : 0);
    EXPECT_EQ(r, c.counts ? (Registration{1, 1, 0, 0}) : (Registration{0, 0, -1, -1}));
    // Not even noted: with registration off it raises no kind-4 notice either.
    book_.RemoveAllNodesAddrBook();
    Drain();
    EXPECT_EQ(Register(c.address, c.address, kAutoOff).waiting, c.counts ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, NodeBookFirstByte,
    ::testing::Values(FirstByteCase{"zero", 0x00000000, false}, FirstByteCase{"all_ones", 0xFFFFFFFF, false},
                      FirstByteCase{"low_00_high_set", 0x12345600, false},
                      FirstByteCase{"low_FF_high_clear", 0x000000FF, false},
                      FirstByteCase{"low_01", 0xFFFFFF01, true}, FirstByteCase{"low_FE", 0x000000FE, true},
                      FirstByteCase{"low_80", 0x00FF0080, true}),
    [](const ::testing::TestParamInfo<FirstByteCase>& info) { return std::string(info.param.label); });

TEST_F(NodeBook, NamesAreCutToTheNameSliceAndAFullAddressSliceIsReadWithinIt)
{
    const std::string thirty(30, 'N');
    // 30 name characters and 11 address characters: neither slice holds a NUL.
    EXPECT_EQ(book_.SetNodeAdrB(exchange_.Put(thirty, "0x00C0FFEE1")), 1);
    std::vector<Notice> notices = Drain();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].name, thirty);
    EXPECT_EQ(Nodes(), std::vector<std::string>{thirty + "@0x0C0FFEE1"});
}

TEST_F(NodeBook, AddressTextWithoutDigitsIsAddressZero)
{
    EXPECT_EQ(book_.SetNodeAdrB(exchange_.Put("Nameless", "none")), 1);
    EXPECT_EQ(Nodes(), std::vector<std::string>{"Nameless@0x00000000"});
}

TEST(NodeBookCapacity, FullBookAddsNoNodeButStillNotesNewAddresses)
{
    NodeAddressBook book(2);
    AddrBookExchange exchange;
    EXPECT_EQ(book.SetNodeAdrB(exchange.Put("A", "0x00000001")), 1);
    EXPECT_EQ(book.SetNodeAdrB(exchange.Put("B", "0x00000002")), 1);
    EXPECT_EQ(book.SetNodeAdrB(exchange.Put("C", "0x00000003")), 0);
    // Renaming still works in a full book.
    EXPECT_EQ(book.SetNodeAdrB(exchange.Put("B2", "0x00000002")), 1);
    DrainNotices([&](ADDR_BOOK_REC* rec) { return book.GetPendingRec(rec); });

    int32_t changed = -7, source = -7, destination = -7;
    EXPECT_EQ(book.RegisterAddresses(0x01, 0x03, 1, true, &changed, &source, &destination), 1);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(destination, 0);
    EXPECT_EQ(source, -1);
    EXPECT_EQ(book.NodeCount(), 2);
    std::vector<Notice> notices = DrainNotices([&](ADDR_BOOK_REC* rec) { return book.GetPendingRec(rec); });
    EXPECT_EQ(notices, (std::vector<Notice>{{4, 0, 0, "", "0x00000001"}, {4, 0, 0, "", "0x00000003"}}));
}

TEST(NodeBookRegistration, OutPointersMayBeNull)
{
    NodeAddressBook book;
    EXPECT_EQ(book.RegisterAddresses(0x10, 0x20, 1, true, nullptr, nullptr, nullptr), 1);
    EXPECT_EQ(book.NodeCount(), 2);
}

} // namespace
