#include "gui/CMarlinexApp.h"

#include <memory>

#include "core/host/CPelagorCommandLineInfo.h"
#include "gui/CMarlinexDlg.h"

int CMarlinexApp::InitInstance(int argc, const char* const* argv, const std::string& programFolder)
{
    CPelagorCommandLineInfo commandLine("Marlinex");
    ParseCommandLine(argc, argv, commandLine);

    // Built before the path is tested; it lives until the window has closed.
    auto window = std::make_unique<CMarlinexDlg>(nullptr, programFolder);
    window->SetExtendedChannels(commandLine.ec);
    window->SetPluginPath(commandLine.fileName);
    if (commandLine.fileName.empty())
        commandLine.Usage();
    window->SetHardwareFilters(commandLine.hf);
    window->SetDeviceName(commandLine.chip);
    window->SetConfigurationFileName(commandLine.config);
    window->DoModal();
    window.reset();
    return 0;
}
