// The test agent: preloaded into the programs of the road, it drives their windows as a user
// would, once the program has made its QApplication.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <QCoreApplication>

#include "tests/e2e/ReportLine.h"
#include "tests/e2e/agent/MarlinexRoad.h"
#include "tests/e2e/agent/ReportWriter.h"
#include "tests/e2e/agent/StartupRoad.h"

namespace {

std::string ProgramName()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).filename().string();
}

void StartRoad()
{
    const char* report = std::getenv(e2e::kReportVariable);
    if (report == nullptr)
        return;
    const std::string program = ProgramName();
    // Lives as long as the process: the roads write to it until the end.
    static const ReportWriter writer(report, program);
    QCoreApplication* application = QCoreApplication::instance();
    if (program == "Startup")
        (new StartupRoad(writer, application))->Start();
    else if (program == "Marlinex")
        (new MarlinexRoad(writer, application))->Start();
    else
        writer.Write("fail", "no road for this program");
}

// Called while the QApplication is being made: the road starts from its event loop.
void OnApplication()
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), &StartRoad, Qt::QueuedConnection);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(OnApplication)
