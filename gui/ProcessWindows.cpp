#include "gui/ProcessWindows.h"

#include <atomic>
#include <string>

#include "platform/TextFormat.h"

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

void OnBleLtkUpdate(const uint8_t* key)
{
    const platform::WindowHandle panel = g_standardRadioPanel.load();
    if (panel == 0 || key == nullptr)
        return;
    std::string text;
    for (int i = 0; i < 16; ++i) {
        if (i > 0)
            text += ':';
        text += platform::FormatText("%02x", key[i]);
    }
    platform::PostWindowText(panel, platform::WM_BLE_LTK_UPDATE, text);
}
