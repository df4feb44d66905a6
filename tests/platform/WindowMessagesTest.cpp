#include <gtest/gtest.h>

#include <thread>

#include "platform/WindowMessageRecorder.h"
#include "platform/WindowMessages.h"

using namespace platform;

TEST(WindowMessages, PostingWithoutTargetOrSinkIsDropped)
{
    EXPECT_FALSE(PostWindowMessage(5, WM_ADDRBOOK_PENDING));
    WindowMessageRecorder recorder;
    EXPECT_FALSE(PostWindowMessage(0, WM_ADDRBOOK_PENDING));
    EXPECT_TRUE(recorder.Messages().empty());
}

TEST(WindowMessages, PostedFromAnotherThreadArrives)
{
    WindowMessageRecorder recorder;
    std::thread worker([] { PostWindowMessage(9, WM_FILE_READ_DONE, 1, -2); });
    EXPECT_TRUE(recorder.WaitFor(WM_FILE_READ_DONE, 5000));
    worker.join();
    ASSERT_EQ(recorder.Messages().size(), 1u);
    const auto m = recorder.Messages()[0];
    EXPECT_EQ(m.target, 9u);
    EXPECT_EQ(m.wParam, 1u);
    EXPECT_EQ(m.lParam, -2);
    EXPECT_FALSE(recorder.WaitFor(WM_CAPTURE_STOPPED, 10));
}
