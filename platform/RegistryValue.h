#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The value types the store keeps, numbered as REG_SZ and REG_DWORD.
enum class RegistryType : uint32_t { Sz = 1, Dword = 4 };

// One stored value: its type and its data bytes exactly as written (a DWORD as 4 bytes,
// little-endian; a string with whatever terminator and padding the writer gave it).
struct RegistryValue {
    RegistryType type = RegistryType::Sz;
    std::string data;
};

} // namespace platform
