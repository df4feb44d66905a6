#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/frame/AddrBookRec.h"
#include "plugin/frame/NodeText.h"

namespace testsupport {

// An address as the generic book writes it: "0x" and eight upper-case digits.
inline std::string BookAddress(uint32_t address)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%8.8X", address);
    return text;
}

// An exchange record whose buffer is exactly the 41 bytes of NODE_TEXT, so that the
// sanitizers catch any byte written or read beyond it.
class AddrBookExchange {
public:
    AddrBookExchange() : buffer_(kNodeTextSize, '\0') { rec_.text = buffer_.data(); }
    AddrBookExchange(const AddrBookExchange&) = delete;
    AddrBookExchange& operator=(const AddrBookExchange&) = delete;

    ADDR_BOOK_REC* Rec() { return &rec_; }

    // Fills the two slices as the main program does: each cut to its width, the rest zero.
    ADDR_BOOK_REC* Put(const std::string& name, const std::string& address)
    {
        std::memset(buffer_.data(), 0, buffer_.size());
        std::memcpy(buffer_.data(), name.data(), std::min<size_t>(name.size(), kNodeNameWidth));
        std::memcpy(buffer_.data() + kNodeAddressOffset, address.data(),
                    std::min<size_t>(address.size(), kNodeAddressWidth));
        return &rec_;
    }

    std::string Name() const { return Slice(kNodeNameOffset, kNodeNameWidth); }
    std::string Address() const { return Slice(kNodeAddressOffset, kNodeAddressWidth); }
    const std::vector<char>& Bytes() const { return buffer_; }

private:
    std::string Slice(int offset, int width) const
    {
        const char* start = buffer_.data() + offset;
        return std::string(start, strnlen(start, static_cast<size_t>(width)));
    }

    std::vector<char> buffer_;
    ADDR_BOOK_REC rec_{};
};

// A notice as GetPendingRec delivers it.
struct Notice {
    uint32_t type;
    uint16_t index;
    uint32_t value;
    std::string name;
    std::string address;
    bool operator==(const Notice&) const = default;
};

inline void PrintTo(const Notice& n, std::ostream* os)
{
    *os << "{kind " << n.type << ", index " << n.index << ", id " << n.value << ", \"" << n.name << "\", "
        << n.address << "}";
}

// Pops every waiting notice through getPendingRec (any callable taking ADDR_BOOK_REC*).
template <typename GetPending>
std::vector<Notice> DrainNotices(GetPending getPendingRec)
{
    std::vector<Notice> notices;
    AddrBookExchange exchange;
    while (getPendingRec(exchange.Rec()) != 0) {
        const ADDR_BOOK_REC& r = *exchange.Rec();
        notices.push_back({r.type, r.index, r.value, exchange.Name(), exchange.Address()});
    }
    return notices;
}

} // namespace testsupport
