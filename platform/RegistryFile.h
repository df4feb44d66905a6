#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryStatus.h"
#include "platform/RegistryValue.h"

namespace platform {

// The text of one key file: one value a line, in the order they were first written.
//
//   # Pelagor registry key "Software\\Korvath\\Pelagor\\Settings"
//   dword "ChannelListIndex" 0x00000000
//   sz "PacketBufferSize" 21 "20"
//
// - Lines end with '\n' (a '\r' before it is ignored). A last line without its '\n' is a cut
//   write and is dropped. Empty lines and lines starting with '#' are comments.
// - dword "<name>" <number>: a REG_DWORD of 4 bytes; the number is "0x" and 1 to 8 hex digits,
//   or decimal up to 4294967295. Written as 0x and 8 upper-case hex digits.
// - sz "<name>" <length> "<bytes>": a REG_SZ whose data is <length> bytes (decimal, at most
//   kMaxValueBytes): the quoted bytes followed by zero bytes up to <length>. The writer leaves
//   the trailing zeros out of the quotes, so a fixed buffer costs a few characters.
// - Quoted text: printable ASCII as it is, except '"' as \" and '\' as \\; every other byte
//   as \xHH (two hex digits), so any bytes round-trip, zeros included.
// - Tokens are separated by blanks. A line that breaks any rule is skipped: its value reads as
//   missing, the others still count. Value names compare without regard to ASCII case; when a
//   name occurs twice the later line holds.
class RegistryFile {
public:
    static constexpr size_t kMaxValueBytes = size_t{1} << 20;
    static constexpr size_t kMaxNameBytes = 16383;

    static RegistryFile Parse(std::string_view text);
    std::string Format(std::string_view keyPath) const;

    // The value called name; kRegistryNotFound, or kRegistryMoreData when its data is longer
    // than capacity bytes.
    RegistryStatus Query(std::string_view name, size_t capacity, RegistryValue& value) const;
    // Stores the value; false when it already held exactly that.
    bool Set(std::string_view name, RegistryType type, std::string_view data);
    bool Remove(std::string_view name);
    std::vector<std::string> Names() const;

private:
    // The data is head followed by zeros up to size; head never ends with a zero.
    struct Entry {
        std::string name;
        RegistryType type;
        std::string head;
        size_t size;
    };

    const Entry* Find(std::string_view name) const;

    std::vector<Entry> entries_;
};

} // namespace platform
