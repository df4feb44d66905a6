#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

// The processes of one run: the first one started in a process group of its own, and every
// process it starts after it, which this process takes over as their reaper once their parent
// has gone (a launcher does not wait for what it starts). GUI-free, no threads.
class ProcessTree {
public:
    ProcessTree();
    ~ProcessTree();
    ProcessTree(const ProcessTree&) = delete;
    ProcessTree& operator=(const ProcessTree&) = delete;

    // Starts program with arguments (argv[0] is program) and environment in folder, standard
    // output and error into outputFile. The pid, or -1 (errno in error).
    pid_t Start(const std::string& program, const std::vector<std::string>& arguments,
                const std::vector<std::string>& environment, const std::string& folder,
                const std::string& outputFile, std::string* error);

    // Reaps what has ended; true once no process of the tree is left.
    bool ReapEnded();
    // Waits until no process is left, reaping, until the deadline; false when some remain.
    bool WaitUntilGone(std::chrono::steady_clock::time_point deadline);
    // Ends the group and the processes named (those not reaped yet), and reaps them.
    void KillAll(const std::vector<pid_t>& others);

    // The wait status of every process reaped, by pid.
    const std::map<pid_t, int>& Ended() const { return ended_; }

private:
    pid_t group_ = -1;
    bool wasSubreaper_ = false;
    std::map<pid_t, int> ended_;
};

// This process's environment with set put in (replacing what was there) and drop left out.
std::vector<std::string> Environment(const std::vector<std::pair<std::string, std::string>>& set,
                                     const std::vector<std::string>& drop);
// A wait status as words: "exit 0", "signal 9".
std::string Describe(int status);
// The whole text of a file; empty when it cannot be read.
std::string ReadText(const std::string& path);

} // namespace e2e
