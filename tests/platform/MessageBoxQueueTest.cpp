#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/GuiCallScope.h"
#include "platform/MessageBox.h"
#include "platform/MessageBoxQueue.h"
#include "tests/support/Watchdog.h"

using namespace std::chrono_literals;
using platform::GuiCallScope;
using platform::MessageAnswer;
using platform::MessageBoxQueue;
using platform::MessageBoxRequest;
using platform::MessageButtons;
using platform::MessageIcon;
using testsupport::Watchdog;

namespace {

// The test thread plays the GUI thread: it serves the queue whenever it was woken.
class QueueTest : public ::testing::Test {
protected:
    struct Shown {
        std::string text;
        MessageButtons buttons;
        std::thread::id thread;
    };

    MessageBoxQueue queue{[this](const MessageBoxRequest& request) { return Present(request); },
                          [this] { ++wakes; }};
    std::atomic<int> wakes{0};
    MessageAnswer answer = MessageAnswer::Yes;
    std::vector<Shown> shown;
    std::function<void()> whileShown;

    MessageAnswer Present(const MessageBoxRequest& request)
    {
        shown.push_back({request.text, request.buttons, std::this_thread::get_id()});
        if (whileShown)
            whileShown();
        return answer;
    }

    // Serves until done() holds.
    template <typename Done>
    void ServeUntil(Done done)
    {
        while (!done()) {
            queue.Serve();
            std::this_thread::sleep_for(1ms);
        }
    }

