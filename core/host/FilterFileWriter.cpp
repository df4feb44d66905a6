#include "core/host/FilterFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/TextFormat.h"

namespace {

constexpr int kTemporaryAttempts = 100;

std::string OpenFailure(const std::string& path)
{
    return platform::FormatText("Not able to open table: %s", path.c_str());
}

std::string Failure(const char* what, const std::string& path, int error)
{
    return platform::FormatText("Not able to %s table: %s\n%s", what, path.c_str(), std::strerror(error));
}

// 0, or the errno of the first failed write.
int WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return wrote < 0 ? errno : EIO;
        done += static_cast<size_t>(wrote);
    }
    return 0;
}

// 0, or the errno of a failed close.
int CloseChecked(int fd)
{
    // Linux releases the descriptor even when close reports EINTR: never retry.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

// The file that path names: a symbolic link is followed, so that saving keeps the link.
std::string ResolveTarget(const std::string& path)
{
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr)
        return path; // a dangling link is replaced
    return resolved;
}

bool WriteDevice(const std::string& path, const std::string& target, const std::string& bytes, std::string* message)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        *message = OpenFailure(path);
        return false;
    }
    int error = WriteAll(fd, bytes);
    const int closeError = CloseChecked(fd);
    if (error == 0)
        error = closeError;
    if (error != 0) {
        *message = Failure("write", path, error);
        return false;
    }
    return true;
}

} // namespace

bool FilterFileWriter::Write(const std::string& path, const std::string& bytes, std::string* message)
{
    std::string ignored;
    if (message == nullptr)
        message = &ignored;
    const std::string target = ResolveTarget(path);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode))
        return WriteDevice(path, target, bytes, message);
    // Renaming would replace a file that its owner made read-only.
    if (exists && S_ISREG(existing.st_mode) && ::access(target.c_str(), W_OK) != 0) {
        *message = OpenFailure(path);
        return false;
    }

    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    if (base.empty()) {
        *message = OpenFailure(path); // no file name, only a folder
        return false;
    }
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < kTemporaryAttempts && fd < 0; ++attempt) {
        temporary = platform::FormatText("%s.%s.tmp-%ld-%u", folder.c_str(), base.c_str(),
                                         static_cast<long>(::getpid()), counter.fetch_add(1));
        // 0666 lets the umask decide, as for any new file.
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *message = OpenFailure(path);
        return false;
    }
    if (exists && S_ISREG(existing.st_mode))
        (void)::fchmod(fd, existing.st_mode & 07777);

    int error = WriteAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    const int closeError = CloseChecked(fd);
    if (error == 0)
        error = closeError;
    if (error != 0) {
        ::unlink(temporary.c_str());
        *message = Failure("write", path, error);
        return false;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        *message = Failure("replace", path, error);
        return false;
    }
    return true;
}
