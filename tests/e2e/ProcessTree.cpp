#include "tests/e2e/ProcessTree.h"

#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ProcessTree::ProcessTree()
{
    int subreaper = 0;
    prctl(PR_GET_CHILD_SUBREAPER, &subreaper);
    wasSubreaper_ = subreaper != 0;
    // The orphans of the tree come to this process, which learns how they ended.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
}

ProcessTree::~ProcessTree()
{
    if (!ReapEnded())
        KillAll({});
    if (!wasSubreaper_)
        prctl(PR_SET_CHILD_SUBREAPER, 0);
}

pid_t ProcessTree::Start(const std::string& program, const std::vector<std::string>& arguments,
                         const std::vector<std::string>& environment, const std::string& folder,
                         const std::string& outputFile, std::string* error)
{
    std::vector<std::string> argv = arguments;
    std::vector<std::string> envp = environment;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int result =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, Pointers(argv).data(), Pointers(envp).data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        if (error != nullptr)
            *error = std::strerror(result);
        return -1;
    }
    if (group_ < 0)
        group_ = pid;
    return pid;
}

bool ProcessTree::ReapEnded()
{
    for (;;) {
        int status = 0;
        const pid_t pid = waitpid(-1, &status, WNOHANG);
        if (pid > 0) {
            ended_[pid] = status;
            continue;
        }
        return pid < 0 && errno == ECHILD;
    }
}

bool ProcessTree::WaitUntilGone(std::chrono::steady_clock::time_point deadline)
{
    while (!ReapEnded()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

void ProcessTree::KillAll(const std::vector<pid_t>& others)
{
    if (group_ > 0)
        kill(-group_, SIGKILL);
    // A pid reaped already may be another process's by now.
    for (const pid_t pid : others)
        if (pid > 0 && ended_.count(pid) == 0)
            kill(pid, SIGKILL);
    // Killed processes end at once; their parents may go first, handing them to this one.
    WaitUntilGone(std::chrono::steady_clock::now() + std::chrono::seconds(5));
}

std::vector<std::string> Environment(const std::vector<std::pair<std::string, std::string>>& set,
                                     const std::vector<std::string>& drop)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        bool kept = true;
        for (const auto& [setName, value] : set)
            kept = kept && name != setName;
        for (const std::string& dropped : drop)
            kept = kept && name != dropped;
        if (kept)
            environment.push_back(text);
    }
    for (const auto& [name, value] : set)
        environment.push_back(name + "=" + value);
    return environment;
}

std::string Describe(int status)
{
    if (WIFEXITED(status))
        return "exit " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return "signal " + std::to_string(WTERMSIG(status));
    return "status " + std::to_string(status);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace e2e
