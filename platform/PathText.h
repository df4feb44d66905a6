#pragma once

#include <string>
#include <string_view>

namespace platform {

// Paths from files, INI entries and the command line may be written with '\' between
// folder names; the program uses '/'.
inline bool IsPathSeparator(char c)
{
    return c == '/' || c == '\\';
}

inline std::string ToNativePath(std::string_view path)
{
    std::string native(path);
    for (char& c : native)
        if (c == '\\')
            c = '/';
    return native;
}

// Position of the last separator of either kind, or npos.
inline size_t LastPathSeparator(std::string_view path)
{
    return path.find_last_of("/\\");
}

} // namespace platform
