#include "platform/WindowMessages.h"

#include <mutex>

namespace platform {

namespace {
std::mutex g_mutex;
WindowMessageSink* g_sink = nullptr;
} // namespace

WindowMessageSink* InstallWindowMessageSink(WindowMessageSink* sink)
{
    std::lock_guard lock(g_mutex);
    WindowMessageSink* previous = g_sink;
    g_sink = sink;
    return previous;
}

bool PostWindowMessage(WindowHandle target, uint32_t message, uint64_t wParam, int64_t lParam)
{
    if (target == 0)
        return false;
    // Held while posting, so a sink is never uninstalled under a poster.
    std::lock_guard lock(g_mutex);
    if (g_sink == nullptr)
        return false;
    g_sink->Post(target, message, wParam, lParam);
    return true;
}

} // namespace platform

namespace platform {

bool PostWindowText(WindowHandle target, uint32_t message, const std::string& text)
{
    if (target == 0)
        return false;
    std::lock_guard lock(g_mutex);
    if (g_sink == nullptr)
        return false;
    g_sink->PostText(target, message, text);
    return true;
}

} // namespace platform
