#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "launcher/ProcessStarter.h"

namespace testsupport {

// What the start recorder fixture wrote down about its start.
struct StartedProgram {
    std::string folder;
    std::string argv0;
    std::vector<std::string> arguments;
    std::string environment;
    std::set<int> descriptors;
};

// Waits for the fixture's "started.txt" in folder; false when it did not come.
inline bool WaitForStart(const std::filesystem::path& folder, StartedProgram& started)
{
    const std::filesystem::path report = folder / "started.txt";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(report)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(report);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "cwd")
            started.folder = value;
        else if (key == "argv0")
            started.argv0 = value;
        else if (key == "arg")
            started.arguments.push_back(value);
        else if (key == "env")
            started.environment = value;
        else if (key == "fd")
            started.descriptors.insert(std::stoi(value));
    }
    return true;
}

// The process state letter of /proc/<pid>/stat ('Z' for a zombie); 0 when there is no such
// process.
inline char ProcessState(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    return close == std::string::npos || close + 2 >= stat.size() ? 0 : stat[close + 2];
}

// Reaps until every started program is collected; false when one would not end.
inline bool ReapAll(ProcessStarter& starter)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (starter.Reap() != 0) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace testsupport
