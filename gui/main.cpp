#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>

#include "gui/CMarlinexApp.h"
#include "gui/GuiPlatform.h"
#include "gui/GuiStartup.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Marlinex"));
    PrepareGuiProcess();
    // PELAGOR_BOXES=stderr: no message box waits for a user; texts go to standard error.
    const char* boxes = std::getenv("PELAGOR_BOXES");
    std::unique_ptr<GuiPlatform> platform;
    if (boxes != nullptr && std::string(boxes) == "stderr")
        platform = std::make_unique<GuiPlatform>(&GuiPlatform::WriteToStandardError);
    else
        platform = std::make_unique<GuiPlatform>();
    CMarlinexApp app;
    const int result = app.InitInstance(argc, argv);
    platform.reset();
    return result;
}
