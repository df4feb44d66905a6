#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

#include <netinet/in.h>

// Sends each captured packet as one UDP datagram so that other programs can follow a
// capture live. Set up once; Send runs on the capture's reader thread.
class UdpDataChannel {
public:
    // addressText is dotted decimal ("127.0.0.255"); port 0..65535. Read Status() afterwards.
    UdpDataChannel(const char* addressText, int port);
    ~UdpDataChannel();

    UdpDataChannel(const UdpDataChannel&) = delete;
    UdpDataChannel& operator=(const UdpDataChannel&) = delete;

    // The result of set-up: 0 when the channel is usable, anything else when it failed.
    // Close does not change it.
    int Status() const { return m_status; }

    // One datagram of length bytes to the destination; returns what sendto returned
    // (-1 on failure, also after Close or a failed set-up).
    int Send(const uint8_t* data, int length);

    // Closes the socket; later sends fail. Safe to call more than once.
    void Close();

private:
    int m_status = 0;
    int m_port = 0;
    sockaddr_in m_destination{};
    // Guards the descriptor, so that a Close on another thread never lets a send
    // reach a closed (or already reused) descriptor.
    std::mutex m_socketMutex;
    int m_socket = -1;
};

// Bytes of a datagram: the packet information byte, then the used part of the packet's
// raw record ([u32 number][u64 time stamp][u16 N][N bytes], little-endian), 15 + N bytes
// in all; the record's zero padding is not sent. Returns 0, writing nothing, when the
// record is shorter than 14 + N bytes or out cannot hold 15 + N.
size_t BuildDatagram(uint8_t info, const uint8_t* rawRecord, size_t rawRecordSize, uint8_t* out,
                     size_t outCapacity);
