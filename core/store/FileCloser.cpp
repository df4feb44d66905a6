#include "core/store/FileCloser.h"

#include <unistd.h>

FileCloser::~FileCloser()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void FileCloser::Close(int fd)
{
    if (fd < 0)
        return;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(fd);
        if (!thread_.joinable())
            thread_ = std::thread(&FileCloser::Run, this);
    }
    wake_.notify_one();
}

void FileCloser::Flush()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !closing_; });
}

void FileCloser::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty())
            return; // stopping with nothing left
        const int fd = queue_.front();
        queue_.pop_front();
        closing_ = true;
        lock.unlock();
        ::close(fd);
        lock.lock();
        closing_ = false;
        if (queue_.empty())
            idle_.notify_all();
    }
}
