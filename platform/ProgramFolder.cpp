#include "platform/ProgramFolder.h"

#include <unistd.h>

#include <vector>

#include "platform/PathText.h"

namespace platform {

std::string ProgramFolder()
{
    std::vector<char> path(4096);
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<size_t>(length) >= path.size())
        return {};
    std::string file(path.data(), static_cast<size_t>(length));
    const size_t cut = LastPathSeparator(file);
    return cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
}

} // namespace platform
