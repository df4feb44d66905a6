#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// Closes file descriptors on a thread of its own. Closing the last descriptor of a large
// unlinked file frees all its blocks, which can take the file system hundreds of milliseconds:
// the caller (often the GUI thread) hands the descriptor over and goes on.
class FileCloser {
public:
    FileCloser() = default;
    ~FileCloser(); // closes what is still queued, then joins the thread
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

    void Close(int fd);
    // Returns once every descriptor handed over so far is closed.
    void Flush();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<int> queue_;
    bool closing_ = false; // the thread holds a descriptor it is closing
    bool stop_ = false;
    std::thread thread_;
};
