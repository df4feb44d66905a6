#include "platform/RegistryKey.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "platform/FileReplace.h"
#include "platform/RegistryFile.h"

namespace platform {

namespace {

// A key file larger than this is no file of ours; reading it whole would only waste memory.
constexpr size_t kMaxFileBytes = size_t{16} << 20;

// Writers of this process take turns here; the folder lock below does the same across
// processes, but only this one tells the thread checkers about it.
std::mutex& WriteMutex()
{
    static std::mutex mutex;
    return mutex;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    // Closes now, so that an error of the close can be told.
    bool Close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

RegistryStatus FromErrno(int error, RegistryStatus otherwise)
{
    switch (error) {
    case ENOENT:
        return kRegistryNotFound;
    case ENOTDIR:
        return kRegistryPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return kRegistryAccessDenied;
    case ENOSPC:
    case EDQUOT:
        return kRegistryDiskFull;
    default:
        return otherwise;
    }
}

std::string FolderOf(const std::string& file)
{
    return file.substr(0, file.rfind('/'));
}

enum class Kind { Missing, File, Folder, Other };

Kind KindOf(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return Kind::Missing;
    if (S_ISREG(status.st_mode))
        return Kind::File;
    return S_ISDIR(status.st_mode) ? Kind::Folder : Kind::Other;
}

// Not regular (a folder, a pipe, a device in place of the key): no key. O_NONBLOCK keeps a
// pipe from stalling the open.
RegistryStatus ReadKeyFile(const std::string& path, std::string& text)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.Valid())
        return FromErrno(errno, kRegistryCantRead);
    struct stat status {};
    if (::fstat(fd.Get(), &status) != 0)
        return kRegistryCantRead;
    if (!S_ISREG(status.st_mode))
        return kRegistryNotFound;
    if (status.st_size < 0 || static_cast<uint64_t>(status.st_size) > kMaxFileBytes)
        return kRegistryCantRead;
    text.clear();
    char buffer[8192];
    while (true) {
        const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return kRegistryCantRead;
        if (got == 0)
            return kRegistryOk;
        if (text.size() + static_cast<size_t>(got) > kMaxFileBytes)
            return kRegistryCantRead;
        text.append(buffer, static_cast<size_t>(got));
    }
}

RegistryStatus MakeFolders(const std::string& folder)
{
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string prefix = folder.substr(0, end);
        if (KindOf(prefix) != Kind::Folder) {
            if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST)
                return FromErrno(errno, kRegistryCantWrite);
            if (KindOf(prefix) != Kind::Folder) // a file where a folder belongs
                return kRegistryPathNotFound;
        }
        if (end == std::string::npos)
            return kRegistryOk;
    }
}

// Holds an exclusive lock on a folder for its life. Where the file system has no locks the
// writers of this process still take turns; a store that cannot be locked stays writable.
class FolderLock {
public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (!fd_.Valid()) {
            status_ = FromErrno(errno, kRegistryCantWrite);
            return;
        }
        while (::flock(fd_.Get(), LOCK_EX) != 0 && errno == EINTR) {
        }
    }

    RegistryStatus Status() const { return status_; }

private:
    Descriptor fd_;
    RegistryStatus status_ = kRegistryOk;
};

// Readers see the old file or the new one, never half of one; a failure leaves the old one and no
// temporary file.
RegistryStatus ReplaceKeyFile(const std::string& file, const std::string& text)
{
    const size_t slash = file.rfind('/');
    std::string temporary = file.substr(0, slash + 1) + "." + file.substr(slash + 1) + ".tmp-XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.Valid())
        return FromErrno(errno, kRegistryCantWrite);
    RegistryStatus status = kRegistryOk;
    if (const int error = WriteAll(fd.Get(), text.data(), text.size()); error != 0)
        status = FromErrno(error, kRegistryCantWrite);
    if (status == kRegistryOk && ::fsync(fd.Get()) != 0)
        status = FromErrno(errno, kRegistryCantWrite);
    if (!fd.Close() && status == kRegistryOk)
        status = FromErrno(errno, kRegistryCantWrite);
    if (status == kRegistryOk && ::rename(temporary.c_str(), file.c_str()) != 0)
        status = FromErrno(errno, kRegistryCantWrite);
    if (status != kRegistryOk)
        ::unlink(temporary.c_str());
    return status;
}

} // namespace

RegistryStatus RegistryKey::Open(const RegistryRoot& root, std::string_view keyPath, Access access)
{
    Close();
    if (!RegistryRoot::KeyFileName(keyPath))
        return kRegistryBadPathName;
    const std::optional<std::string> file = root.KeyFile(keyPath);
    if (!file)
        return kRegistryNotFound;
    std::string text;
    if (const RegistryStatus status = ReadKeyFile(*file, text); status != kRegistryOk)
        return status;
    keyPath_ = keyPath;
    file_ = *file;
    writable_ = access == Access::ReadWrite;
    return kRegistryOk;
}

