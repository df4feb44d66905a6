#include "launcher/ProcessStarter.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace {

class FileActions {
public:
    FileActions() { status_ = posix_spawn_file_actions_init(&actions_); }
    ~FileActions()
    {
        if (status_ == 0)
            posix_spawn_file_actions_destroy(&actions_);
    }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    int Status() const { return status_; }
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
    int status_;
};

} // namespace

ProcessStarter::~ProcessStarter()
{
    Reap();
}

int ProcessStarter::Start(const std::string& programPath, const std::vector<std::string>& arguments,
                          const std::string& workingFolder)
{
    Reap();
    FileActions actions;
    if (actions.Status() != 0)
        return actions.Status();
    if (const int status = posix_spawn_file_actions_addchdir_np(actions.Get(), workingFolder.c_str()); status != 0)
        return status;
    if (const int status = posix_spawn_file_actions_addclosefrom_np(actions.Get(), 3); status != 0)
        return status;

    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(programPath.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = 0;
    const int status = posix_spawn(&pid, programPath.c_str(), actions.Get(), nullptr, argv.data(), environ);
    if (status != 0)
        return status;
    running_.push_back(pid);
    lastStarted_ = pid;
    return 0;
}

size_t ProcessStarter::Reap()
{
    running_.erase(std::remove_if(running_.begin(), running_.end(),
                                  [](pid_t pid) {
                                      int status = 0;
                                      pid_t result;
                                      do
                                          result = waitpid(pid, &status, WNOHANG);
                                      while (result < 0 && errno == EINTR);
                                      // Ended and collected, or not (any longer) ours to wait for.
                                      return result == pid || (result < 0 && errno == ECHILD);
                                  }),
                   running_.end());
    return running_.size();
}
