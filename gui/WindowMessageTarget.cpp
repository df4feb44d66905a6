#include "gui/WindowMessageTarget.h"

#include <atomic>
#include <unordered_map>

namespace {
std::atomic<platform::WindowHandle> g_nextHandle{1};
// Registered, looked up and removed on the GUI thread only.
std::unordered_map<platform::WindowHandle, WindowMessageTarget*> g_targets;
} // namespace

WindowMessageTarget::WindowMessageTarget() : handle_(g_nextHandle.fetch_add(1))
{
    g_targets[handle_] = this;
}

WindowMessageTarget::~WindowMessageTarget()
{
    g_targets.erase(handle_);
}

WindowMessageTarget* WindowMessageTarget::Find(platform::WindowHandle handle)
{
    const auto it = g_targets.find(handle);
    return it == g_targets.end() ? nullptr : it->second;
}
