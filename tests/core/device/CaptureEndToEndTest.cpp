// A capture from start to stop without a window: a scripted board's byte stream goes through
// the real device layer and framing into the packet store, decoded by the real Halyard plug-in.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "core/device/Pelagor.h"
#include "core/host/PluginHandler.h"
#include "core/store/PacketManager.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/WindowMessageRecorder.h"
#include "platform/dravik/BoardFile.h"
#include "platform/dravik/SimulatedBoardSource.h"
#include "plugin/frame/ParsedData.h"
#include "plugin/frame/RawPacketRec.h"
#include "tests/support/ScriptedBoard.h"
#include "tests/support/StoreSetUp.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UdpReceiver.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testsupport::TempFolder;

constexpr platform::WindowHandle kMainWindow = 0x10;
constexpr platform::WindowHandle kNotifyWindow = 0x20;
constexpr uint16_t kBoardFirmwareId = 0x0E05;
constexpr uint16_t kBoardRevision = 0x0112;

// A packet frame of the new layout: kind 0x10, length, ticks, their XOR, the packet bytes.
Bytes PacketFrame(uint32_t ticks, const Bytes& packet)
{
    const uint16_t length = static_cast<uint16_t>(5 + packet.size());
    Bytes frame = {0x10, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)};
    uint8_t check = 0;
    for (int i = 0; i < 4; ++i) {
        frame.push_back(static_cast<uint8_t>(ticks >> (8 * i)));
        check ^= frame.back();
    }
    frame.push_back(check);
    frame.insert(frame.end(), packet.begin(), packet.end());
    return frame;
}

// A generic frame as the radio delivers it: payload, RSSI byte, status byte (bit 7: CRC ok).
Bytes GenericPacket(uint8_t first, uint8_t status = 0x85)
{
    return {first, 0x41, 0x42, 0xC0, status};
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The program tree of a capture: firmware for the board and the chip, a packet store that
// Halyard decodes into, and the engine with a scripted board behind it.
class CaptureEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = folder / "Tools/Pelagor/General/";
        folder.Write("firmware/Kestrix/dravik_fw_kestrixeb.hex",
                     testsupport::BoardFirmwareHexText(kBoardFirmwareId, kBoardRevision));
        folder.Write("Tools/Pelagor/General/firmware/sniffer_fw_qz6f1c.hex",
                     testsupport::IntelHexText({{0, {0x02, 0x00, 0x10, 0x75, 0x81, 0x30}}}));
        ASSERT_EQ(host.Load(HALYARD_PATH, ""), 1);
        ASSERT_TRUE(testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(),
                                            folder.Path().string() + "/", 1));
        Pelagor::SetPacketManager(&store);
        source.Pipe().idleMicroseconds = 200;
        source.Pipe().recordRequests = false;
    }
    void TearDown() override { Pelagor::SetPacketManager(nullptr); }

    DravikEbInfo Board() const
    {
        DravikEbInfo info;
        info.boardType = DravikEb::kBoardKestrix;
        info.chipCode = 0x6F1C;
        info.usbDeviceId = 0x0A1B;
        info.firmwareId = kBoardFirmwareId;
        info.firmwareRevision = kBoardRevision;
        std::strcpy(info.deviceText, "Kestrix board");
        std::strcpy(info.chipName, "QZ6F1C");
        return info;
    }
    CAPTURE_START_PARAM Param() const
    {
        CAPTURE_START_PARAM param;
        param.notifyWindow = kNotifyWindow;
        param.channel = 3;
        param.firmwareFile = "sniffer_fw_qz6f1c.hex";
        return param;
    }
    // Waits until the store holds count records (packets and error records).
    bool WaitForRecords(int32_t count, int timeoutMs = 5000) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (store.GetPacketCount(0) < count) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    struct Stored {
        RAW_PACKET_REC head;
        Bytes bytes;
        PARSED_DATA parsed;
    };
    Stored Record(int32_t n)
    {
        Bytes record(store.RecordLength());
        EXPECT_EQ(store.GetParsedData(n, record.data()), 1) << "record " << n;
        Stored stored{ReadRawPacketHeader(record.data()), {}, {}};
        const size_t used = std::min<size_t>(stored.head.length, host.RawLength() - kRawPacketHeaderSize);
        stored.bytes.assign(record.begin() + kRawPacketHeaderSize, record.begin() + kRawPacketHeaderSize + used);
        LoadParsedData(stored.parsed, record.data() + host.RawLength());
        return stored;
    }

    TempFolder folder;
    std::string program;
    PluginHandler host;
    PacketManager store;
    testsupport::ScriptedBoardSource source;
    platform::MessageBoxRecorder boxes;
    platform::WindowMessageRecorder windows;
};

