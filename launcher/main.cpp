#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>

#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"
#include "launcher/CStartupApp.h"
#include "platform/ProgramFolder.h"

namespace {

platform::MessageAnswer ShowStartupMessageBox(const platform::MessageBoxRequest& request)
{
    platform::MessageBoxRequest shown = request;
    if (shown.caption.empty())
        shown.caption = CStartupApp::kApplication;
    return GuiPlatform::ShowQtMessageBox(shown);
}

} // namespace

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
    const char* boxes = std::getenv("PELAGOR_BOXES");
    std::unique_ptr<GuiPlatform> platform;
    if (boxes != nullptr && std::string(boxes) == "stderr")
        platform = std::make_unique<GuiPlatform>(&GuiPlatform::WriteToStandardError);
    else
        platform = std::make_unique<GuiPlatform>(&ShowStartupMessageBox);
    CStartupApp app;
    const int result = app.InitInstance(folder);
    platform.reset();
    return result;
}
