#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "launcher/ProcessStarter.h"
#include "launcher/StartCommand.h"
#include "tests/launcher/LauncherTree.h"
#include "tests/launcher/StartedProgram.h"
#include "tests/support/ScopedEnvironment.h"

namespace {

// Descriptors that a careless start would hand on: no close-on-exec flag.
class OpenDescriptors {
public:
    OpenDescriptors()
    {
        file_ = ::open("/dev/null", O_RDONLY);
        if (::pipe(pipe_) != 0)
            pipe_[0] = pipe_[1] = -1;
    }
    ~OpenDescriptors()
    {
        for (const int fd : {file_, pipe_[0], pipe_[1]})
            if (fd >= 0)
                ::close(fd);
    }
    bool Open() const { return file_ > 2 && pipe_[0] > 2 && pipe_[1] > 2; }

private:
    int file_ = -1;
    int pipe_[2] = {-1, -1};
};

} // namespace

TEST(ProcessStarter, StartsTheMainProgramAsTheLauncherWould)
{
    testsupport::LauncherTree tree(START_RECORDER_PATH);
    testsupport::ScopedEnvironment probe("PELAGOR_LAUNCHER_PROBE", "inherited");
    OpenDescriptors descriptors;
    ASSERT_TRUE(descriptors.Open());

    const StartCommand command =
        StartCommand::Build("..\\Protocols\\Generic\\Halyard.so /chip \"QZ6F1C x\" /ec", tree.Folder());
    ASSERT_TRUE(command.startable) << command.message;
    ProcessStarter starter;
    ASSERT_EQ(starter.Start(command.programPath, command.arguments, command.workingFolder), 0);
    const pid_t pid = starter.LastStarted();
    ASSERT_GT(pid, 0);

    testsupport::StartedProgram started;
    ASSERT_TRUE(testsupport::WaitForStart(tree.Files().Path(), started));
    EXPECT_EQ(started.folder, tree.Files().Path().string());
    EXPECT_EQ(started.argv0, tree.Folder() + "General/Marlinex");
    EXPECT_EQ(started.arguments, (std::vector<std::string>{"..\\Protocols\\Generic\\Halyard.so", "/chip", "QZ6F1C x", "/ec"}));
    EXPECT_EQ(started.environment, "inherited");
    EXPECT_EQ(started.descriptors, (std::set<int>{0, 1, 2}));

    // Once it has ended it stays a zombie until reaped.
    while (testsupport::ProcessState(pid) != 'Z') {
        ASSERT_NE(testsupport::ProcessState(pid), 0) << "reaped by someone else";
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(testsupport::ReapAll(starter));
    EXPECT_EQ(testsupport::ProcessState(pid), 0);
    errno = 0;
    EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(ProcessStarter, StartReapsWhatHasEnded)
{
    testsupport::LauncherTree tree(START_RECORDER_PATH);
    const StartCommand command = StartCommand::Build("..\\Protocols\\Generic\\Halyard.so", tree.Folder());
    ProcessStarter starter;
    ASSERT_EQ(starter.Start(command.programPath, command.arguments, command.workingFolder), 0);
    const pid_t first = starter.LastStarted();
    testsupport::StartedProgram started;
    ASSERT_TRUE(testsupport::WaitForStart(tree.Files().Path(), started));
    while (testsupport::ProcessState(first) != 'Z') {
        ASSERT_NE(testsupport::ProcessState(first), 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }

    ASSERT_EQ(starter.Start(command.programPath, command.arguments, command.workingFolder), 0);
    EXPECT_EQ(testsupport::ProcessState(first), 0);
    EXPECT_EQ(starter.Running(), std::vector<pid_t>{starter.LastStarted()});
    EXPECT_TRUE(testsupport::ReapAll(starter));
}

struct FailureCase {
    const char* name;
    mode_t mode;
    bool removeFolder;
    int code;
};

class ProcessStarterFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ProcessStarterFailure, GivesTheSystemsCode)
{
    const FailureCase& c = GetParam();
    testsupport::LauncherTree tree(START_RECORDER_PATH);
    ASSERT_EQ(::chmod((tree.Folder() + "General/Marlinex").c_str(), c.mode), 0);
    StartCommand command = StartCommand::Build("..\\Protocols\\Generic\\Halyard.so", tree.Folder());
    ASSERT_TRUE(command.startable) << command.message;
    if (c.removeFolder)
        command.workingFolder = tree.Folder() + "Gone/";

    ProcessStarter starter;
    const int code = starter.Start(command.programPath, command.arguments, command.workingFolder);
    EXPECT_EQ(code, c.code);
    EXPECT_TRUE(starter.Running().empty());
    EXPECT_EQ(command.StartFailureText(code),
              "Not able start the Pelagor. Return code " + std::to_string(c.code) +
                  "\nProgram: General/Marlinex\nParameters: \"General/Marlinex\" ..\\Protocols\\Generic\\Halyard.so");
    // A start that failed leaves no child behind.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

INSTANTIATE_TEST_SUITE_P(Starts, ProcessStarterFailure,
                         ::testing::Values(FailureCase{"not_executable", 0644, false, EACCES},
                                           FailureCase{"no_working_folder", 0755, true, ENOENT}),
                         [](const auto& info) { return std::string(info.param.name); });
