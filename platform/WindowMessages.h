#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A window that can receive posted messages; 0 is no window. The GUI hands out the handles.
using WindowHandle = uint64_t;

constexpr uint32_t WM_ADDRBOOK_PENDING = 0x8001;
constexpr uint32_t WM_CAPTURE_STOPPED = 0x8002;
constexpr uint32_t WM_FILE_READ_DONE = 0x8012;
constexpr uint32_t WM_BUSY_STATE = 0x8013;
constexpr uint32_t WM_BLE_LTK_UPDATE = 0x8014;

// Delivers posted messages to the GUI thread's windows; a window that is gone drops them.
class WindowMessageSink {
public:
    virtual ~WindowMessageSink() = default;
    virtual void Post(WindowHandle target, uint32_t message, uint64_t wParam, int64_t lParam) = 0;
    // A message that carries a text: the sink keeps its own copy until it is delivered.
    virtual void PostText(WindowHandle target, uint32_t message, const std::string& text)
    {
        (void)text;
        Post(target, message, 0, 0);
    }
};

// Installs sink (nullptr: none, messages are dropped); returns the one installed before.
WindowMessageSink* InstallWindowMessageSink(WindowMessageSink* sink);

// Queues the message for target and returns at once; false when there is no target or sink.
bool PostWindowMessage(WindowHandle target, uint32_t message, uint64_t wParam = 0, int64_t lParam = 0);
// The same for a message that carries a text; the caller's text may go at once.
bool PostWindowText(WindowHandle target, uint32_t message, const std::string& text);

} // namespace platform
