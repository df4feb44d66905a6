#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include "gui/CMarlinexApp.h"
#include "gui/CMarlinexDlg.h"
#include "platform/dravik/BoardFile.h"
#include "tests/gui/MainWindowFixture.h"

namespace {

struct Seen {
    int windows = 0;
    std::string pluginPath;
    std::string deviceName;
    std::string configuration;
    bool extendedChannels = false;
    bool hardwareFilters = false;
    bool loaded = false;
};

CMarlinexDlg* OpenMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<CMarlinexDlg*>(widget); window != nullptr && window->isVisible())
            return window;
    return nullptr;
}

// Runs the application object on a command line; the user closes the window as soon as it shows.
Seen RunApplication(const std::vector<std::string>& arguments, int& result)
{
    // No board attached: no device selection replaces the device name of the command line.
    const std::filesystem::path boards = BoardFile::Path();
    std::filesystem::create_directories(boards.parent_path());
    std::ofstream(boards) << "# no board\n";

    Seen seen;
    std::function<void()> closeWhenShown = [&] {
        CMarlinexDlg* window = OpenMainWindow();
        if (window == nullptr) {
            QTimer::singleShot(10, closeWhenShown);
            return;
        }
        ++seen.windows;
        seen.pluginPath = window->PluginPath();
        seen.deviceName = window->DeviceName();
        seen.configuration = window->ConfigurationFileName();
        seen.extendedChannels = window->ExtendedChannels();
        seen.hardwareFilters = window->HardwareFilters();
        seen.loaded = window->PluginLoaded();
        window->close();
    };
    QTimer::singleShot(0, closeWhenShown);
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    CMarlinexApp app;
    result = app.InitInstance(static_cast<int>(argv.size()), argv.data(), PELAGOR_TEST_PROGRAM_DIR "/");
    return seen;
}

struct CommandLineCase {
    const char* name;
    std::vector<std::string> arguments; // after the program name; {plugin} is the plug-in
    std::string device;
    std::string configuration;
    bool extendedChannels;
    bool hardwareFilters;
    bool loads; // a device name asks for the description file named after it
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.name; }

class MarlinexAppCommandLine : public testsupport::MainWindowFixture,
                               public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(MarlinexAppCommandLine, HandsTheCommandLineToOneWindowThatIsRunAndDestroyedOnce)
{
    const CommandLineCase& c = GetParam();
    const std::string plugin = Plugin("Generic/Halyard.so");
    std::vector<std::string> arguments{"Marlinex"};
    for (const std::string& argument : c.arguments)
        arguments.push_back(argument == "{plugin}" ? plugin : argument);
    int result = -7;
    const Seen seen = RunApplication(arguments, result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(seen.windows, 1);
    EXPECT_EQ(seen.loaded, c.loads);
    EXPECT_EQ(seen.pluginPath, plugin);
    EXPECT_EQ(seen.deviceName, c.device);
    EXPECT_EQ(seen.configuration, c.configuration);
    EXPECT_EQ(seen.extendedChannels, c.extendedChannels);
    EXPECT_EQ(seen.hardwareFilters, c.hardwareFilters);
    EXPECT_EQ(OpenMainWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MarlinexAppCommandLine,
    ::testing::Values(CommandLineCase{"path_only", {"{plugin}"}, "", "", false, false, true},
                      CommandLineCase{"every_switch",
                                      {"{plugin}", "/ec", "/hf", "/chip", "QZ6F87", "/config", "my.prs"},
                                      "QZ6F87", "my.prs", true, true, false},
                      CommandLineCase{"switches_first", {"-hf", "/chip", "QZ6F1C", "{plugin}"}, "QZ6F1C", "", false, true, false},
                      CommandLineCase{"ignored_switches", {"/le", "{plugin}", "/protocol", "802.15.4"}, "", "", false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The usage path ends the process: it runs in a process of its own.
struct UsageCase {
    const char* name;
    const char* arguments;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class MarlinexAppUsage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(MarlinexAppUsage, WithoutAPluginPathShowsTheUsageAndEndsWith255)
{
    const std::string command = std::string("PELAGOR_BOXES=stderr QT_QPA_PLATFORM=offscreen '") + MARLINEX_PATH + "' " +
                                GetParam().arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 255) << output;
    EXPECT_NE(output.find("Usage: Marlinex \"plugin path\" /le /ec /hf /chip \"device name\" /config "
                          "\"configuration file name\" /protocol \"protocol name\""),
              std::string::npos)
        << output;
}

INSTANTIATE_TEST_SUITE_P(Cases, MarlinexAppUsage,
                         ::testing::Values(UsageCase{"nothing", ""}, UsageCase{"switches_only", "/ec /hf"},
                                           UsageCase{"chip_without_path", "/chip QZ6F87"},
                                           UsageCase{"chip_name_missing", "/opt/x/Halyard.so /chip"}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
