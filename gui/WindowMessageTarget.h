#pragma once

#include <cstdint>
#include <string>

#include "platform/WindowMessages.h"

// A window that receives posted window messages. Its handle stays valid after it is gone:
// messages posted to it then are dropped.
class WindowMessageTarget {
public:
    WindowMessageTarget();
    virtual ~WindowMessageTarget();
    WindowMessageTarget(const WindowMessageTarget&) = delete;
    WindowMessageTarget& operator=(const WindowMessageTarget&) = delete;

    platform::WindowHandle Handle() const { return handle_; }

    // GUI thread. text is set for messages that carry one.
    virtual void OnWindowMessage(uint32_t message, uint64_t wParam, int64_t lParam,
                                 const std::string& text) = 0;

    // The live target of a handle, or null; GUI thread.
    static WindowMessageTarget* Find(platform::WindowHandle handle);

private:
    platform::WindowHandle handle_;
};
