#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include "core/device/UdpDataChannel.h"
#include "tests/support/UdpReceiver.h"

namespace {

using Bytes = std::vector<uint8_t>;

using Receiver = testsupport::UdpReceiver;

// A stored raw record: [u32 number][u64 time stamp][u16 N][N bytes], zero up to recordSize.
Bytes RawRecord(uint32_t number, uint64_t timeStamp, const Bytes& frame, size_t recordSize)
{
    Bytes record(recordSize, 0);
    Bytes used;
    for (int i = 0; i < 4; ++i)
        used.push_back(static_cast<uint8_t>(number >> (8 * i)));
    for (int i = 0; i < 8; ++i)
        used.push_back(static_cast<uint8_t>(timeStamp >> (8 * i)));
    used.push_back(static_cast<uint8_t>(frame.size()));
    used.push_back(static_cast<uint8_t>(frame.size() >> 8));
    used.insert(used.end(), frame.begin(), frame.end());
    std::memcpy(record.data(), used.data(), std::min(used.size(), record.size()));
    return record;
}

Bytes Frame(size_t length, uint8_t first)
{
    Bytes frame(length);
    for (size_t i = 0; i < length; ++i)
        frame[i] = static_cast<uint8_t>(first + i);
    return frame;
}

// The datagram of one packet, as the capture engine builds it from a 64-byte record.
Bytes PacketDatagram(uint8_t info, uint32_t number, const Bytes& frame)
{
    Bytes record = RawRecord(number, 0x0102030405060708ull, frame, 64);
    Bytes out(64);
    size_t size = BuildDatagram(info, record.data(), record.size(), out.data(), out.size());
    out.resize(size);
    return out;
}

int Send(UdpDataChannel& channel, const Bytes& datagram)
{
    return channel.Send(datagram.data(), static_cast<int>(datagram.size()));
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

class UdpDataChannelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(m_receiver.Bind(htonl(INADDR_LOOPBACK), 0, false), 0); }

    Receiver m_receiver;
};

} // namespace

TEST_F(UdpDataChannelTest, PacketIsOneDatagramOfItsUsedBytes)
{
    UdpDataChannel channel("127.0.0.1", m_receiver.Port());
    ASSERT_EQ(channel.Status(), 0);
    Bytes frame = Frame(20, 0xA0);
    Bytes record = RawRecord(7, 0x1122334455667788ull, frame, 64);
    uint8_t datagram[64];
    ASSERT_EQ(BuildDatagram(0x10, record.data(), record.size(), datagram, sizeof datagram), 35u);

    EXPECT_EQ(channel.Send(datagram, 35), 35);

    Bytes expected = {0x10, 7, 0, 0, 0, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 20, 0};
    expected.insert(expected.end(), frame.begin(), frame.end());
    EXPECT_EQ(m_receiver.Receive(), expected);
}

TEST_F(UdpDataChannelTest, DatagramsArriveInOrder)
{
    UdpDataChannel channel("127.0.0.1", m_receiver.Port());
    ASSERT_EQ(channel.Status(), 0);
    std::vector<Bytes> sent = {PacketDatagram(0x10, 1, Frame(20, 0x00)),
                               PacketDatagram(0x00, 2, Frame(0, 0x00)),
                               PacketDatagram(0x13, 3, Frame(49, 0x40)), Bytes{}};
    for (const Bytes& datagram : sent)
        EXPECT_EQ(Send(channel, datagram), static_cast<int>(datagram.size()));

    for (const Bytes& datagram : sent)
        EXPECT_EQ(m_receiver.Receive(), datagram);
    EXPECT_EQ(m_receiver.Receive(200), std::nullopt);
}

TEST_F(UdpDataChannelTest, EmptySendIsAnEmptyDatagram)
{
    UdpDataChannel channel("127.0.0.1", m_receiver.Port());
    ASSERT_EQ(channel.Status(), 0);
    EXPECT_EQ(channel.Send(nullptr, 0), 0);
    EXPECT_EQ(m_receiver.Receive(), Bytes{});
}

