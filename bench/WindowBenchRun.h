#pragma once

#include <cstdio>
#include <cstdlib>

#include <QApplication>

#include "core/host/PluginHandler.h"
#include "core/tables/PelagorTable.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"

namespace benchsupport {

// What every window benchmark stands on: a headless QApplication prepared as the program's,
// boxes written to standard error, and the Tolvane plug-in of the program tree, loaded as the
// main window loads it (its tables name fields by the plug-in's own names).
class WindowBenchRun {
public:
    WindowBenchRun(int& argc, char** argv)
        : offscreen_(setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0), application_(argc, argv),
          platform_(Prepared())
    {
        loaded_ = host_.Load(PELAGOR_PROTOCOLS_DIR "/Tolvane/Tolvane.so", "") == 1;
        if (loaded_)
            PelagorTable::SetPluginHandler(&host_);
        else
            std::fprintf(stderr, "the plug-in did not load\n");
    }
    ~WindowBenchRun() { PelagorTable::SetPluginHandler(nullptr); }
    WindowBenchRun(const WindowBenchRun&) = delete;
    WindowBenchRun& operator=(const WindowBenchRun&) = delete;

    bool Loaded() const { return loaded_; }
    PluginHandler& Host() { return host_; }

private:
    static platform::MessageBoxQueue::Presenter Prepared()
    {
        PrepareGuiProcess();
        return &GuiPlatform::WriteToStandardError;
    }

    bool offscreen_;
    QApplication application_;
    GuiPlatform platform_;
    PluginHandler host_;
    bool loaded_ = false;
};

} // namespace benchsupport
