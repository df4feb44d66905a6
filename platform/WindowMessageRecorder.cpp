#include "platform/WindowMessageRecorder.h"

#include <algorithm>
#include <chrono>

namespace platform {

WindowMessageRecorder::WindowMessageRecorder() : previous_(InstallWindowMessageSink(this)) {}

WindowMessageRecorder::~WindowMessageRecorder()
{
    InstallWindowMessageSink(previous_);
}

void WindowMessageRecorder::Post(WindowHandle target, uint32_t message, uint64_t wParam, int64_t lParam)
{
    {
        std::lock_guard lock(mutex_);
        messages_.push_back({target, message, wParam, lParam});
    }
    arrived_.notify_all();
}

std::vector<WindowMessageRecorder::Message> WindowMessageRecorder::Messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

size_t WindowMessageRecorder::Count(uint32_t message) const
{
    std::lock_guard lock(mutex_);
    return static_cast<size_t>(std::count_if(messages_.begin(), messages_.end(),
                                             [&](const Message& m) { return m.message == message; }));
}

bool WindowMessageRecorder::WaitFor(uint32_t message, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return std::any_of(messages_.begin(), messages_.end(),
                           [&](const Message& m) { return m.message == message; });
    });
}

} // namespace platform
