#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "gui/GuiPlatform.h"
#include "gui/WindowMessageTarget.h"
#include "platform/GuiCallScope.h"
#include "platform/WindowMessages.h"

namespace {

struct Received {
    uint32_t message;
    uint64_t wParam;
    int64_t lParam;
    std::string text;
};

class RecordingTarget : public WindowMessageTarget {
public:
    void OnWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam, const std::string& text) override
    {
        received.push_back({message, wParam, lParam, text});
    }
    std::vector<Received> received;
};

void Deliver()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

class WindowMessageSinkTest : public ::testing::Test {
protected:
    std::vector<std::string> shown;
    GuiPlatform platform{[this](const platform::MessageBoxRequest& request) {
        shown.push_back(request.text);
        return platform::MessageAnswer::Ok;
    }};
};

TEST_F(WindowMessageSinkTest, PostsFromAnyThreadArriveOnTheGuiThreadInOrder)
{
    RecordingTarget target;
    std::thread worker([&] {
        platform::PostWindowMessage(target.Handle(), platform::WM_ADDRBOOK_PENDING, 1, 2);
        platform::PostWindowMessage(target.Handle(), platform::WM_BUSY_STATE, 1, 0);
        platform::PostWindowMessage(target.Handle(), platform::WM_BUSY_STATE, 0, 0);
    });
    worker.join();
    EXPECT_TRUE(target.received.empty());
    Deliver();
    ASSERT_EQ(target.received.size(), 3u);
    EXPECT_EQ(target.received[0].message, platform::WM_ADDRBOOK_PENDING);
    EXPECT_EQ(target.received[0].wParam, 1u);
    EXPECT_EQ(target.received[0].lParam, 2);
    EXPECT_EQ(target.received[1].wParam, 1u);
    EXPECT_EQ(target.received[2].wParam, 0u);
}

TEST_F(WindowMessageSinkTest, PostToAWindowThatIsGoneIsDropped)
{
    platform::WindowHandle handle;
    {
        RecordingTarget gone;
        handle = gone.Handle();
        platform::PostWindowMessage(handle, platform::WM_CAPTURE_STOPPED);
    }
    RecordingTarget other;
    EXPECT_NE(other.Handle(), handle);
    Deliver(); // nothing to deliver to, and no crash
    EXPECT_TRUE(other.received.empty());
}

TEST_F(WindowMessageSinkTest, TextIsAnOwnedCopy)
{
    RecordingTarget target;
    {
        std::string text = "00:11:22:33:44:55:66:77:88:99:aa:bb:cc:dd:ee:ff";
        platform::PostWindowText(target.Handle(), platform::WM_BLE_LTK_UPDATE, text);
        text.assign(text.size(), 'x');
    }
    Deliver();
    ASSERT_EQ(target.received.size(), 1u);
    EXPECT_EQ(target.received[0].text, "00:11:22:33:44:55:66:77:88:99:aa:bb:cc:dd:ee:ff");
}

struct HoldCase {
    uint32_t message;
    bool held;
};

class WindowMessageHold : public WindowMessageSinkTest, public ::testing::WithParamInterface<HoldCase> {};

// Inside a call into the engine or the store, a message that ends a capture or a file read
// waits until the call has returned; the others are delivered as usual.
TEST_P(WindowMessageHold, EndMessagesWaitForTheCallToReturn)
{
    RecordingTarget target;
    platform::PostWindowMessage(target.Handle(), GetParam().message, 7, 0);
    {
        platform::GuiCallScope call;
        Deliver(); // a box's nested loop inside the call
        EXPECT_EQ(target.received.size(), GetParam().held ? 0u : 1u);
    }
    Deliver();
    ASSERT_EQ(target.received.size(), 1u);
    EXPECT_EQ(target.received[0].message, GetParam().message);
    EXPECT_EQ(target.received[0].wParam, 7u);
}

INSTANTIATE_TEST_SUITE_P(Messages, WindowMessageHold,
                         ::testing::Values(HoldCase{platform::WM_CAPTURE_STOPPED, true},
                                           HoldCase{platform::WM_FILE_READ_DONE, true},
                                           HoldCase{platform::WM_BUSY_STATE, true},
                                           HoldCase{platform::WM_ADDRBOOK_PENDING, false},
                                           HoldCase{platform::WM_BLE_LTK_UPDATE, false}));

// The queue wakes the GUI thread through its event loop: nothing else serves it here.
TEST_F(WindowMessageSinkTest, WorkerBoxIsServedFromTheEventLoop)
{
    std::atomic<bool> done{false};
    std::thread worker([&] {
        platform::ShowMessageBox("from the reader");
        done = true;
    });
    while (!done.load())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
    EXPECT_EQ(shown, std::vector<std::string>{"from the reader"});
}

} // namespace
