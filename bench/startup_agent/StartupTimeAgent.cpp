// The start-up time bench's agent: preloaded into the launcher and the main program, it
// reports the first paint of their windows and plays the user just enough to go on.
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <QCoreApplication>

#include "bench/startup_agent/LauncherRole.h"
#include "bench/startup_agent/MainWindowRole.h"
#include "bench/startup_agent/ProcessProgram.h"
#include "bench/startup_agent/StartupTimeReport.h"
#include "tests/e2e/agent/ReportWriter.h"

namespace {

// Called while the QApplication is being made: the watch is in place before any window shows.
void OnApplication()
{
    const char* report = std::getenv(startupbench::kReportVariable);
    if (report == nullptr)
        return;
    const std::string program = startupbench::ProcessProgram(getpid());
    // Lives as long as the process: the roles write to it until the end.
    static const ReportWriter writer(report, program);
    QCoreApplication* application = QCoreApplication::instance();
    if (program == "Startup")
        new LauncherRole(writer, application);
    else if (program == "Marlinex")
        new MainWindowRole(writer, application);
    else
        writer.Write("fail", "no part for this program");
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(OnApplication)