TEST_F(CaptureEndToEnd, PacketsArriveNumberedAndDecodedBesideTheirEvents)
{
    Pelagor capture(kMainWindow, program);
    capture.SetPacketLimits(host.RawLength(), 11);
    source.Pipe().Add({0, Join({PacketFrame(0x100, GenericPacket(1)),
                                PacketFrame(0x200, GenericPacket(2, 0x05)), // CRC error
                                Bytes{0x05, 0x02, 0x00, 0xEE, 0xEE},        // status frame
                                PacketFrame(0x300, GenericPacket(3))})});
    source.Pipe().Add({0, Bytes{0x77, 0x66}});                              // junk before the next frame
    source.Pipe().Add({0, PacketFrame(0x400, GenericPacket(4))});

    ASSERT_EQ(capture.Start(Board(), Param()), PelagorCore::kStartRunning);
    ASSERT_TRUE(WaitForRecords(6));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(capture.Stop(), PelagorCore::kStopped);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(PelagorCore::kStopWaitMs));

    ASSERT_EQ(store.GetPacketCount(0), 6);
    const struct {
        int status; // 0: a packet with this first payload byte follows in `first`
        uint8_t first;
        int crcOk;
    } expected[] = {{0, 1, 1}, {0, 2, 0}, {PelagorCore::kEventStatusFrame, 0, 0}, {0, 3, 1},
                    {PelagorCore::kEventResync, 0, 0}, {0, 4, 1}};
    uint64_t lastTime = 0;
    for (int32_t n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const Stored stored = Record(n);
        EXPECT_EQ(stored.head.packetNumber, static_cast<uint32_t>(n));
        const auto& e = expected[n - 1];
        EXPECT_EQ(stored.parsed.status, e.status);
        if (e.status != 0)
            continue;
        EXPECT_EQ(stored.head.length, 5);
        ASSERT_EQ(stored.bytes.size(), 5u);
        EXPECT_EQ(stored.bytes[0], e.first);
        EXPECT_EQ(stored.parsed.crcOk, e.crcOk);
        EXPECT_EQ(stored.parsed.frameLength, 5);
        const uint64_t time = stored.head.timeStamp;
        EXPECT_GT(time, lastTime);
        lastTime = time;
    }
    EXPECT_EQ(store.ErrorCount(), 1);
    EXPECT_TRUE(boxes.Texts().empty());
    EXPECT_EQ(windows.Count(platform::WM_CAPTURE_STOPPED), 0u);

    // The board was booted, tuned, started and stopped.
    std::vector<uint8_t> commands;
    for (const auto& command : source.Recorded().commands)
        commands.push_back(command.command);
    EXPECT_EQ(commands, (std::vector<uint8_t>{0xC9, 0xD2, 0xD2, 0xD0, 0xD1}));
    EXPECT_EQ(source.Recorded().commands[1].data, Bytes{3});
    EXPECT_EQ(source.Recorded().boardsOpen, 0);
}

TEST_F(CaptureEndToEnd, RefusedPacketStillGoesOutAndEndsTheCapture)
{
    testsupport::UdpReceiver receiver;
    ASSERT_EQ(receiver.Bind(htonl(INADDR_LOOPBACK), 0, false), 0);
    Pelagor capture(kMainWindow, program);
    capture.SetPacketLimits(host.RawLength(), 11);
    store.SetPluginHandler(nullptr); // the store can no longer decode: it refuses every packet
    source.Pipe().Add({0, Join({PacketFrame(0x01020304, GenericPacket(9)), PacketFrame(0x01020400, GenericPacket(10))})});
    CAPTURE_START_PARAM param = Param();
    param.broadcastOn = 1;
    param.udpAddress = 0x7F000001;
    param.udpPort = receiver.Port();

    ASSERT_EQ(capture.Start(Board(), param), PelagorCore::kStartRunning);
    ASSERT_TRUE(windows.WaitFor(platform::WM_CAPTURE_STOPPED, 5000));
    const auto datagram = receiver.Receive();
    ASSERT_TRUE(datagram.has_value());
    const Bytes expected = {0x00, 0, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0, 5, 0, 9, 0x41, 0x42, 0xC0, 0x85};
    EXPECT_EQ(*datagram, expected);
    EXPECT_FALSE(receiver.Receive(100).has_value());
    EXPECT_EQ(store.GetPacketCount(0), 0);
    const auto messages = windows.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().target, kNotifyWindow);
    EXPECT_EQ(capture.Stop(), PelagorCore::kStopped);
}

TEST_F(CaptureEndToEnd, UpdateQuestionAndBusyStateGoToTheMainWindow)
{
    Pelagor capture(kMainWindow, program);
    capture.SetPacketLimits(host.RawLength(), 11);
    DravikEbInfo board = Board();
    board.firmwareRevision = 0xBAAD;
    boxes.QueueAnswer(platform::MessageAnswer::Yes);
    EXPECT_EQ(capture.Start(board, Param()), PelagorCore::kStartUpdating);
    PelagorCore::JoinWorkerThreads();
    const auto requests = boxes.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].text, "Firmware on Kestrix board [rev. 0xBAAD] is out of date. Update to most recent [rev. 0x0112]? ");
    EXPECT_EQ(requests[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(requests[0].icon, platform::MessageIcon::Exclamation);
    const auto messages = windows.Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].target, kMainWindow);
    EXPECT_EQ(messages[0].message, platform::WM_BUSY_STATE);
    EXPECT_EQ(messages[0].wParam, 1u);
    EXPECT_EQ(messages[1].wParam, 0u);
    EXPECT_EQ(source.Recorded().updates.size(), 1u);
}

