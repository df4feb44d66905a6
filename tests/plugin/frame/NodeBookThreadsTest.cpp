// The process-wide book through the address-book exports and RegisterPacketAddresses, with
// the decoder thread registering frames while the GUI thread drains and edits, as the
// capture reader and the address-book panel do.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "plugin/frame/NodeAddressBook.h"
#include "plugin/frame/PluginExports.h"
#include "tests/plugin/frame/AddrBookExchange.h"
#include "tests/support/Watchdog.h"

using testsupport::AddrBookExchange;
using testsupport::BookAddress;
using testsupport::DrainNotices;
using testsupport::Notice;

namespace {

void ResetBook(int autoRegister)
{
    SetAddrBookAutoRegister(autoRegister);
    RemoveAllNodesAddrBook();
    DrainNotices(GetPendingRec);
}

TEST(NodeBookExports, RegisterPacketAddressesFollowsTheAutoRegisterSwitch)
{
    ResetBook(0);
    int32_t changed = -7, source = -7, destination = -7;
    EXPECT_EQ(RegisterPacketAddresses(0x0101, 0x0202, 1, &changed, &source, &destination), 1);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(source, -1);
    EXPECT_EQ(destination, -1);
    AddrBookExchange out;
    EXPECT_EQ(GetNodeAdrB(0, out.Rec()), 0);
    DrainNotices(GetPendingRec);

    EXPECT_EQ(SetAddrBookAutoRegister(1), 1);
    EXPECT_EQ(RegisterPacketAddresses(0x0303, 0x0404, 1, &changed, &source, &destination), 1);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(destination, 0);
    EXPECT_EQ(source, 1);
    ASSERT_EQ(GetNodeAdrB(1, out.Rec()), 1);
    EXPECT_EQ(out.Address(), "0x00000404");
    ResetBook(0);
}

struct Row {
    uint32_t id;
    std::string name;
    std::string address;
};

// The decoder's addresses: first and second positions apart, so that each address has one
// seen list and its notices do not depend on timing.
uint32_t FirstAddress(int i) { return 0x10000001u | (static_cast<uint32_t>(i) << 8); }
uint32_t SecondAddress(int i) { return 0x20000001u | (static_cast<uint32_t>(i) << 8); }
uint32_t GuiAddress(int i) { return 0x30000001u | (static_cast<uint32_t>(i) << 8); }

constexpr int kAddresses = 150;
// The first frames each bring a second address never seen before, while the panel drains.
constexpr int kSecondAddresses = 1000;

uint32_t SecondOfFrame(int f)
{
    return SecondAddress(f < kSecondAddresses ? f : (f * 7 + 3) % kSecondAddresses);
}
constexpr int kFrames = 20000;
constexpr int kGuiSteps = 2000;

class NodeBookThreads : public ::testing::TestWithParam<int> {};

TEST_P(NodeBookThreads, DecoderAndPanelShareTheBookWithoutLossOrDuplicates)
{
    const int autoRegister = GetParam();
    ResetBook(autoRegister);

    std::vector<Row> mirror; // the panel's rows
    std::vector<uint32_t> kind1Ids;
    std::multiset<std::string> kind4Addresses;
    int guiRemoves = 0;
    std::atomic<int> badIds{0};
    std::atomic<bool> panelDone{false};
    std::atomic<int> framesDuringPanel{0};

    auto apply = [&](const Notice& n) {
        switch (n.type) {
        case 1: {
            for (const Row& row : mirror)
                ASSERT_NE(row.address, n.address) << "a second node for one address";
            // Appended at the end; rows the panel removed since then may have shifted it down.
            EXPECT_GE(n.index, mirror.size());
            size_t at = std::min<size_t>(n.index, mirror.size());
            mirror.insert(mirror.begin() + static_cast<std::ptrdiff_t>(at), Row{n.value, n.name, n.address});
            kind1Ids.push_back(n.value);
            break;
        }
        case 2:
            ASSERT_LT(n.index, mirror.size());
            ASSERT_EQ(mirror[n.index].address, n.address);
            mirror[n.index].name = n.name;
            break;
        case 4:
            kind4Addresses.insert(n.address);
            break;
        default:
            FAIL() << "unexpected notice kind " << n.type;
        }
    };
    auto drain = [&] {
        for (const Notice& n : DrainNotices(GetPendingRec))
            apply(n);
    };

    {
        testsupport::Watchdog watchdog("the book under two threads", std::chrono::seconds(120));
        std::jthread decoder([&] {
            // Frames keep coming for as long as the panel works.
            for (int f = 0; f < kFrames || !panelDone.load(); ++f) {
                if (!panelDone.load())
                    framesDuringPanel.fetch_add(1, std::memory_order_relaxed);
                // Paced a little, like frames on air, so that the panel gets the book too.
                if (f > kSecondAddresses && f % 32 == 0)
                    std::this_thread::sleep_for(std::chrono::microseconds(20));
                int32_t changed = 0, source = 0, destination = 0;
                RegisterPacketAddresses(FirstAddress(f % kAddresses), SecondOfFrame(f), 1,
                                        &changed, &source, &destination);
                bool idsExpected = autoRegister != 0;
                if ((source >= 0) != idsExpected || (destination >= 0) != idsExpected)
                    badIds.fetch_add(1);
            }
        });

        std::mt19937 random(12345);
        AddrBookExchange exchange;
        AddrBookExchange out;
        int guiNodes = 0;
        for (int step = 0; step < kGuiSteps; ++step) {
            drain();
            // Every row the panel shows is the plug-in's row at that position.
            for (size_t r = 0; r < mirror.size(); r += 11) {
                ASSERT_EQ(GetNodeAdrB(static_cast<int>(r), out.Rec()), 1);
                ASSERT_EQ(out.Address(), mirror[r].address) << "row " << r;
                ASSERT_EQ(out.Name(), mirror[r].name) << "row " << r;
            }
            int r = mirror.empty() ? 0 : static_cast<int>(random() % mirror.size());
            switch (random() % 6) {
            case 0:
                if (!mirror.empty()) {
                    std::string name = "Renamed " + std::to_string(step);
                    ASSERT_EQ(SetNodeAdrB(exchange.Put(name, mirror[static_cast<size_t>(r)].address)), 1);
                    drain();
                }
                break;
            case 1:
                ASSERT_EQ(SetNodeAdrB(exchange.Put("Panel " + std::to_string(guiNodes), BookAddress(GuiAddress(guiNodes)))), 1);
                ++guiNodes;
                drain();
                break;
            case 2:
                if (static_cast<size_t>(r) + 1 < mirror.size()) {
                    ASSERT_EQ(MoveNodeDownAdrB(r), 1);
                    std::swap(mirror[static_cast<size_t>(r)], mirror[static_cast<size_t>(r) + 1]);
                }
                break;
            case 3:
                if (r >= 1) {
                    ASSERT_EQ(MoveNodeUpAdrB(r), 1);
                    std::swap(mirror[static_cast<size_t>(r) - 1], mirror[static_cast<size_t>(r)]);
                }
                break;
            case 4:
                if (!mirror.empty() && step % 5 == 0) {
                    EXPECT_NE(RemoveNodeAdrB(r), 0);
                    mirror.erase(mirror.begin() + r);
                    ++guiRemoves;
                }
                break;
            default:
                std::this_thread::yield();
            }
        }
        panelDone = true;
        decoder.join();
    }
    EXPECT_EQ(badIds.load(), 0);
    EXPECT_GT(framesDuringPanel.load(), 0);

    // A last pass over every decoder address, then the panel catches up.
    for (int i = 0; i < kSecondAddresses; ++i)
        RegisterPacketAddresses(FirstAddress(i % kAddresses), SecondAddress(i), 1, nullptr, nullptr, nullptr);
    drain();

    std::vector<Row> book;
    AddrBookExchange out;
    for (int i = 0; GetNodeAdrB(i, out.Rec()) == 1; ++i)
        book.push_back({0, out.Name(), out.Address()});
    ASSERT_EQ(book.size(), mirror.size());
    for (size_t i = 0; i < book.size(); ++i) {
        EXPECT_EQ(book[i].address, mirror[i].address) << "row " << i;
        EXPECT_EQ(book[i].name, mirror[i].name) << "row " << i;
    }
    // Every node added was announced once, with an id never used before.
    EXPECT_EQ(kind1Ids.size(), book.size() + static_cast<size_t>(guiRemoves));
    EXPECT_EQ(std::set<uint32_t>(kind1Ids.begin(), kind1Ids.end()).size(), kind1Ids.size());

    std::set<std::string> decoderAddresses;
    for (int i = 0; i < kAddresses; ++i)
        decoderAddresses.insert(BookAddress(FirstAddress(i)));
    for (int i = 0; i < kSecondAddresses; ++i)
        decoderAddresses.insert(BookAddress(SecondAddress(i)));
    std::set<std::string> inBook;
    for (const Row& row : book)
        inBook.insert(row.address);
    if (autoRegister) {
        // Each new address was covered by its own kind-1 notice.
        EXPECT_TRUE(kind4Addresses.empty()) << kind4Addresses.size() << " kind-4 notices";
        EXPECT_TRUE(std::includes(inBook.begin(), inBook.end(), decoderAddresses.begin(), decoderAddresses.end()));
    } else {
        EXPECT_EQ(std::set<std::string>(kind4Addresses.begin(), kind4Addresses.end()), decoderAddresses);
        EXPECT_EQ(kind4Addresses.size(), decoderAddresses.size()) << "an address noticed twice";
        for (const Row& row : book)
            EXPECT_EQ(decoderAddresses.count(row.address), 0u) << row.address;
    }
    ResetBook(0);
}

INSTANTIATE_TEST_SUITE_P(AutoRegister, NodeBookThreads, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param ? "On" : "Off");
                         });

} // namespace
