// Which waiting notices stand for a frame's new values in the 802.15.4 book: PAN ids, short
// and extended addresses each by their own kind, whatever kind of notice carries them.
#include <gtest/gtest.h>

#include <vector>

#include "tests/plugin/tolvane/TolvaneBookUnderTest.h"
#include "tests/plugin/tolvane/TolvaneFrames.h"
#include "tests/plugin/tolvane/TolvaneTestPlugin.h"

using namespace testsupport;

namespace {

constexpr const char* kNone16 = "0xFFFF";
constexpr const char* kNone64 = "0xFFFFFFFFFFFFFFFF";

class TolvaneNoticeCoverage : public ::testing::Test {
protected:
    void SetUp() override { book_.Reset(false); }
    void TearDown() override { book_.Reset(true); }

    void Receive(const std::vector<uint8_t>& mac)
    {
        Tolvane().setChipType(0);
        auto record = MakeMacRecord(2, 0, mac, 0xC0, 0x80);
        Tolvane().Decode(record, MacLength(record));
    }

    TolvaneBook book_{Tolvane()};
};

BookEntry Seen(const char* pan, const char* shortAddress, const char* extended)
{
    return {4, 0, 0, "", pan, shortAddress, extended};
}

} // namespace

TEST_F(TolvaneNoticeCoverage, AValueIsCoveredOnlyByAValueOfItsKind)
{
    ASSERT_EQ(book_.SetNode("Named", "0x7777", "0x0009", kNone64), 1);
    // The seen values are forgotten, the notice keeps waiting.
    book_.removeAll();
    // The destination is the named node; the source's short address equals the named PAN id.
    Receive(ShortData(0x7777, 0x0009, 0x7777));
    EXPECT_EQ(book_.Notices(), (std::vector<BookEntry>{{1, 0, 0, "Named", "0x7777", "0x0009", kNone64},
                                                       Seen(kNone16, "0x7777", kNone64)}));
}

TEST_F(TolvaneNoticeCoverage, ANoticeDeepInALongQueueStillCovers)
{
    for (int i = 0; i < 200; ++i)
        Receive(ShortData(0x2222, 0xFFFF, static_cast<uint16_t>(0x0100 + i)));
    book_.removeAll();
    Receive(ShortData(0x2222, 0xFFFF, 0x0100 + 150));
    Receive(ShortData(0x2222, 0xFFFF, 0x0500));
    // The first frame announced the PAN id as well.
    const std::vector<BookEntry> notices = book_.Notices();
    ASSERT_EQ(notices.size(), 202u);
    EXPECT_EQ(notices.back(), Seen(kNone16, "0x0500", kNone64));
}

TEST_F(TolvaneNoticeCoverage, ANoticeThatLeftTheQueueNoLongerCovers)
{
    Receive(ShortData(0x3333, 0xFFFF, 0x0031));
    book_.removeAll();
    // The PAN id's notice leaves, the short address's stays.
    ADDR_BOOK_REC rec = book_.Record();
    ASSERT_EQ(book_.getPendingRec(&rec), 1);
    EXPECT_EQ(TolvaneBook::Read(rec), Seen("0x3333", kNone16, kNone64));
    Receive(ShortData(0x3333, 0xFFFF, 0x0031));
    EXPECT_EQ(book_.Notices(),
              (std::vector<BookEntry>{Seen(kNone16, "0x0031", kNone64), Seen("0x3333", kNone16, kNone64)}));
}

TEST_F(TolvaneNoticeCoverage, ARemovalNoticeCarriesZeroAddresses)
{
    book_.setAutoRegister(1);
    Receive(ShortData(0x1234, 0xFFFF, 0x0042));
    Receive(ExtendedData(0x1234, 0xFFFF, 0x00124B00000000E1ull));
    book_.Notices();
    // Both turn out to be one node: the later one is removed, and its notice waits.
    Receive(AssociationResponse(0x1234, 0x00124B00000000E1ull, 0x00124B00000000C1ull, 0x0042));
    book_.setAutoRegister(0);
    book_.removeAll();
    Receive(ShortData(0x0000, 0x0000, 0x0051));
    // Added, changed, removed: the frame's PAN id and short address 0x0000 are covered.
    const std::vector<BookEntry> notices = book_.Notices();
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(notices[2].type, 3u);
    EXPECT_EQ(notices[3], Seen(kNone16, "0x0051", kNone64));
}