TEST_F(CaptureEndToEnd, CaptureEventsBecomeErrorRecords)
{
    Pelagor capture(kMainWindow, program);
    capture.SetPacketLimits(host.RawLength(), 11);
    // The device sends what it still holds after an overflow in the reads that follow.
    source.Pipe().Add({0, Join({PacketFrame(1, GenericPacket(1)), Bytes{0x13, 0x00, 0x00}})});
    source.Pipe().Add({0, PacketFrame(2, GenericPacket(2))});
    ASSERT_EQ(capture.Start(Board(), Param()), PelagorCore::kStartRunning);
    ASSERT_TRUE(WaitForRecords(3));
    EXPECT_EQ(capture.Stop(), PelagorCore::kStopped);
    EXPECT_EQ(Record(2).parsed.status, PelagorCore::kEventOverflow);
    EXPECT_EQ(Record(3).head.packetNumber, 3u);
}

// The default simulated boards through the shipped program tree and firmware: each board of
// the set captures, and what arrives is numbered without a gap and decoded.
class SimulatedCapture : public ::testing::TestWithParam<SimulatedBoardConfig> {};

TEST_P(SimulatedCapture, PacketsArriveFromEveryDefaultBoard)
{
    TempFolder folder;
    PluginHandler host;
    PacketManager store;
    ASSERT_EQ(host.Load(HALYARD_PATH, ""), 1);
    ASSERT_TRUE(testsupport::SetUpStore(store, &host, host.RawLength(), host.ParsedLength(),
                                        folder.Path().string() + "/", 1));
    SimulatedBoardConfig board = GetParam();
    board.framesPerSecond = 1000;
    board.updateMs = 10;
    SimulatedBoardSource boards({board});
    InstallDravikBoardSource(&boards);
    platform::MessageBoxRecorder boxes;
    boxes.QueueAnswer(platform::MessageAnswer::Yes); // an out-of-date board is updated first
    platform::WindowMessageRecorder windows;
    DravikEbInfo device[DravikEb::kMaxBoards];
    int count = DravikEb::kMaxBoards;
    ASSERT_EQ(DravikEb::EnumEbs(device, &count, 0xFFFF), 0);
    ASSERT_EQ(count, 1);
    {
        Pelagor capture(kMainWindow, PELAGOR_PROGRAM_DIR "/");
        Pelagor::SetPacketManager(&store);
        capture.SetPacketLimits(host.RawLength(), 11);
        CAPTURE_START_PARAM param;
        param.notifyWindow = kNotifyWindow;
        param.channel = 12;
        const std::string firmware = "sniffer_fw_qz" + [&] {
            char code[8];
            std::snprintf(code, sizeof code, "%04x", board.chipCode);
            return std::string(code);
        }() + ".hex";
        param.firmwareFile = firmware.c_str();
        int started = capture.Start(device[0], param);
        if (started == PelagorCore::kStartUpdating) {
            PelagorCore::JoinWorkerThreads();
            count = DravikEb::kMaxBoards;
            DravikEb::EnumEbs(device, &count, 0xFFFF);
            started = capture.Start(device[0], param);
        }
        ASSERT_EQ(started, PelagorCore::kStartRunning) << testing::PrintToString(boxes.Texts());
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const auto before = std::chrono::steady_clock::now();
        EXPECT_EQ(capture.Stop(), PelagorCore::kStopped);
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(1000));
        Pelagor::SetPacketManager(nullptr);
    }
    InstallDravikBoardSource(nullptr);

    const int32_t total = store.GetPacketCount(0);
    EXPECT_GT(total, 100);
    Bytes record(store.RecordLength());
    int packets = 0;
    for (int32_t n = 1; n <= total; ++n) {
        ASSERT_EQ(store.GetParsedData(n, record.data()), 1);
        const RAW_PACKET_REC head = ReadRawPacketHeader(record.data());
        ASSERT_EQ(head.packetNumber, static_cast<uint32_t>(n));
        PARSED_DATA parsed{};
        LoadParsedData(parsed, record.data() + host.RawLength());
        EXPECT_EQ(parsed.status, 0) << "record " << n;
        if (parsed.status == 0 && parsed.frameLength > 0)
            ++packets;
    }
    EXPECT_EQ(packets, total);
    EXPECT_EQ(windows.Count(platform::WM_CAPTURE_STOPPED), 0u);
}

INSTANTIATE_TEST_SUITE_P(DefaultSet, SimulatedCapture, ::testing::ValuesIn(BoardFile::DefaultBoards()),
                         [](const auto& info) {
                             char name[48];
                             std::snprintf(name, sizeof name, "board_%04X_chip_%04X_serial_%u", info.param.boardType,
                                           info.param.chipCode, info.param.serialNumber);
                             return std::string(name);
                         });

} // namespace