    void WaitForWaiting(size_t count)
    {
        while (queue.Waiting() < count)
            std::this_thread::sleep_for(1ms);
    }
};

TEST_F(QueueTest, WorkerBoxIsShownOnTheGuiThreadAndGetsItsAnswer)
{
    Watchdog watchdog("worker box", 20s);
    std::atomic<int> got{-1};
    std::thread worker([&] {
        got = static_cast<int>(platform::ShowMessageBox("Do it?", MessageIcon::Question, MessageButtons::YesNo));
    });
    ServeUntil([&] { return got.load() >= 0; });
    worker.join();
    EXPECT_EQ(got.load(), static_cast<int>(MessageAnswer::Yes));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Do it?");
    EXPECT_EQ(shown[0].thread, std::this_thread::get_id());
    EXPECT_GE(wakes.load(), 1);
}

TEST_F(QueueTest, GuiThreadBoxIsShownDirectly)
{
    EXPECT_EQ(platform::ShowMessageBox("here", MessageIcon::Exclamation, MessageButtons::YesNo), MessageAnswer::Yes);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(wakes.load(), 0);
}

struct ScopeCase {
    const char* name;
    MessageButtons buttons;
    MessageAnswer expected;
    bool waitingBeforeTheScope; // the worker already waits when the GUI thread starts waiting
};

class QueueDuringGuiWait : public QueueTest, public ::testing::WithParamInterface<ScopeCase> {};

// The GUI thread waits for a worker (as Stop waits for the reader) while that worker asks for
// a box: the worker must get its default answer at once, and the text must come afterwards.
TEST_P(QueueDuringGuiWait, WorkerGetsItsDefaultAndTheTextFollows)
{
    const ScopeCase& c = GetParam();
    Watchdog watchdog(c.name, 20s);
    std::atomic<int> got{-1};
    std::thread worker;
    auto start = [&] {
        worker = std::thread([&] { got = static_cast<int>(platform::ShowMessageBox("Communication error", MessageIcon::Exclamation, c.buttons)); });
    };
    if (c.waitingBeforeTheScope) {
        start();
        WaitForWaiting(1);
    }
    {
        GuiCallScope waiting;
        if (!c.waitingBeforeTheScope)
            start();
        worker.join(); // would hang if the worker waited for the GUI thread
        EXPECT_TRUE(shown.empty());
    }
    EXPECT_EQ(got.load(), static_cast<int>(c.expected));
    EXPECT_EQ(queue.Waiting(), 0u);
    EXPECT_EQ(queue.Deferred(), 1u);
    queue.Serve();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Communication error");
    // What is left to show of a question already answered is its text.
    EXPECT_EQ(shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(queue.Deferred(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, QueueDuringGuiWait,
                         ::testing::Values(ScopeCase{"plain box asked during the wait", MessageButtons::Ok, MessageAnswer::Ok, false},
                                           ScopeCase{"plain box waiting before the wait", MessageButtons::Ok, MessageAnswer::Ok, true},
                                           ScopeCase{"question asked during the wait", MessageButtons::YesNo, MessageAnswer::No, false},
                                           ScopeCase{"question waiting before the wait", MessageButtons::YesNo, MessageAnswer::No, true},
                                           ScopeCase{"retry box waiting before the wait", MessageButtons::RetryCancel, MessageAnswer::Cancel, true}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(QueueTest, LeavingTheOutermostScopeWakesTheGuiThreadForTheTexts)
{
    std::thread worker;
    {
        GuiCallScope outer;
        {
            GuiCallScope inner;
            worker = std::thread([] { platform::ShowMessageBox("late"); });
            worker.join();
        }
        EXPECT_EQ(wakes.load(), 0);
    }
    EXPECT_EQ(wakes.load(), 1);
    queue.Serve();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "late");
}

TEST_F(QueueTest, ManyWorkersLoseNoTextWhileTheGuiThreadWaitsOnAndOff)
{
    Watchdog watchdog("many workers", 30s);
    constexpr int kWorkers = 6;
    constexpr int kBoxes = 40;
    std::vector<std::thread> workers;
    std::atomic<int> done{0};
    for (int w = 0; w < kWorkers; ++w)
        workers.emplace_back([&, w] {
            for (int i = 0; i < kBoxes; ++i)
                platform::ShowMessageBox("box " + std::to_string(w) + "." + std::to_string(i));
            ++done;
        });
    int round = 0;
    while (done.load() < kWorkers) {
        if (++round % 3 == 0) {
            GuiCallScope waiting;
            std::this_thread::sleep_for(1ms);
        }
        queue.Serve();
    }
    for (std::thread& worker : workers)
        worker.join();
    queue.Serve();
    EXPECT_EQ(shown.size(), static_cast<size_t>(kWorkers * kBoxes));
    for (const Shown& box : shown)
        EXPECT_EQ(box.thread, std::this_thread::get_id());
}

TEST_F(QueueTest, ServeInsideABoxLeavesTheQueueToTheOuterServe)
{
    Watchdog watchdog("nested serve", 20s);
    std::atomic<int> answered{0};
    std::thread first([&] { platform::ShowMessageBox("first"); ++answered; });
    WaitForWaiting(1);
    std::thread second;
    // The first box runs a nested event loop that serves again; the second box must wait for
    // the first to close instead of opening on top of it.
    bool nested = false;
    whileShown = [&] {
        if (nested)
            return;
        nested = true;
        second = std::thread([&] { platform::ShowMessageBox("second"); ++answered; });
        WaitForWaiting(1);
        queue.Serve();
        EXPECT_EQ(shown.size(), 1u);
    };
    ServeUntil([&] { return answered.load() == 2; });
    first.join();
    second.join();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "first");
    EXPECT_EQ(shown[1].text, "second");
}

TEST_F(QueueTest, ShutdownReleasesWaitingWorkersAndAnswersLaterOnesByDefault)
{
    Watchdog watchdog("shutdown", 20s);
    std::atomic<int> got{-1};
    std::thread worker([&] { got = static_cast<int>(platform::ShowMessageBox("q", MessageIcon::Question, MessageButtons::YesNo)); });
    WaitForWaiting(1);
    queue.Shutdown();
    worker.join();
    EXPECT_EQ(got.load(), static_cast<int>(MessageAnswer::No));
    EXPECT_EQ(platform::ShowMessageBox("after", MessageIcon::Question, MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_TRUE(shown.empty());
}

TEST_F(QueueTest, DeferredBoxIsShownOnlyOnceTheLockIsReleased)
{
    Watchdog watchdog("deferral", 20s);
    std::mutex storeLock;
    std::atomic<bool> lockFreeWhenShown{false};
    whileShown = [&] {
        // The GUI thread takes the same lock while it serves: it must be free.
        std::unique_lock attempt(storeLock, std::try_to_lock);
        lockFreeWhenShown = attempt.owns_lock();
    };
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        platform::MessageBoxDeferral afterUnlock;
        std::lock_guard held(storeLock);
        platform::ShowMessageBox("Can't write to file: No space left on device");
        {
            platform::MessageBoxDeferral nested;
            platform::ShowMessageBox("second");
        }
        // Questions cannot wait for later: none is asked under a lock, and none is deferred.
        returned = true;
    });
    ServeUntil([&] { return shown.size() == 2; });
    worker.join();
    EXPECT_TRUE(returned.load());
    EXPECT_TRUE(lockFreeWhenShown.load());
    EXPECT_EQ(shown[0].text, "Can't write to file: No space left on device");
    EXPECT_EQ(shown[1].text, "second");
}

TEST(GuiCallScopeTest, ListenersSeeOnlyTheOutermostScope)
{
    int enters = 0;
    int leaves = 0;
    GuiCallScope::SetListener(GuiCallScope::Listener::WindowMessages, [&] { ++enters; }, [&] { ++leaves; });
    EXPECT_FALSE(GuiCallScope::Active());
    {
        GuiCallScope a;
        GuiCallScope b;
        EXPECT_TRUE(GuiCallScope::Active());
        EXPECT_EQ(enters, 1);
    }
    EXPECT_FALSE(GuiCallScope::Active());
    EXPECT_EQ(leaves, 1);
    GuiCallScope::SetListener(GuiCallScope::Listener::WindowMessages, {}, {});
    {
        GuiCallScope c;
    }
    EXPECT_EQ(enters, 1);
}

} // namespace
