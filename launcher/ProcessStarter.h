#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// Starts programs without a shell and without a path search, and does not wait for them.
// The pids started are kept, so that Reap can collect the ones that have ended and none is
// left a zombie; those still running when the starter goes are adopted by init once this
// process ends. Only its own children are waited for: the process's SIGCHLD handling is left
// as it is.
class ProcessStarter {
public:
    ProcessStarter() = default;
    ~ProcessStarter();
    ProcessStarter(const ProcessStarter&) = delete;
    ProcessStarter& operator=(const ProcessStarter&) = delete;

    // Starts programPath (argv[0]) with arguments in workingFolder, with this process's
    // environment and only the standard descriptors 0, 1 and 2. Returns 0, or the error code
    // the start failed with. Reaps first.
    int Start(const std::string& programPath, const std::vector<std::string>& arguments,
              const std::string& workingFolder);

    // Collects every started program that has ended; returns how many are still running.
    size_t Reap();
    const std::vector<pid_t>& Running() const { return running_; }
    pid_t LastStarted() const { return lastStarted_; }

private:
    std::vector<pid_t> running_;
    pid_t lastStarted_ = 0;
};
