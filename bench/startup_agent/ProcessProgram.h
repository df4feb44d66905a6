#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace startupbench {

// The file name of the program a process runs ("" when it cannot be read).
inline std::string ProcessProgram(pid_t pid)
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error).filename().string();
}

} // namespace startupbench
