#pragma once

#include <string>

namespace platform {

// printf-style formatting into a string, for the system's fixed message texts.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