TEST_F(UdpDataChannelTest, NothingIsSentAfterClose)
{
    UdpDataChannel channel("127.0.0.1", m_receiver.Port());
    ASSERT_EQ(channel.Status(), 0);
    Bytes datagram = PacketDatagram(0x10, 1, Frame(20, 0));
    channel.Close();
    channel.Close();
    // A new socket most likely takes the closed descriptor's number; a send through a
    // stale descriptor would go out through it to the receiver.
    int reused = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_GE(reused, 0);

    EXPECT_EQ(Send(channel, datagram), -1);
    EXPECT_EQ(channel.Send(nullptr, 0), -1);

    EXPECT_EQ(m_receiver.Receive(200), std::nullopt);
    ::close(reused);
}

TEST_F(UdpDataChannelTest, TracesSetUpAndSends)
{
    testing::internal::CaptureStdout();
    {
        UdpDataChannel channel("127.0.0.1", m_receiver.Port());
        Send(channel, PacketDatagram(0x10, 1, Frame(20, 0)));
    }
    std::string traces = testing::internal::GetCapturedStdout();

    in_addr loopback{};
    ASSERT_EQ(::inet_pton(AF_INET, "127.0.0.1", &loopback), 1);
    EXPECT_EQ(traces, "POSIX sockets : status=0\n"
                      "Socket created (127.0.0.1:" + std::to_string(m_receiver.Port()) +
                          "): status=0\n"
                          "Send: " + Hex(loopback.s_addr) + " : 35/35\n");
    std::optional<Bytes> received = m_receiver.Receive();
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(received->size(), 35u);
}

// The packet-broadcast default: the loopback network's broadcast address, port 5000.
TEST(UdpDataChannelDefaultRoute, SendsToLoopbackBroadcast)
{
    UdpDataChannel channel("127.0.0.255", 5000);
    ASSERT_EQ(channel.Status(), 0);
    EXPECT_EQ(Send(channel, PacketDatagram(0x10, 1, Frame(20, 0))), 35);
}

TEST(UdpDataChannelDefaultRoute, ListenerOnThePortReceives)
{
    Receiver receiver;
    int error = receiver.Bind(htonl(INADDR_ANY), 5000, true);
    if (error == EADDRINUSE)
        GTEST_SKIP() << "UDP port 5000 is taken by another program";
    ASSERT_EQ(error, 0) << std::strerror(error);

    UdpDataChannel channel("127.0.0.255", 5000);
    ASSERT_EQ(channel.Status(), 0);
    // Other programs may send to the same port: look for this process's own packet.
    Bytes datagram = PacketDatagram(0x10, static_cast<uint32_t>(::getpid()), Frame(20, 0x5A));
    ASSERT_EQ(Send(channel, datagram), 35);
    bool found = false;
    for (int i = 0; i < 50 && !found; ++i) {
        std::optional<Bytes> received = receiver.Receive();
        if (!received)
            break;
        found = *received == datagram;
    }
    EXPECT_TRUE(found);
}

namespace {

struct SetUpCase {
    const char* name;
    const char* address;
    int port;
    const char* createdTrace;
};

void PrintTo(const SetUpCase& c, std::ostream* os)
{
    *os << c.name;
}

class UdpDataChannelSetUp : public ::testing::TestWithParam<SetUpCase> {};

} // namespace

TEST_P(UdpDataChannelSetUp, FailsAndRefusesSends)
{
    const SetUpCase& c = GetParam();
    testing::internal::CaptureStdout();
    UdpDataChannel channel(c.address, c.port);
    std::string traces = testing::internal::GetCapturedStdout();

    EXPECT_NE(channel.Status(), 0);
    EXPECT_EQ(traces, std::string("POSIX sockets : status=0\n") + c.createdTrace);
    uint8_t datagram[15] = {};
    EXPECT_EQ(channel.Send(datagram, sizeof datagram), -1);
}

