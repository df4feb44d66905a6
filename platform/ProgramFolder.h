#pragma once

#include <string>

namespace platform {

// The folder of the running program, with its trailing '/'; empty when it cannot be told.
std::string ProgramFolder();

} // namespace platform
