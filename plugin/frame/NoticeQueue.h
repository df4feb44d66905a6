#pragma once

#include <deque>
#include <mutex>
#include <span>

// The first-in first-out queue of address-book notices, with its own mutex. The decoder
// thread fills it, the GUI thread drains it. A caller holding the book mutex may call in
// (book before queue); the queue never calls out while holding its mutex.
// Rules gives the notice type (Pending), what a frame showed first (Seen), how a waiting
// notice covers a seen value (ClearCarried) and the address notices (AppendAddressNotices).
template <typename Rules>
class NoticeQueue {
public:
    using Pending = typename Rules::Pending;
    using Seen = typename Rules::Seen;

    void Push(const Pending& notice)
    {
        std::lock_guard lock(mutex_);
        notices_.push_back(notice);
    }

    // Moves the oldest notice into out; false when none waits.
    bool Pop(Pending& out)
    {
        std::lock_guard lock(mutex_);
        if (notices_.empty())
            return false;
        out = notices_.front();
        notices_.pop_front();
        return true;
    }

    // Appends a frame's node notices, then a kind-4 notice for each new value that no
    // waiting notice already carries, all under one hold of the mutex: the drain on the other
    // thread cannot slip in between, so whether a value is covered never depends on timing.
    // Returns 1 when notices wait afterwards.
    int QueueFrameNotices(std::span<const Pending> nodeNotices, Seen seen)
    {
        std::lock_guard lock(mutex_);
        notices_.insert(notices_.end(), nodeNotices.begin(), nodeNotices.end());
        return CheckPendingRecs(seen);
    }

    int Count() const
    {
        std::lock_guard lock(mutex_);
        return static_cast<int>(notices_.size());
    }

private:
    // With mutex_ held.
    int CheckPendingRecs(Seen seen)
    {
        if (notices_.empty())
            return Rules::AppendAddressNotices(seen, notices_) ? 1 : 0;
        for (const Pending& notice : notices_)
            Rules::ClearCarried(seen, notice);
        Rules::AppendAddressNotices(seen, notices_);
        return 1;
    }

    mutable std::mutex mutex_;
    std::deque<Pending> notices_;
};
