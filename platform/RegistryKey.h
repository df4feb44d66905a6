#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryRoot.h"
#include "platform/RegistryStatus.h"
#include "platform/RegistryValue.h"

namespace platform {

class RegistryFile;

// An open key of the per-user store (format: RegistryFile.h, file names: RegistryRoot.h).
// Every query reads the key's file as it stands; every change rewrites it atomically (a
// temporary file beside it, then rename), under a lock shared by the threads of this process
// and, through a lock on the key's folder, by other processes, so that no writer loses
// another's change.
// A missing, unreadable or damaged file reads as no key or no value.
// One key object may be queried from several threads at once; Open, Create and Close need
// the object to themselves.
class RegistryKey {
public:
    enum class Access { Read, ReadWrite };

    RegistryKey() = default;

    // Opens an existing key; Read refuses every change with kRegistryAccessDenied.
    RegistryStatus Open(const RegistryRoot& root, std::string_view keyPath, Access access = Access::Read);
    // Opens the key for reading and writing, making it and its parents when missing.
    RegistryStatus Create(const RegistryRoot& root, std::string_view keyPath);
    void Close();
    bool IsOpen() const { return !file_.empty(); }
    const std::string& FilePath() const { return file_; }

    // The value's type and data, whatever the type; kRegistryMoreData when the data is longer
    // than capacity bytes.
    RegistryStatus QueryValue(std::string_view name, size_t capacity, RegistryValue& value) const;
    // A REG_DWORD of 4 bytes, else kRegistryUnsupportedType.
    RegistryStatus QueryDword(std::string_view name, uint32_t& value) const;
    // A REG_SZ, its text up to the first zero byte; else kRegistryUnsupportedType.
    RegistryStatus QueryString(std::string_view name, std::string& text) const;
    // Every value name in the order the values were first written.
    RegistryStatus QueryValueNames(std::vector<std::string>& names) const;

    // Stores data exactly as given; a DWORD needs 4 bytes. Names up to 16383 bytes, data up to
    // 1 MiB, else kRegistryInvalidParameter.
    RegistryStatus SetValue(std::string_view name, RegistryType type, std::string_view data);
    RegistryStatus SetDword(std::string_view name, uint32_t value);
    // Stores text with its terminating zero byte.
    RegistryStatus SetString(std::string_view name, std::string_view text);
    RegistryStatus DeleteValue(std::string_view name);

private:
    RegistryStatus Read(RegistryFile& values) const;
    template <typename Change>
    RegistryStatus Rewrite(Change&& change);

    std::string keyPath_;
    std::string file_; // empty while closed
    bool writable_ = false;
};

} // namespace platform
