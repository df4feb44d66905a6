#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <mutex>
#include <span>

// The first-in first-out queue of address-book notices, with its own mutex. The decoder
// thread fills it, the GUI thread drains it. A caller holding the book mutex may call in
// (book before queue); the queue never calls out while holding its mutex.
// Rules gives the notice type (Pending), what a frame showed first (Seen, and Any of it),
// an index of what the waiting notices carry (Carried, kept by Carry and Drop), how that
// index covers a seen value (ClearCarried) and the address notices (AppendAddressNotices).
template <typename Rules>
class NoticeQueue {
public:
    using Pending = typename Rules::Pending;
    using Seen = typename Rules::Seen;

    void Push(const Pending& notice)
    {
        std::lock_guard lock(mutex_);
        notices_.push_back(notice);
        Rules::Carry(carried_, notice);
        Counted();
    }

    // Moves the oldest notice into out; false when none waits.
    bool Pop(Pending& out)
    {
        std::lock_guard lock(mutex_);
        if (notices_.empty())
            return false;
        out = notices_.front();
        notices_.pop_front();
        Rules::Drop(carried_, out);
        Counted();
        return true;
    }

    // Appends a frame's node notices, then a kind-4 notice for each new value that no
    // waiting notice already carries, all under one hold of the mutex: the drain on the other
    // thread cannot slip in between, so whether a value is covered never depends on timing.
    // Returns 1 when notices wait afterwards.
    int QueueFrameNotices(std::span<const Pending> nodeNotices, Seen seen)
    {
        // Most frames bring nothing new: then only the count is read, which is what the
        // mutex would have shown at some moment too.
        if (nodeNotices.empty() && !Rules::Any(seen))
            return Count() > 0 ? 1 : 0;
        std::lock_guard lock(mutex_);
        for (const Pending& notice : nodeNotices) {
            notices_.push_back(notice);
            Rules::Carry(carried_, notice);
        }
        if (!notices_.empty())
            Rules::ClearCarried(seen, carried_);
        const size_t before = notices_.size();
        Rules::AppendAddressNotices(seen, notices_);
        for (size_t i = before; i < notices_.size(); ++i)
            Rules::Carry(carried_, notices_[i]);
        Counted();
        return notices_.empty() ? 0 : 1;
    }

    int Count() const { return count_.load(std::memory_order_acquire); }

private:
    // With mutex_ held.
    void Counted() { count_.store(static_cast<int>(notices_.size()), std::memory_order_release); }

    mutable std::mutex mutex_;
    std::deque<Pending> notices_;
    typename Rules::Carried carried_;
    // The queue's length, readable without the mutex.
    std::atomic<int> count_{0};
};
