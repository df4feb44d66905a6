#include <memory>

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
    auto platform = std::make_unique<GuiPlatform>(GuiPlatform::PresenterFromEnvironment());
    CMarlinexApp app;
    const int result = app.InitInstance(argc, argv);
    platform.reset();
    return result;
}
