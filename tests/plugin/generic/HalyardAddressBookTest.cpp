// Halyard's address book through its exports, each test on a freshly loaded copy of the
// built plug-in so that it starts from the state of a library just loaded.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "plugin/frame/PluginExports.h"
#include "tests/plugin/frame/AddrBookExchange.h"
#include "tests/support/GenericRecord.h"
#include "tests/support/TempFolder.h"

using testsupport::AddrBookExchange;
using testsupport::DrainNotices;
using testsupport::Notice;
using testsupport::TempFolder;

namespace {

// A private copy of Halyard.so: a second dlopen of the same file would share the state.
class FreshHalyard {
public:
    FreshHalyard()
    {
        std::string copy = folder_ / "Halyard.so";
        std::filesystem::copy_file(HALYARD_PATH, copy);
        if (!library_.Load(copy))
            throw std::runtime_error(library_.ErrorText());
        Bind(parsePacket, "ParsePacket");
        Bind(setPacketLength, "SetPacketLength");
        Bind(getPendingRec, "GetPendingRec");
        Bind(setAddrBookAutoRegister, "SetAddrBookAutoRegister");
        Bind(getNodeAdrB, "GetNodeAdrB");
        Bind(setNodeAdrB, "SetNodeAdrB");
        Bind(removeAllNodesAddrBook, "RemoveAllNodesAddrBook");
        Bind(removeNodeAdrB, "RemoveNodeAdrB");
        Bind(moveNodeDownAdrB, "MoveNodeDownAdrB");
        Bind(moveNodeUpAdrB, "MoveNodeUpAdrB");
    }

    int Add(const std::string& name, const std::string& address)
    {
        return setNodeAdrB(exchange_.Put(name, address));
    }
    std::vector<Notice> Drain() { return DrainNotices(getPendingRec); }
    // The book's names in display order.
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        AddrBookExchange out;
        for (int i = 0; getNodeAdrB(i, out.Rec()) == 1; ++i)
            names.push_back(out.Name());
        return names;
    }

    ParsePacketFn parsePacket = nullptr;
    SetPacketLengthFn setPacketLength = nullptr;
    GetPendingRecFn getPendingRec = nullptr;
    SetAddrBookAutoRegisterFn setAddrBookAutoRegister = nullptr;
    GetNodeAdrBFn getNodeAdrB = nullptr;
    SetNodeAdrBFn setNodeAdrB = nullptr;
    RemoveAllNodesAddrBookFn removeAllNodesAddrBook = nullptr;
    RemoveNodeAdrBFn removeNodeAdrB = nullptr;
    MoveNodeDownAdrBFn moveNodeDownAdrB = nullptr;
    MoveNodeUpAdrBFn moveNodeUpAdrB = nullptr;

private:
    template <typename Fn>
    void Bind(Fn& entry, const char* name)
    {
        entry = library_.Function<Fn>(name);
        if (entry == nullptr)
            throw std::runtime_error(std::string("missing export ") + name);
    }

    TempFolder folder_;
    platform::DynamicLibrary library_;
    AddrBookExchange exchange_;
};

class HalyardBook : public ::testing::Test {
protected:
    FreshHalyard halyard_;
};

TEST_F(HalyardBook, SameAddressTwiceIsOneNodeAddedThenRenamed)
{
    EXPECT_EQ(halyard_.Add("Sensor", "0x0000BEEF"), 1);
    EXPECT_EQ(halyard_.Add("Probe", "0x0000BEEF"), 1);
    EXPECT_EQ(halyard_.Drain(), (std::vector<Notice>{{1, 0, 0, "Sensor", "0x0000BEEF"},
                                                     {2, 0, 0, "Probe", "0x0000BEEF"}}));
    EXPECT_EQ(halyard_.Names(), std::vector<std::string>{"Probe"});
}

