#include "core/device/UdpDataChannel.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Formats a line and writes it with one call, so that lines of concurrent writers stay whole.
__attribute__((format(printf, 2, 3))) void WriteLine(std::FILE* stream, const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length < 0)
        return;
    size_t size = static_cast<size_t>(length);
    if (size >= sizeof line) {
        // Cut, but keep the line end.
        size = sizeof line - 1;
        line[size - 1] = '\n';
    }
    std::fwrite(line, 1, size, stream);
}

constexpr size_t kHeaderSize = 15;      // info byte, u32 number, u64 time stamp, u16 N
constexpr size_t kLengthOffset = 12;    // of N inside the raw record

} // namespace

UdpDataChannel::UdpDataChannel(const char* addressText, int port) : m_port(port)
{
    // There is no sockets library to start here; report its place as ready.
    WriteLine(stdout, "%s : status=%d\n", "POSIX sockets", m_status);

    m_socket = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (m_socket < 0) {
        WriteLine(stderr, "Socket create failed ..: %s\n", std::strerror(errno));
        m_status = -1;
        return;
    }

    int broadcast = 1;
    if (::setsockopt(m_socket, SOL_SOCKET, SO_BROADCAST, &broadcast, sizeof broadcast) != 0) {
        WriteLine(stderr, "setsockopt (SO_BROADCAST): %s\n", std::strerror(errno));
        m_status = -1;
        Close();
        return;
    }

    bool resolved = false;
    if (addressText != nullptr && port >= 0 && port <= 65535) {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_DGRAM;
        // The address is always dotted decimal: no name service is asked, so set-up never
        // waits on DNS and nothing leaves the machine.
        hints.ai_flags = AI_NUMERICHOST;
        addrinfo* found = nullptr;
        if (::getaddrinfo(addressText, nullptr, &hints, &found) == 0 && found != nullptr) {
            const auto* first = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
            m_destination.sin_family = AF_INET;
            m_destination.sin_port = htons(static_cast<uint16_t>(port));
            m_destination.sin_addr = first->sin_addr;
            resolved = true;
        }
        if (found != nullptr)
            ::freeaddrinfo(found);
    }
    if (!resolved) {
        m_status = -1;
        Close();
    }

    WriteLine(stdout, "Socket created (%s:%d): status=%d\n",
              addressText != nullptr ? addressText : "(null)", m_port, m_status);
}

UdpDataChannel::~UdpDataChannel()
{
    Close();
}

int UdpDataChannel::Send(const uint8_t* data, int length)
{
    if (length < 0 || (data == nullptr && length > 0))
        return -1;
    ssize_t sent;
    {
        std::lock_guard lock(m_socketMutex);
        if (m_status != 0 || m_socket < 0)
            return -1;
        sent = ::sendto(m_socket, data, static_cast<size_t>(length), 0,
                        reinterpret_cast<const sockaddr*>(&m_destination), sizeof m_destination);
    }
    // The capture goes on whatever happened; the trace is the only report.
    WriteLine(stdout, "Send: %x : %d/%d\n", m_destination.sin_addr.s_addr, static_cast<int>(sent),
              length);
    return static_cast<int>(sent);
}

void UdpDataChannel::Close()
{
    std::lock_guard lock(m_socketMutex);
    if (m_socket >= 0) {
        ::close(m_socket);
        m_socket = -1;
    }
}

size_t BuildDatagram(uint8_t info, const uint8_t* rawRecord, size_t rawRecordSize, uint8_t* out,
                     size_t outCapacity)
{
    if (rawRecord == nullptr || out == nullptr || rawRecordSize < kLengthOffset + 2)
        return 0;
    uint8_t lengthBytes[2];
    std::memcpy(lengthBytes, rawRecord + kLengthOffset, sizeof lengthBytes);
    size_t frameLength = static_cast<size_t>(lengthBytes[0]) | static_cast<size_t>(lengthBytes[1]) << 8;
    size_t recordPart = kHeaderSize - 1 + frameLength;
    if (recordPart > rawRecordSize || recordPart + 1 > outCapacity)
        return 0;
    out[0] = info;
    std::memcpy(out + 1, rawRecord, recordPart);
    return recordPart + 1;
}
