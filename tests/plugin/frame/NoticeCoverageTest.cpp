// Whether a waiting notice stands for a frame's new address, however long the queue and
// whichever notices have left it since.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plugin/frame/NodeAddressBook.h"
#include "tests/plugin/frame/AddrBookExchange.h"

using testsupport::AddrBookExchange;
using testsupport::BookAddress;
using testsupport::DrainNotices;
using testsupport::Notice;

namespace {

class NoticeCoverage : public ::testing::Test {
protected:
    void Name(const std::string& name, uint32_t address) { book_.SetNodeAdrB(exchange_.Put(name, BookAddress(address))); }

    // A frame with a bad source address (first byte 0x00), so that only first counts.
    int See(uint32_t first) { return book_.RegisterAddresses(first, 0x00, 1, false, nullptr, nullptr, nullptr); }

    std::vector<Notice> Pop(int count)
    {
        std::vector<Notice> popped;
        AddrBookExchange out;
        for (int i = 0; i < count && book_.GetPendingRec(out.Rec()) == 1; ++i)
            popped.push_back({out.Rec()->type, out.Rec()->index, out.Rec()->value, out.Name(), out.Address()});
        return popped;
    }

    std::vector<Notice> Drain()
    {
        return DrainNotices([this](ADDR_BOOK_REC* rec) { return book_.GetPendingRec(rec); });
    }

    NodeAddressBook book_;
    AddrBookExchange exchange_;
};

} // namespace

TEST_F(NoticeCoverage, ANoticeDeepInALongQueueStillCovers)
{
    for (uint32_t i = 0; i < 300; ++i)
        Name("N", 0x1000 + i);
    ASSERT_EQ(book_.PendingCount(), 300);
    EXPECT_EQ(See(0x1000 + 150), 1);
    EXPECT_EQ(See(0x5001), 1);
    const std::vector<Notice> notices = Drain();
    ASSERT_EQ(notices.size(), 301u);
    EXPECT_EQ(notices.back(), (Notice{4, 0, 0, "", "0x00005001"}));
}

TEST_F(NoticeCoverage, ANoticeThatLeftTheQueueNoLongerCovers)
{
    Name("A", 0x4411);
    Name("B", 0x4422);
    // The seen lists forget, the queue keeps its notices.
    book_.RemoveAllNodesAddrBook();
    EXPECT_EQ(Pop(1), (std::vector<Notice>{{1, 0, 0, "A", "0x00004411"}}));
    See(0x4411);
    See(0x4422);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{1, 1, 1, "B", "0x00004422"}, {4, 0, 0, "", "0x00004411"}}));
    EXPECT_EQ(book_.PendingCount(), 0);
}

TEST_F(NoticeCoverage, TwoNoticesOfOneAddressCoverUntilBothHaveLeft)
{
    Name("A", 0x4433);
    Name("Renamed", 0x4433);
    book_.RemoveAllNodesAddrBook();
    Pop(1);
    EXPECT_EQ(See(0x4433), 1);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{2, 0, 0, "Renamed", "0x00004433"}}));
    book_.RemoveAllNodesAddrBook();
    EXPECT_EQ(See(0x4433), 1);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x00004433"}}));
}

TEST_F(NoticeCoverage, AnAddressNoticeCoversTheSameAddressSeenAgainAfterAClear)
{
    EXPECT_EQ(See(0x4455), 1);
    book_.RemoveAllNodesAddrBook();
    EXPECT_EQ(See(0x4455), 1);
    EXPECT_EQ(Drain(), (std::vector<Notice>{{4, 0, 0, "", "0x00004455"}}));
}

TEST_F(NoticeCoverage, WaitingIsReportedWithoutAnythingNew)
{
    EXPECT_EQ(See(0x4466), 1);
    // Nothing new in this frame, yet a notice waits.
    EXPECT_EQ(See(0x4466), 1);
    Drain();
    EXPECT_EQ(See(0x4466), 0);
}
