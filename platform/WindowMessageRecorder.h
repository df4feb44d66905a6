#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/WindowMessages.h"

namespace platform {

// Records posted messages while it lives (for tests); installs itself on construction.
class WindowMessageRecorder : public WindowMessageSink {
public:
    struct Message {
        WindowHandle target;
        uint32_t message;
        uint64_t wParam;
        int64_t lParam;
    };

    WindowMessageRecorder();
    ~WindowMessageRecorder() override;
    WindowMessageRecorder(const WindowMessageRecorder&) = delete;
    WindowMessageRecorder& operator=(const WindowMessageRecorder&) = delete;

    void Post(WindowHandle target, uint32_t message, uint64_t wParam, int64_t lParam) override;
    std::vector<Message> Messages() const;
    size_t Count(uint32_t message) const;
    // Waits up to timeoutMs for a message of that kind; true when one arrived.
    bool WaitFor(uint32_t message, int timeoutMs);

private:
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<Message> messages_;
    WindowMessageSink* previous_;
};

} // namespace platform
