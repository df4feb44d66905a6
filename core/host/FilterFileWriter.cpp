#include "core/host/FilterFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/FileReplace.h"
#include "platform/TextFormat.h"

namespace {

std::string OpenFailure(const std::string& path)
{
    return platform::FormatText("Not able to open table: %s", path.c_str());
}

std::string Failure(const char* what, const std::string& path, int error)
{
    return platform::FormatText("Not able to %s table: %s\n%s", what, path.c_str(), std::strerror(error));
}

bool WriteDevice(const std::string& path, const std::string& target, const std::string& bytes, std::string* message)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
        *message = OpenFailure(path);
        return false;
    }
    int error = platform::WriteAll(fd, bytes.data(), bytes.size());
    const int closeError = platform::CloseChecked(fd);
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
    const std::string target = platform::ResolveLinkTarget(path);

    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode))
        return WriteDevice(path, target, bytes, message);
    // Renaming would replace a file that its owner made read-only.
    if (exists && S_ISREG(existing.st_mode) && ::access(target.c_str(), W_OK) != 0) {
        *message = OpenFailure(path);
        return false;
    }

    if (target.empty() || target.back() == '/') {
        *message = OpenFailure(path); // no file name, only a folder
        return false;
    }
    std::string temporary;
    const int fd = platform::CreateTemporaryBeside(target, std::string::npos, &temporary);
    if (fd < 0) {
        *message = OpenFailure(path);
        return false;
    }
    if (exists && S_ISREG(existing.st_mode))
        (void)::fchmod(fd, existing.st_mode & 07777);

    int error = platform::WriteAll(fd, bytes.data(), bytes.size());
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    const int closeError = platform::CloseChecked(fd);
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