TEST_F(HalyardBook, GetNodeAdrBWritesTypeIndexAndTextButNotTheValue)
{
    halyard_.Add("A", "0x00000011");
    halyard_.Add("B", "0x00000022");
    AddrBookExchange out;
    out.Rec()->type = 9;
    out.Rec()->value = 77;
    ASSERT_EQ(halyard_.getNodeAdrB(1, out.Rec()), 1);
    EXPECT_EQ(out.Rec()->type, 0u);
    EXPECT_EQ(out.Rec()->index, 1);
    EXPECT_EQ(out.Rec()->value, 77u);
    EXPECT_EQ(out.Name(), "B");
    EXPECT_EQ(out.Address(), "0x00000022");

    // Index equal to the count: refused, the record untouched.
    AddrBookExchange untouched;
    untouched.Put("keep", "this");
    untouched.Rec()->type = 5;
    untouched.Rec()->index = 3;
    std::vector<char> before = untouched.Bytes();
    EXPECT_EQ(halyard_.getNodeAdrB(2, untouched.Rec()), 0);
    EXPECT_EQ(untouched.Bytes(), before);
    EXPECT_EQ(untouched.Rec()->type, 5u);
    EXPECT_EQ(untouched.Rec()->index, 3);
}

TEST_F(HalyardBook, ClearKeepsTheQueueAndRestartsIds)
{
    halyard_.Add("A", "0x00000011");
    halyard_.Add("B", "0x00000022");
    EXPECT_NE(halyard_.removeAllNodesAddrBook(), 0);
    EXPECT_TRUE(halyard_.Names().empty());
    EXPECT_EQ(halyard_.Drain().size(), 2u);
    halyard_.Add("C", "0x00000033");
    EXPECT_EQ(halyard_.Drain(), std::vector<Notice>{(Notice{1, 0, 0, "C", "0x00000033"})});
}

TEST_F(HalyardBook, ParsePacketNeverRegistersAddresses)
{
    EXPECT_EQ(halyard_.setAddrBookAutoRegister(1), 1);
    std::vector<char> fields(4096);
    halyard_.setPacketLength(static_cast<int>(fields.size()));
    auto record = testsupport::MakeGenericRecord(1, 1000, {0x11, 0x22, 0x33, 0x44, 0x55}, 0xD8, 0x80, 64);
    PARSED_DATA out{};
    out.noticesWaiting = 9;
    out.fieldBuffer = fields.data();
    EXPECT_EQ(halyard_.parsePacket(record.data(), &out, 1.0, 0), 1);
    EXPECT_EQ(out.noticesWaiting, 0);
    EXPECT_TRUE(halyard_.Names().empty());
    EXPECT_TRUE(halyard_.Drain().empty());
}

// A move or remove on the book A, B, C: its result and the order after it.
struct EditCase {
    const char* label;
    std::function<int(FreshHalyard&)> edit;
    int result; // -1: any nonzero
    std::vector<std::string> order;
};

void PrintTo(const EditCase& c, std::ostream* os)
{
    *os << c.label;
}

class HalyardBookEdits : public HalyardBook, public ::testing::WithParamInterface<EditCase> {};

TEST_P(HalyardBookEdits, ResultAndOrder)
{
    const EditCase& c = GetParam();
    halyard_.Add("A", "0x00000011");
    halyard_.Add("B", "0x00000022");
    halyard_.Add("C", "0x00000033");
    halyard_.Drain();
    int result = c.edit(halyard_);
    if (c.result < 0)
        EXPECT_NE(result, 0);
    else
        EXPECT_EQ(result, c.result);
    EXPECT_EQ(halyard_.Names(), c.order);
    // Moves and removes are the panel's own doing: no notice tells it back.
    EXPECT_TRUE(halyard_.Drain().empty());
}

using Order = std::vector<std::string>;
const Order kUnchanged = {"A", "B", "C"};

INSTANTIATE_TEST_SUITE_P(
    MoveAndRemove, HalyardBookEdits,
    ::testing::Values(
        EditCase{"down_first", [](FreshHalyard& h) { return h.moveNodeDownAdrB(0); }, 1, {"B", "A", "C"}},
        EditCase{"down_middle", [](FreshHalyard& h) { return h.moveNodeDownAdrB(1); }, 1, {"A", "C", "B"}},
        EditCase{"down_last", [](FreshHalyard& h) { return h.moveNodeDownAdrB(2); }, 0, kUnchanged},
        EditCase{"down_past_end", [](FreshHalyard& h) { return h.moveNodeDownAdrB(3); }, 0, kUnchanged},
        EditCase{"down_negative", [](FreshHalyard& h) { return h.moveNodeDownAdrB(-1); }, 0, kUnchanged},
        EditCase{"up_first", [](FreshHalyard& h) { return h.moveNodeUpAdrB(0); }, 0, kUnchanged},
        EditCase{"up_last", [](FreshHalyard& h) { return h.moveNodeUpAdrB(2); }, 1, {"A", "C", "B"}},
        EditCase{"up_past_end", [](FreshHalyard& h) { return h.moveNodeUpAdrB(3); }, 0, kUnchanged},
        EditCase{"up_negative", [](FreshHalyard& h) { return h.moveNodeUpAdrB(-5); }, 0, kUnchanged},
        EditCase{"remove_first", [](FreshHalyard& h) { return h.removeNodeAdrB(0); }, -1, {"B", "C"}},
        EditCase{"remove_middle", [](FreshHalyard& h) { return h.removeNodeAdrB(1); }, -1, {"A", "C"}},
        EditCase{"remove_past_end_is_last", [](FreshHalyard& h) { return h.removeNodeAdrB(99); }, -1, {"A", "B"}},
        EditCase{"remove_negative", [](FreshHalyard& h) { return h.removeNodeAdrB(-1); }, -1, kUnchanged}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.label); });

