#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/device/PelagorAccessDravik.h"
#include "platform/dravik/BoardFile.h"
#include "tests/platform/dravik/BoardTestSupport.h"

// The default boards as the device-access layer meets them: each connects (after the offered
// update where its firmware is old), starts and delivers packets.
namespace {

std::mutex threadsMutex;
std::vector<std::thread> threads;
std::vector<std::string> messages;

int Yes(const char*)
{
    return 1;
}

void Message(const char* text)
{
    std::lock_guard lock(threadsMutex);
    messages.emplace_back(text);
}

int StartThread(void (*function)())
{
    std::lock_guard lock(threadsMutex);
    threads.emplace_back(function);
    return 1;
}

void JoinThreads()
{
    std::vector<std::thread> started;
    {
        std::lock_guard lock(threadsMutex);
        started.swap(threads);
    }
    for (std::thread& t : started)
        t.join();
}

class DefaultBoardsThroughAccess : public ::testing::TestWithParam<size_t> {
protected:
    void SetUp() override { messages.clear(); }
    void TearDown() override { JoinThreads(); }

    boardtest::ConfigHome home_;
    SimulatedBoardSource source_;
    boardtest::InstalledSource installed_{source_};
};

int Connect(const DravikEbInfo& info, std::unique_ptr<PelagorAccessDravik>& access)
{
    access = std::make_unique<PelagorAccessDravik>(info, PELAGOR_TEST_BOARD_FIRMWARE_DIR, PELAGOR_TEST_CHIP_FIRMWARE_DIR);
    access->SetQuestionCallback(Yes);
    access->SetMessageCallback(Message);
    access->SetThreadStarter(StartThread);
    char name[40];
    std::snprintf(name, sizeof name, "sniffer_fw_qz%x.hex", info.chipCode);
    EXPECT_TRUE(access->SetFirmwareFile(name));
    return access->Connect(1);
}

} // namespace

TEST_P(DefaultBoardsThroughAccess, ConnectStartAndCapture)
{
    const auto boards = boardtest::Enumerate();
    ASSERT_LT(GetParam(), boards.size());
    const DravikEbInfo info = boards[GetParam()];
    SCOPED_TRACE(info.deviceText);

    std::unique_ptr<PelagorAccessDravik> access;
    int connected = Connect(info, access);
    if (connected == PelagorAccess::kConnectUpdateStarted) {
        access.reset();
        JoinThreads();
        ASSERT_TRUE(messages.empty()) << messages.front();
        connected = Connect(boardtest::Enumerate()[GetParam()], access);
    }
    ASSERT_EQ(connected, PelagorAccess::kConnectOk) << (messages.empty() ? "" : messages.back());
    uint8_t channel = 12;
    EXPECT_TRUE(access->SetParameter(0, &channel, 1));
    ASSERT_TRUE(access->StartCapture(0, 271));
    std::vector<uint8_t> record(271);
    int complete = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < end) {
        uint8_t kind = 0;
        int length = 0;
        if (access->ReadPacket(&kind, &length, record.data(), 20) == 0)
            ++complete;
    }
    EXPECT_GE(complete, 20);
    EXPECT_TRUE(access->StopCapture());
}

INSTANTIATE_TEST_SUITE_P(Boards, DefaultBoardsThroughAccess,
                         ::testing::Range(size_t{0}, BoardFile::DefaultBoards().size()));
