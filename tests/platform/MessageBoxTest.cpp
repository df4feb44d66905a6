#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/MessageBoxRecorder.h"

using namespace platform;

TEST(MessageBox, DefaultAnswersChangeNothing)
{
    EXPECT_EQ(DefaultAnswer(MessageButtons::Ok), MessageAnswer::Ok);
    EXPECT_EQ(DefaultAnswer(MessageButtons::OkCancel), MessageAnswer::Cancel);
    EXPECT_EQ(DefaultAnswer(MessageButtons::YesNo), MessageAnswer::No);
    EXPECT_EQ(DefaultAnswer(MessageButtons::YesNoCancel), MessageAnswer::Cancel);
    EXPECT_EQ(DefaultAnswer(MessageButtons::RetryCancel), MessageAnswer::Cancel);
}

TEST(MessageBox, WithoutGuiItIsWrittenToStandardError)
{
    testing::internal::CaptureStderr();
    MessageAnswer answer = ShowMessageBox("Update now?", MessageIcon::Question, MessageButtons::YesNo);
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(answer, MessageAnswer::No);
    EXPECT_EQ(written, "question: Update now?\n");
}

TEST(MessageBox, RecordersNestAndRestore)
{
    MessageBoxRecorder outer;
    {
        MessageBoxRecorder inner;
        inner.QueueAnswer(MessageAnswer::Yes);
        EXPECT_EQ(ShowMessageBox("first", MessageIcon::Question, MessageButtons::YesNo),
                  MessageAnswer::Yes);
        EXPECT_EQ(ShowMessageBox("second", MessageIcon::Question, MessageButtons::YesNo),
                  MessageAnswer::No);
        EXPECT_EQ(inner.Texts(), (std::vector<std::string>{"first", "second"}));
        EXPECT_EQ(inner.Requests()[0].icon, MessageIcon::Question);
    }
    ShowMessageBox("third");
    EXPECT_EQ(outer.Texts(), (std::vector<std::string>{"third"}));
}

TEST(MessageBox, RecorderTakesBoxesFromManyThreads)
{
    MessageBoxRecorder recorder;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([] {
            for (int i = 0; i < 100; ++i)
                ShowMessageBox("x");
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(recorder.Requests().size(), 400u);
}