RegistryStatus RegistryKey::Create(const RegistryRoot& root, std::string_view keyPath)
{
    Close();
    if (!RegistryRoot::KeyFileName(keyPath))
        return kRegistryBadPathName;
    const std::optional<std::string> file = root.KeyFile(keyPath);
    if (!file)
        return kRegistryPathNotFound;
    const std::string folder = FolderOf(*file);
    if (const RegistryStatus status = MakeFolders(folder); status != kRegistryOk)
        return status;

    std::lock_guard<std::mutex> lock(WriteMutex());
    const FolderLock folderLock(folder);
    if (folderLock.Status() != kRegistryOk)
        return folderLock.Status();
    switch (KindOf(*file)) {
    case Kind::Folder:
    case Kind::Other:
        return kRegistryCantWrite;
    case Kind::File: {
        std::string text;
        if (const RegistryStatus status = ReadKeyFile(*file, text); status != kRegistryOk)
            return status;
        break;
    }
    case Kind::Missing:
        if (const RegistryStatus status = ReplaceKeyFile(*file, RegistryFile().Format(keyPath));
            status != kRegistryOk)
            return status;
        break;
    }
    keyPath_ = keyPath;
    file_ = *file;
    writable_ = true;
    return kRegistryOk;
}

void RegistryKey::Close()
{
    keyPath_.clear();
    file_.clear();
    writable_ = false;
}

RegistryStatus RegistryKey::Read(RegistryFile& values) const
{
    if (!IsOpen())
        return kRegistryInvalidHandle;
    std::string text;
    if (const RegistryStatus status = ReadKeyFile(file_, text); status != kRegistryOk)
        return status;
    values = RegistryFile::Parse(text);
    return kRegistryOk;
}

RegistryStatus RegistryKey::QueryValue(std::string_view name, size_t capacity, RegistryValue& value) const
{
    RegistryFile values;
    if (const RegistryStatus status = Read(values); status != kRegistryOk)
        return status;
    return values.Query(name, capacity, value);
}

RegistryStatus RegistryKey::QueryDword(std::string_view name, uint32_t& value) const
{
    RegistryValue stored;
    const RegistryStatus status = QueryValue(name, 4, stored);
    if (status == kRegistryMoreData)
        return kRegistryUnsupportedType;
    if (status != kRegistryOk)
        return status;
    if (stored.type != RegistryType::Dword || stored.data.size() != 4)
        return kRegistryUnsupportedType;
    value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(stored.data[i])) << (8 * i);
    return kRegistryOk;
}

RegistryStatus RegistryKey::QueryString(std::string_view name, std::string& text) const
{
    RegistryValue stored;
    if (const RegistryStatus status = QueryValue(name, RegistryFile::kMaxValueBytes, stored); status != kRegistryOk)
        return status;
    if (stored.type != RegistryType::Sz)
        return kRegistryUnsupportedType;
    text = stored.data.substr(0, stored.data.find('\0'));
    return kRegistryOk;
}

RegistryStatus RegistryKey::QueryValueNames(std::vector<std::string>& names) const
{
    RegistryFile values;
    if (const RegistryStatus status = Read(values); status != kRegistryOk)
        return status;
    names = values.Names();
    return kRegistryOk;
}

template <typename Change>
RegistryStatus RegistryKey::Rewrite(Change&& change)
{
    if (!IsOpen())
        return kRegistryInvalidHandle;
    if (!writable_)
        return kRegistryAccessDenied;
    std::lock_guard<std::mutex> lock(WriteMutex());
    const FolderLock folderLock(FolderOf(file_));
    if (folderLock.Status() == kRegistryNotFound)
        return kRegistryKeyDeleted;
    if (folderLock.Status() != kRegistryOk)
        return folderLock.Status();
    std::string text;
    RegistryStatus status = ReadKeyFile(file_, text);
    if (status == kRegistryNotFound)
        return kRegistryKeyDeleted;
    if (status != kRegistryOk)
        return status;
    RegistryFile values = RegistryFile::Parse(text);
    bool changed = false;
    status = change(values, changed);
    if (status != kRegistryOk || !changed)
        return status;
    return ReplaceKeyFile(file_, values.Format(keyPath_));
}

RegistryStatus RegistryKey::SetValue(std::string_view name, RegistryType type, std::string_view data)
{
    if (name.size() > RegistryFile::kMaxNameBytes || data.size() > RegistryFile::kMaxValueBytes ||
        (type == RegistryType::Dword && data.size() != 4) ||
        (type != RegistryType::Dword && type != RegistryType::Sz))
        return kRegistryInvalidParameter;
    return Rewrite([&](RegistryFile& values, bool& changed) {
        changed = values.Set(name, type, data);
        return kRegistryOk;
    });
}

RegistryStatus RegistryKey::SetDword(std::string_view name, uint32_t value)
{
    char data[4];
    for (size_t i = 0; i < 4; ++i)
        data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return SetValue(name, RegistryType::Dword, std::string_view(data, sizeof data));
}

RegistryStatus RegistryKey::SetString(std::string_view name, std::string_view text)
{
    std::string data(text);
    data += '\0';
    return SetValue(name, RegistryType::Sz, data);
}

RegistryStatus RegistryKey::DeleteValue(std::string_view name)
{
    return Rewrite([&](RegistryFile& values, bool& changed) {
        changed = values.Remove(name);
        return changed ? kRegistryOk : kRegistryNotFound;
    });
}

} // namespace platform
