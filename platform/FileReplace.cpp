#include "platform/FileReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/TextFormat.h"

namespace platform {

namespace {

constexpr int kTemporaryAttempts = 100;

} // namespace

int WriteAll(int fd, const void* data, size_t length)
{
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < length) {
        const ssize_t wrote = ::write(fd, bytes + done, length - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return wrote < 0 ? errno : EIO;
        done += static_cast<size_t>(wrote);
    }
    return 0;
}

int CloseChecked(int fd)
{
    // Linux releases the descriptor even when close reports EINTR: never retry.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

std::string ResolveLinkTarget(const std::string& path)
{
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return path;
    return resolved;
}

int CreateTemporaryBeside(const std::string& target, size_t stemLimit, std::string* temporary)
{
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string stem = (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, stemLimit);
    static std::atomic<unsigned> counter{0};
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryAttempts && fd < 0; ++attempt) {
        *temporary = FormatText("%s.%s.tmp-%ld-%u", folder.c_str(), stem.c_str(), static_cast<long>(::getpid()),
                                counter.fetch_add(1));
        fd = ::open(temporary->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    return fd;
}

} // namespace platform
