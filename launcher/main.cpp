#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>

#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"
#include "launcher/CStartupApp.h"
#include "platform/ProgramFolder.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(CStartupApp::kApplication));
    PrepareGuiProcess();
    // The table and the program tree are found relative to the launcher, wherever it was
    // started from.
    const std::string folder = platform::ProgramFolder();
    if (!folder.empty() && chdir(folder.c_str()) != 0)
        std::perror(folder.c_str());
    // PELAGOR_BOXES=stderr: no message box waits for a user; texts go to standard error.
    auto platform = std::make_unique<GuiPlatform>(GuiPlatform::PresenterFromEnvironment());
    CStartupApp app;
    const int result = app.InitInstance(folder);
    platform.reset();
    return result;
}
