#pragma once

namespace platform {

// Result of a registry call: 0 on success, else one of the system error codes below, the ones
// callers of the registry know.
using RegistryStatus = long;

inline constexpr RegistryStatus kRegistryOk = 0;
inline constexpr RegistryStatus kRegistryNotFound = 2;         // no such key or value
inline constexpr RegistryStatus kRegistryPathNotFound = 3;     // no folder for the keys
inline constexpr RegistryStatus kRegistryAccessDenied = 5;     // read-only key, or the system refused
inline constexpr RegistryStatus kRegistryInvalidHandle = 6;    // key not open
inline constexpr RegistryStatus kRegistryInvalidParameter = 87;
inline constexpr RegistryStatus kRegistryDiskFull = 112;
inline constexpr RegistryStatus kRegistryBadPathName = 161;    // key path refused
inline constexpr RegistryStatus kRegistryMoreData = 234;       // value larger than the caller's buffer
inline constexpr RegistryStatus kRegistryCantRead = 1012;
inline constexpr RegistryStatus kRegistryCantWrite = 1013;
inline constexpr RegistryStatus kRegistryKeyDeleted = 1018;    // the key went away while open
inline constexpr RegistryStatus kRegistryUnsupportedType = 1630;

} // namespace platform