// Addresses are numeric only: host names are refused without asking DNS, so nothing
// leaves the machine.
INSTANTIATE_TEST_SUITE_P(
    Failures, UdpDataChannelSetUp,
    ::testing::Values(
        SetUpCase{"octet_out_of_range", "999.1.2.3", 5000, "Socket created (999.1.2.3:5000): status=-1\n"},
        SetUpCase{"empty_address", "", 5000, "Socket created (:5000): status=-1\n"},
        SetUpCase{"host_name", "no.such.host.invalid", 5000,
                  "Socket created (no.such.host.invalid:5000): status=-1\n"},
        SetUpCase{"ipv6_address", "::1", 5000, "Socket created (::1:5000): status=-1\n"},
        SetUpCase{"null_address", nullptr, 5000, "Socket created ((null):5000): status=-1\n"},
        SetUpCase{"negative_port", "127.0.0.1", -1, "Socket created (127.0.0.1:-1): status=-1\n"},
        SetUpCase{"port_above_range", "127.0.0.1", 65536,
                  "Socket created (127.0.0.1:65536): status=-1\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs in the death test's child process: takes away every free descriptor, then sets up.
[[noreturn]] void SetUpWithoutDescriptors()
{
    rlimit limit{};
    ::getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = 0;
    ::setrlimit(RLIMIT_NOFILE, &limit);
    UdpDataChannel channel("127.0.0.1", 5000);
    std::_Exit(channel.Status() == -1 && channel.Send(nullptr, 0) == -1 ? 0 : 1);
}

TEST(UdpDataChannelDeathTest, SocketCreateFailureIsReported)
{
    EXPECT_EXIT(SetUpWithoutDescriptors(), ::testing::ExitedWithCode(0),
                "^Socket create failed \\.\\.: Too many open files\n$");
}

namespace {

struct DatagramCase {
    const char* name;
    size_t frameLength;  // N
    size_t recordSize;   // bytes of the stored raw record
    size_t outCapacity;
    size_t expected;     // 0: refused
};

void PrintTo(const DatagramCase& c, std::ostream* os)
{
    *os << c.name << " (N " << c.frameLength << ", record " << c.recordSize << ", out "
        << c.outCapacity << ")";
}

class UdpDatagramBuild : public ::testing::TestWithParam<DatagramCase> {};

} // namespace

TEST_P(UdpDatagramBuild, CopiesTheUsedBytesOnly)
{
    const DatagramCase& c = GetParam();
    // Both buffers exactly as large as told, so that the sanitizer sees any access beyond.
    Bytes record = RawRecord(0xA1B2C3D4, 0x0102030405060708ull, Frame(c.frameLength, 0x30), c.recordSize);
    if (c.recordSize >= 14) {
        record[12] = static_cast<uint8_t>(c.frameLength);
        record[13] = static_cast<uint8_t>(c.frameLength >> 8);
    }
    Bytes out(c.outCapacity, 0xEE);

    size_t size = BuildDatagram(0x12, record.data(), record.size(), out.data(), out.size());

    ASSERT_EQ(size, c.expected);
    Bytes expected(c.outCapacity, 0xEE);
    if (size > 0) {
        expected[0] = 0x12;
        std::copy(record.begin(), record.begin() + static_cast<long>(size - 1), expected.begin() + 1);
    }
    EXPECT_EQ(out, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UdpDatagramBuild,
    ::testing::Values(DatagramCase{"empty_frame", 0, 64, 64, 15},
                      DatagramCase{"empty_frame_in_bare_header", 0, 14, 15, 15},
                      DatagramCase{"padding_not_sent", 20, 64, 64, 35},
                      DatagramCase{"out_exact_fit", 20, 64, 35, 35},
                      DatagramCase{"out_one_byte_short", 20, 64, 34, 0},
                      DatagramCase{"record_filled_exactly", 50, 64, 65, 65},
                      DatagramCase{"frame_beyond_record", 51, 64, 128, 0},
                      DatagramCase{"length_beyond_record", 0, 13, 64, 0},
                      DatagramCase{"length_high_byte_counts", 0x0102, 300, 300, 0x0111},
                      DatagramCase{"largest_frame", 0xFFFF, 14 + 0xFFFF, 15 + 0xFFFF, 15 + 0xFFFF}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UdpDatagramBuild, RefusesMissingBuffers)
{
    Bytes record = RawRecord(1, 2, Frame(0, 0), 64);
    uint8_t out[64];
    EXPECT_EQ(BuildDatagram(0, nullptr, 64, out, sizeof out), 0u);
    EXPECT_EQ(BuildDatagram(0, record.data(), record.size(), nullptr, 64), 0u);
}
