#pragma once

#include <cerrno>
#include <cstdint>
#include <optional>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {

// A UDP socket of the test that datagrams are sent to. Every receive has a time limit, so
// a datagram that never comes fails the test instead of hanging it.
class UdpReceiver {
public:
    UdpReceiver() : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) {}
    ~UdpReceiver()
    {
        if (socket_ >= 0)
            ::close(socket_);
    }
    UdpReceiver(const UdpReceiver&) = delete;
    UdpReceiver& operator=(const UdpReceiver&) = delete;

    // 0 or the errno of the failing call.
    int Bind(in_addr_t address, uint16_t port, bool reuseAddress)
    {
        if (socket_ < 0)
            return EBADF;
        int on = 1;
        if (reuseAddress && ::setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0)
            return errno;
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        local.sin_addr.s_addr = address;
        if (::bind(socket_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
            return errno;
        socklen_t size = sizeof local;
        if (::getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &size) != 0)
            return errno;
        port_ = ntohs(local.sin_port);
        return 0;
    }

    int Port() const { return port_; }

    // The next datagram, or nothing when none arrives within the time limit.
    std::optional<std::vector<uint8_t>> Receive(int milliseconds = 2000)
    {
        timeval limit{milliseconds / 1000, (milliseconds % 1000) * 1000};
        if (::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0)
            return std::nullopt;
        std::vector<uint8_t> buffer(65536);
        ssize_t size = ::recv(socket_, buffer.data(), buffer.size(), 0);
        if (size < 0)
            return std::nullopt;
        buffer.resize(static_cast<size_t>(size));
        return buffer;
    }

private:
    int socket_;
    int port_ = 0;
};

} // namespace testsupport