// Each export on an empty book or with a bad record.
struct BadArgumentCase {
    const char* label;
    std::function<int(FreshHalyard&)> call;
    int result; // -1: any nonzero
};

void PrintTo(const BadArgumentCase& c, std::ostream* os)
{
    *os << c.label;
}

class HalyardBookBadArguments : public HalyardBook, public ::testing::WithParamInterface<BadArgumentCase> {};

ADDR_BOOK_REC* RecordWithoutBuffer()
{
    static ADDR_BOOK_REC rec{};
    rec.text = nullptr;
    return &rec;
}

TEST_P(HalyardBookBadArguments, ResultAndNoChange)
{
    const BadArgumentCase& c = GetParam();
    int result = c.call(halyard_);
    if (c.result < 0)
        EXPECT_NE(result, 0);
    else
        EXPECT_EQ(result, c.result);
    EXPECT_TRUE(halyard_.Names().empty());
    EXPECT_TRUE(halyard_.Drain().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryExport, HalyardBookBadArguments,
    ::testing::Values(
        BadArgumentCase{"GetPendingRec_none_waiting", [](FreshHalyard& h) { AddrBookExchange x; return h.getPendingRec(x.Rec()); }, 0},
        BadArgumentCase{"GetPendingRec_null", [](FreshHalyard& h) { return h.getPendingRec(nullptr); }, 0},
        BadArgumentCase{"GetNodeAdrB_empty_book", [](FreshHalyard& h) { AddrBookExchange x; return h.getNodeAdrB(0, x.Rec()); }, 0},
        BadArgumentCase{"GetNodeAdrB_negative", [](FreshHalyard& h) { AddrBookExchange x; return h.getNodeAdrB(-1, x.Rec()); }, 0},
        BadArgumentCase{"GetNodeAdrB_null", [](FreshHalyard& h) { return h.getNodeAdrB(0, nullptr); }, 0},
        BadArgumentCase{"SetNodeAdrB_null", [](FreshHalyard& h) { return h.setNodeAdrB(nullptr); }, 0},
        BadArgumentCase{"SetNodeAdrB_no_buffer", [](FreshHalyard& h) { return h.setNodeAdrB(RecordWithoutBuffer()); }, 0},
        BadArgumentCase{"RemoveAllNodesAddrBook_empty", [](FreshHalyard& h) { return h.removeAllNodesAddrBook(); }, -1},
        BadArgumentCase{"RemoveNodeAdrB_empty", [](FreshHalyard& h) { return h.removeNodeAdrB(0); }, -1},
        BadArgumentCase{"MoveNodeDownAdrB_empty", [](FreshHalyard& h) { return h.moveNodeDownAdrB(0); }, 0},
        BadArgumentCase{"MoveNodeUpAdrB_empty", [](FreshHalyard& h) { return h.moveNodeUpAdrB(1); }, 0},
        BadArgumentCase{"SetAddrBookAutoRegister_any_value", [](FreshHalyard& h) { return h.setAddrBookAutoRegister(5); }, 5}),
    [](const ::testing::TestParamInfo<BadArgumentCase>& info) { return std::string(info.param.label); });

TEST_F(HalyardBook, DrainWithoutARecordKeepsTheNotice)
{
    halyard_.Add("Kept", "0x00000042");
    EXPECT_EQ(halyard_.getPendingRec(nullptr), 0);
    EXPECT_EQ(halyard_.getPendingRec(RecordWithoutBuffer()), 0);
    EXPECT_EQ(halyard_.Drain(), std::vector<Notice>{(Notice{1, 0, 0, "Kept", "0x00000042"})});
}

} // namespace
