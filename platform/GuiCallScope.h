#pragma once

#include <functional>

namespace platform {

// Marks the GUI thread as being inside a call into the engine or the store. Such a call may
// wait on a worker thread, so while one is open a worker must not wait on the GUI thread
// (message boxes get their default answer), and messages that end a capture or a file read are
// held back until the outermost scope has closed. Scopes nest; GUI thread only.
class GuiCallScope {
public:
    GuiCallScope();
    ~GuiCallScope();
    GuiCallScope(const GuiCallScope&) = delete;
    GuiCallScope& operator=(const GuiCallScope&) = delete;

    // Any thread.
    static bool Active();

    // Called on the GUI thread when the outermost scope opens and after it has closed. One
    // listener of each kind per key; an empty function removes it.
    enum class Listener { MessageBoxes, WindowMessages };
    static void SetListener(Listener key, std::function<void()> onEnter, std::function<void()> onLeave);
};

} // namespace platform
