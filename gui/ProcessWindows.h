#pragma once

#include <cstdint>

#include "platform/WindowMessages.h"

// The two windows that process-wide callbacks post to: the main window (busy state) and the
// standard radio panel (new key texts). Set at the end of the main window's initialisation.
void SetProcessWindows(platform::WindowHandle mainWindow, platform::WindowHandle standardRadioPanel);
// Forgets both when they belong to this main window.
void ClearProcessWindows(platform::WindowHandle mainWindow);
platform::WindowHandle MainWindowHandle();
platform::WindowHandle StandardRadioWindowHandle();

// The plug-in's new long-term key: its 16 bytes as "%02x" joined by ':' go to the standard radio
// panel. Posted, not sent: the decoding thread may be the one the GUI thread is waiting for.
void OnBleLtkUpdate(const uint8_t* key);
