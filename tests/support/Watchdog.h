#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

// Turns a hang into a failure: unless it is destroyed within the time, the process ends with
// a message naming what hung.
class Watchdog {
public:
    Watchdog(std::string what, std::chrono::milliseconds limit) : what_(std::move(what))
    {
        thread_ = std::thread([this, limit] {
            std::unique_lock lock(mutex_);
            if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                std::fprintf(stderr, "watchdog: %s hung for %lld ms\n", what_.c_str(),
                             static_cast<long long>(limit.count()));
                std::fflush(stderr);
                std::abort();
            }
        });
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::string what_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

} // namespace testsupport
