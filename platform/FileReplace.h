#pragma once

#include <cstddef>
#include <string>

// The pieces of putting a file in place without ever leaving a half-written one: the bytes go to
// a temporary file beside the target, which replaces it once every write has succeeded.
namespace platform {

// 0, or the errno of the first failed write (EIO when nothing could be written).
int WriteAll(int fd, const void* data, size_t length);

// 0, or the errno of a failed close. The descriptor is gone either way.
int CloseChecked(int fd);

// The file that path names: a symbolic link is followed, so that replacing keeps the link; a
// dangling link is replaced itself.
std::string ResolveLinkTarget(const std::string& path);

// Creates a new file ".<name>.tmp-<pid>-<n>" in target's folder, name being at most stemLimit
// characters of target's file name, with mode 0666 less the umask. The descriptor, or -1 with
// errno set; *temporary names the file.
int CreateTemporaryBeside(const std::string& target, size_t stemLimit, std::string* temporary);

} // namespace platform
