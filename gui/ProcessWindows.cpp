#include "gui/ProcessWindows.h"

#include <atomic>

namespace {
// Read by callbacks on any thread.
std::atomic<platform::WindowHandle> g_mainWindow{0};
std::atomic<platform::WindowHandle> g_standardRadioPanel{0};
} // namespace

void SetProcessWindows(platform::WindowHandle mainWindow, platform::WindowHandle standardRadioPanel)
{
    g_mainWindow = mainWindow;
    g_standardRadioPanel = standardRadioPanel;
}

void ClearProcessWindows(platform::WindowHandle mainWindow)
{
    if (g_mainWindow.load() != mainWindow)
        return;
    g_mainWindow = 0;
    g_standardRadioPanel = 0;
}

platform::WindowHandle MainWindowHandle()
{
    return g_mainWindow.load();
}

platform::WindowHandle StandardRadioWindowHandle()
{
    return g_standardRadioPanel.load();
}
