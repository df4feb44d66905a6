#include "platform/GuiCallScope.h"

#include <array>
#include <atomic>

namespace platform {

namespace {

struct Hooks {
    std::function<void()> enter;
    std::function<void()> leave;
};

std::atomic<int> g_depth{0};
// Touched on the GUI thread only.
std::array<Hooks, 2> g_hooks;

} // namespace

GuiCallScope::GuiCallScope()
{
    if (g_depth.fetch_add(1) == 0) {
        for (const Hooks& hooks : g_hooks)
            if (hooks.enter)
                hooks.enter();
    }
}

GuiCallScope::~GuiCallScope()
{
    if (g_depth.fetch_sub(1) == 1) {
        for (const Hooks& hooks : g_hooks)
            if (hooks.leave)
                hooks.leave();
    }
}

bool GuiCallScope::Active()
{
    return g_depth.load() > 0;
}

void GuiCallScope::SetListener(Listener key, std::function<void()> onEnter, std::function<void()> onLeave)
{
    g_hooks[static_cast<size_t>(key)] = Hooks{std::move(onEnter), std::move(onLeave)};
}

} // namespace platform
