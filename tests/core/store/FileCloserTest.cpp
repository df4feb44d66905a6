#include <gtest/gtest.h>

#include <cerrno>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/store/FileCloser.h"

namespace {

bool IsOpen(int fd)
{
    return fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

std::vector<int> Pipes(int pairs)
{
    std::vector<int> fds;
    for (int i = 0; i < pairs; ++i) {
        int p[2];
        EXPECT_EQ(pipe2(p, O_CLOEXEC), 0);
        fds.push_back(p[0]);
        fds.push_back(p[1]);
    }
    return fds;
}

// Handed over from several threads at once, every descriptor is closed by Flush's return.
TEST(FileCloserTest, FlushReturnsOnceEveryDescriptorIsClosed)
{
    FileCloser closer;
    std::vector<std::vector<int>> perThread;
    for (int t = 0; t < 4; ++t)
        perThread.push_back(Pipes(16));
    std::vector<std::thread> threads;
    for (auto& fds : perThread)
        threads.emplace_back([&closer, &fds] {
            for (int fd : fds)
                closer.Close(fd);
        });
    for (auto& t : threads)
        t.join();
    closer.Flush();
    // No new descriptor is opened in between, so none of the numbers can be taken again.
    for (const auto& fds : perThread)
        for (int fd : fds)
            EXPECT_FALSE(IsOpen(fd)) << fd;
}

// Whatever is still queued when the closer goes is closed, not leaked.
TEST(FileCloserTest, DestructionClosesWhatIsQueued)
{
    const std::vector<int> fds = Pipes(32);
    {
        FileCloser closer;
        for (int fd : fds)
            closer.Close(fd);
    }
    for (int fd : fds)
        EXPECT_FALSE(IsOpen(fd)) << fd;
}

TEST(FileCloserTest, FlushWithNothingHandedOverReturns)
{
    FileCloser closer;
    closer.Flush();
    closer.Close(-1);
    closer.Flush();
}

} // namespace
