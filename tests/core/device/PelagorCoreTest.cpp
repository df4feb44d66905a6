// The capture engine against a scripted device-access object: the start sequence, what it
// sends to the device, the reader thread's handling of every framing result, and stopping.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/device/PelagorCore.h"
#include "platform/WindowMessageRecorder.h"
#include "tests/support/ScriptedAccess.h"
#include "tests/support/UdpReceiver.h"

namespace {

using testsupport::AccessScript;
using Bytes = std::vector<uint8_t>;

constexpr platform::WindowHandle kWindow = 0x77;

// An engine whose device is scripted and whose callbacks are recorded.
class RecordingEngine : public PelagorCore {
public:
    explicit RecordingEngine(std::shared_ptr<AccessScript> script)
        : PelagorCore("/opt/pelagor/General/"), script_(std::move(script))
    {
    }
    ~RecordingEngine() override { Shutdown(); }

    struct Packet {
        Bytes record; // from the packet number on
        int length;
        uint8_t broadcastOnly;
    };

    std::vector<Packet> Packets()
    {
        std::lock_guard lock(mutex_);
        return packets_;
    }
    std::vector<int> Events()
    {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<std::string> Messages()
    {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<int> Progress()
    {
        std::lock_guard lock(mutex_);
        return progress_;
    }

    bool acceptPackets = true;
    uint8_t infoByte = 0x11;
    bool answer = true;
    std::vector<std::string> questions;

protected:
    bool OnPacket(uint8_t* record, uint8_t, int length, uint8_t broadcastOnly, uint8_t* info) override
    {
        std::lock_guard lock(mutex_);
        // The store numbers the packet in place, the way the datagram then carries it.
        const uint32_t number = static_cast<uint32_t>(packets_.size()) + 1;
        std::memcpy(record, &number, 4);
        packets_.push_back({Bytes(record, record + 4 + length), length, broadcastOnly});
        *info = infoByte;
        return acceptPackets;
    }
    void OnCaptureEvent(int code) override
    {
        std::lock_guard lock(mutex_);
        events_.push_back(code);
    }
    void OnProgress(uint8_t on) override
    {
        std::lock_guard lock(mutex_);
        progress_.push_back(on);
    }
    bool AskUser(const char* question) override
    {
        std::lock_guard lock(mutex_);
        questions.emplace_back(question);
        return answer;
    }
    void ShowMessage(const char* text) override
    {
        std::lock_guard lock(mutex_);
        messages_.emplace_back(text);
    }
    std::unique_ptr<PelagorAccess> CreateAccess(const DravikEbInfo&) override
    {
        return std::make_unique<testsupport::ScriptedAccess>(script_, BoardFirmwareFolder().c_str(),
                                                             ChipFirmwareFolder().c_str());
    }

private:
    std::shared_ptr<AccessScript> script_;
    std::mutex mutex_;
    std::vector<Packet> packets_;
    std::vector<int> events_;
    std::vector<std::string> messages_;
    std::vector<int> progress_;
};

DravikEbInfo Device(uint16_t chip, uint16_t usbId = 0x1234)
{
    DravikEbInfo info;
    info.boardType = 5;
    info.chipCode = chip;
    info.usbDeviceId = usbId;
    std::snprintf(info.chipName, sizeof info.chipName, "QZ%X", chip);
    std::snprintf(info.deviceText, sizeof info.deviceText, "Kestrix board");
    return info;
}

CAPTURE_START_PARAM Param(uint8_t channel = 15)
{
    CAPTURE_START_PARAM param;
    param.notifyWindow = kWindow;
    param.channel = channel;
    param.firmwareFile = "sniffer_fw_qz6f1c.hex";
    return param;
}

// A framed record as the device layer hands it out: [u32 ticks][u32 wrap][u16 N][N bytes].
Bytes DeviceRecord(uint32_t ticks, const Bytes& packet)
{
    Bytes record(10 + packet.size());
    std::memcpy(record.data(), &ticks, 4);
    const uint16_t n = static_cast<uint16_t>(packet.size());
    std::memcpy(record.data() + 8, &n, 2);
    std::copy(packet.begin(), packet.end(), record.begin() + 10);
    return record;
}

AccessScript::Read PacketRead(uint32_t ticks, const Bytes& packet = {0x05, 0x41, 0x88, 0x30, 0x80})
{
    return {0, 0, DeviceRecord(ticks, packet)};
}

class PelagorCoreTest : public ::testing::Test {
protected:
    std::shared_ptr<AccessScript> script = std::make_shared<AccessScript>();
    RecordingEngine engine{script};
    platform::WindowMessageRecorder windows;

    void SetUp() override { engine.SetPacketLimits(128, 11); }

    int StartWith(uint16_t chip, CAPTURE_START_PARAM param = Param())
    {
        return engine.Start(Device(chip), param);
    }
    std::vector<AccessScript::Parameter> Parameters()
    {
        std::lock_guard lock(script->mutex);
        return script->parameters;
    }
};

TEST_F(PelagorCoreTest, FirmwareFoldersFollowTheProgramFolder)
{
    EXPECT_EQ(engine.BoardFirmwareFolder(), "/opt/pelagor/General/../../../firmware/");
    EXPECT_EQ(engine.ChipFirmwareFolder(), "/opt/pelagor/General/firmware/");
    EXPECT_EQ(PelagorCore::Instance(), &engine);
}

TEST(PelagorCoreProgram, FoldersOfTheRunningProgram)
{
    PelagorCore core;
    ASSERT_FALSE(core.ProgramFolder().empty());
    EXPECT_EQ(core.ProgramFolder().back(), '/');
    EXPECT_EQ(core.ChipFirmwareFolder(), core.ProgramFolder() + "firmware/");
}

TEST_F(PelagorCoreTest, StartBeforePacketLimitsFailsSilently)
{
    engine.SetPacketLimits(0, 0);
    EXPECT_EQ(StartWith(0x6F1C), PelagorCore::kStartFailed);
    EXPECT_TRUE(engine.Messages().empty());
    EXPECT_EQ(script->created, 0);
}

TEST_F(PelagorCoreTest, DeviceWithoutUsbIdIsRefused)
{
    EXPECT_EQ(engine.Start(Device(0x6F1C, 0), Param()), PelagorCore::kStartFailed);
    EXPECT_EQ(engine.Messages(), std::vector<std::string>{"Invalid USB device ID: 0x0000\n"});
    EXPECT_EQ(script->created, 0);
}

TEST_F(PelagorCoreTest, TooLongFirmwarePathShowsTheAccessLayersText)
{
    const std::string name(300, 'f');
    CAPTURE_START_PARAM param = Param();
    param.firmwareFile = name.c_str();
    EXPECT_EQ(StartWith(0x6F1C, param), PelagorCore::kStartFailed);
    ASSERT_EQ(engine.Messages().size(), 1u);
    EXPECT_EQ(engine.Messages()[0].rfind("The full path name to the \"FW\" file exceeds the maximum of 260 characters:\n", 0), 0u);
    EXPECT_EQ(script->connects, 0);
}

struct ConnectCase {
    int connectResult;
    int startResult;
};

void PrintTo(const ConnectCase& c, std::ostream* os) { *os << "connect " << c.connectResult; }

class PelagorCoreConnect : public PelagorCoreTest, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(PelagorCoreConnect, NonZeroResultClosesTheDevice)
{
    script->connectResult = GetParam().connectResult;
    EXPECT_EQ(StartWith(0x6F1C), GetParam().startResult);
    EXPECT_EQ(script->destroyed, 1);
    EXPECT_FALSE(engine.Running());
    EXPECT_TRUE(Parameters().empty());
    EXPECT_TRUE(engine.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Results, PelagorCoreConnect,
                         ::testing::Values(ConnectCase{5, PelagorCore::kStartFailed},
                                           ConnectCase{4, PelagorCore::kStartUpdating},
                                           ConnectCase{1, PelagorCore::kStartUpdating}),
                         [](const auto& info) { return "connect_" + std::to_string(info.param.connectResult); });

TEST_F(PelagorCoreTest, StartConfiguresAndRuns)
{
    CAPTURE_START_PARAM param = Param(20);
    const uint8_t address[6] = {1, 2, 3, 4, 5, 6};
    std::memcpy(param.initiatorAddress, address, 6);
    param.initiatorPresent = 1;
    const int registers[] = {0x2E, 0x01, 0x130, 0x2FF};
    param.registerList = registers;
    param.registerCount = 4;
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(StartWith(0x6F1C, param), PelagorCore::kStartRunning);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(200));
    EXPECT_TRUE(engine.Running());
    EXPECT_EQ(engine.Channel(), 20);
    EXPECT_EQ(script->firmwarePath, "/opt/pelagor/General/firmware/sniffer_fw_qz6f1c.hex");
    const auto sent = Parameters();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].type, 0);
    EXPECT_EQ(sent[0].bytes, Bytes{20});
    EXPECT_EQ(sent[1].type, 6);
    EXPECT_EQ(sent[1].bytes, Bytes(address, address + 6));
    EXPECT_EQ(sent[2].type, 4);
    EXPECT_EQ(sent[2].subtype, -1);
    EXPECT_EQ(sent[2].bytes, (Bytes{0x2E, 0x01, 0x30, 0xFF}));
    EXPECT_EQ(script->starts, 1);
    EXPECT_EQ(script->startLength, 128);

    // A second start changes nothing.
    EXPECT_EQ(StartWith(0x6F1C, param), PelagorCore::kStartRunning);
    EXPECT_EQ(script->created, 1);
    EXPECT_EQ(Parameters().size(), 3u);

    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);
    EXPECT_EQ(script->stops, 1);
    EXPECT_EQ(script->destroyed, 1);
    EXPECT_FALSE(engine.Running());
}

struct ChipCase {
    uint16_t chip;
    bool channelSent;
    bool wideRegisters;
};

void PrintTo(const ChipCase& c, std::ostream* os) { *os << std::hex << c.chip; }

class PelagorCoreChips : public PelagorCoreTest, public ::testing::WithParamInterface<ChipCase> {};

TEST_P(PelagorCoreChips, ChannelAndRegisterForm)
{
    const int registers[] = {0x1234, 0xAB, 0x0056, 0x1CD};
    CAPTURE_START_PARAM param = Param(7);
    param.registerList = registers;
    param.registerCount = 4;
    ASSERT_EQ(StartWith(GetParam().chip, param), PelagorCore::kStartRunning);
    auto sent = Parameters();
    ASSERT_EQ(sent.size(), GetParam().channelSent ? 2u : 1u);
    if (GetParam().channelSent) {
        EXPECT_EQ(sent.front().type, 0);
    }
    const auto& registerWrite = sent.back();
    EXPECT_EQ(registerWrite.type, 4);
    if (GetParam().wideRegisters) {
        EXPECT_EQ(registerWrite.subtype, 16);
        EXPECT_EQ(registerWrite.bytes, (Bytes{0x12, 0x34, 0xAB, 0x00, 0x56, 0xCD}));
    } else {
        EXPECT_EQ(registerWrite.subtype, -1);
        EXPECT_EQ(registerWrite.bytes, (Bytes{0x34, 0xAB, 0x56, 0xCD}));
    }
}

INSTANTIATE_TEST_SUITE_P(Chips, PelagorCoreChips,
                         ::testing::Values(ChipCase{0x6F1C, true, false}, ChipCase{0x6E7A, true, false},
                                           ChipCase{0x3A5C, false, true}, ChipCase{0x3A5D, false, true},
                                           ChipCase{0x3A5F, false, true}, ChipCase{0x3B90, false, true},
                                           ChipCase{0x3B93, false, true}, ChipCase{0x3BC6, false, false}),
                         [](const auto& info) {
                             char name[16];
                             std::snprintf(name, sizeof name, "chip_%04X", info.param.chip);
                             return std::string(name);
                         });

TEST_F(PelagorCoreTest, RegistersGoInChunksOfTheDevicesLimit)
{
    std::vector<int> registers(70);
    for (int i = 0; i < 70; ++i)
        registers[i] = i;
    CAPTURE_START_PARAM param = Param();
    param.registerList = registers.data();
    param.registerCount = 70 | 0x30000; // only the low 16 bits count
    ASSERT_EQ(StartWith(0x6F1C, param), PelagorCore::kStartRunning);
    const auto sent = Parameters();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1].bytes.size(), 60u);
    EXPECT_EQ(sent[2].bytes.size(), 10u);
    EXPECT_EQ(sent[2].bytes.front(), 60);
    EXPECT_EQ(sent[2].bytes.back(), 69);
}

TEST_F(PelagorCoreTest, WideRegistersGoInChunksOfPairs)
{
    std::vector<int> registers(70, 0x0102);
    CAPTURE_START_PARAM param = Param();
    param.registerList = registers.data();
    param.registerCount = 70;
    ASSERT_EQ(StartWith(0x3A5C, param), PelagorCore::kStartRunning);
    const auto sent = Parameters();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].bytes.size(), 90u);
    EXPECT_EQ(sent[1].bytes.size(), 15u);
}

struct RefusalCase {
    const char* name;
    int failType;      // refused parameter type, -1 none
    bool failStart;
    int udpPort;       // with broadcast on when not 0
    std::string text;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class PelagorCoreRefusals : public PelagorCoreTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(PelagorCoreRefusals, ShowTheirTextAndKeepTheDeviceOpen)
{
    const RefusalCase& c = GetParam();
    script->failParameterType = c.failType;
    script->startOk = !c.failStart;
    CAPTURE_START_PARAM param = Param(26);
    param.initiatorPresent = 1;
    const int registers[] = {1, 2};
    param.registerList = registers;
    param.registerCount = 2;
    if (c.udpPort != 0) {
        param.broadcastOn = 1;
        param.udpAddress = 0x7F000001;
        param.udpPort = c.udpPort;
    }
    EXPECT_EQ(StartWith(0x6F1C, param), PelagorCore::kStartFailed);
    EXPECT_EQ(engine.Messages(), std::vector<std::string>{c.text});
    EXPECT_FALSE(engine.Running());
    EXPECT_EQ(script->destroyed, 0);
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);
    EXPECT_EQ(script->destroyed, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, PelagorCoreRefusals,
    ::testing::Values(RefusalCase{"channel", 0, false, 0, "Not able to set channel: 26\n"},
                      RefusalCase{"initiator", 6, false, 0, "Not able to set the initiator address"},
                      RefusalCase{"registers", 4, false, 0, "Not able to set radio registers for QZ6F1C\n"},
                      RefusalCase{"udp", -1, false, 70000, "Not able to create UDP data channel"},
                      RefusalCase{"start", -1, true, 0, "Not able to start the sniffer.\n Try to upgrade USB firmware."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PelagorCoreTest, StartAfterAFailedStartOpensTheDeviceAgain)
{
    script->failParameterType = 0;
    EXPECT_EQ(StartWith(0x6F1C), PelagorCore::kStartFailed);
    script->failParameterType = -1;
    EXPECT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    EXPECT_EQ(script->created, 2);
    EXPECT_EQ(script->destroyed, 1);
}

TEST_F(PelagorCoreTest, ReaderTurnsResultsIntoPacketsAndEvents)
{
    script->Add({9, 0, {}});
    script->Add({7, 3, {}});
    script->Add({2, 0, DeviceRecord(5, {1, 2})});
    script->Add({6, 0, {}});
    script->Add({8, 5, {}});
    script->Add({10, 0, DeviceRecord(5, {1, 2})});
    script->Add({1, 0, {}});
    script->Add(PacketRead(100));
    script->Add({0, 4, DeviceRecord(101, {9})}); // data of an unknown kind
    script->Add({0, 10, DeviceRecord(102, {9})}); // data of kind 10: ignored
    script->Add({0, 3, {}});                      // device overflow without data
    script->Add({0, 10, {}});                     // communication error
    script->Add({0, 7, {}});                      // no data, no meaning
    script->Add(PacketRead(200, {0x03, 0xAA, 0x40, 0x80}));
    CAPTURE_START_PARAM param = Param();
    param.broadcastOnly = 1;
    ASSERT_EQ(StartWith(0x6F1C, param), PelagorCore::kStartRunning);
    ASSERT_TRUE(script->WaitUntilReadsDone(5000));
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);

    EXPECT_EQ(engine.Events(), (std::vector<int>{1, 6, 7, 10, 4, 1, 3}));
    const auto packets = engine.Packets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].length, 15);
    EXPECT_EQ(packets[0].broadcastOnly, 1);
    Bytes expected = {1, 0, 0, 0};
    const Bytes device = DeviceRecord(100, {0x05, 0x41, 0x88, 0x30, 0x80});
    expected.insert(expected.end(), device.begin(), device.end());
    EXPECT_EQ(packets[0].record, expected);
    EXPECT_TRUE(engine.Messages().empty());
    EXPECT_EQ(windows.Count(platform::WM_CAPTURE_STOPPED), 0u);
}

struct CommunicationCase {
    const char* name;
    std::vector<AccessScript::Read> reads;
    bool stops;
};

AccessScript::Read CommunicationError()
{
    return {0, 10, {}};
}

std::vector<AccessScript::Read> Errors(int count, std::vector<AccessScript::Read> between = {})
{
    std::vector<AccessScript::Read> reads;
    for (int i = 0; i < count; ++i) {
        reads.push_back(CommunicationError());
        reads.insert(reads.end(), between.begin(), between.end());
    }
    return reads;
}

std::vector<AccessScript::Read> Join(std::vector<AccessScript::Read> a, const std::vector<AccessScript::Read>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void PrintTo(const CommunicationCase& c, std::ostream* os) { *os << c.name; }

class PelagorCoreCommunication : public PelagorCoreTest, public ::testing::WithParamInterface<CommunicationCase> {};

TEST_P(PelagorCoreCommunication, TenInARowStopTheCapture)
{
    for (const auto& read : GetParam().reads)
        script->Add(read);
    ASSERT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    if (GetParam().stops) {
        ASSERT_TRUE(windows.WaitFor(platform::WM_CAPTURE_STOPPED, 5000));
        EXPECT_FALSE(engine.Running());
        EXPECT_EQ(engine.Messages(), std::vector<std::string>{"Communication error"});
        const auto messages = windows.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].target, kWindow);
        EXPECT_EQ(messages[0].wParam, 0u);
        EXPECT_EQ(messages[0].lParam, 0);
    } else {
        ASSERT_TRUE(script->WaitUntilReadsDone(5000));
        EXPECT_TRUE(engine.Running());
        EXPECT_TRUE(engine.Messages().empty());
    }
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);
    EXPECT_EQ(script->stops, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PelagorCoreCommunication,
    ::testing::Values(
        CommunicationCase{"ten", Errors(10), true},
        CommunicationCase{"ten_with_other_results_between",
                          Errors(10, {{9, 0, {}}, {2, 0, {}}, {6, 0, {}}, {8, 5, {}}, {0, 3, {}}}), true},
        CommunicationCase{"nine_then_a_packet_then_nine", Join(Join(Errors(9), {PacketRead(1)}), Errors(9)), false},
        CommunicationCase{"nine_then_unknown_data_then_nine",
                          Join(Join(Errors(9), {{0, 4, DeviceRecord(1, {1})}}), Errors(9)), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PelagorCoreTest, UnknownStatusEndsTheCapture)
{
    script->Add(PacketRead(1));
    script->Add({-7, 0, {}});
    script->Add(PacketRead(2));
    ASSERT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    ASSERT_TRUE(windows.WaitFor(platform::WM_CAPTURE_STOPPED, 5000));
    EXPECT_EQ(engine.Messages(), std::vector<std::string>{"Unknown return status from Dravik"});
    EXPECT_EQ(engine.Packets().size(), 1u);
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);
}

TEST_F(PelagorCoreTest, RefusedPacketIsStillForwarded)
{
    testsupport::UdpReceiver receiver;
    ASSERT_EQ(receiver.Bind(htonl(INADDR_LOOPBACK), 0, false), 0);
    engine.acceptPackets = false;
    engine.infoByte = 0x15;
    script->Add(PacketRead(0x01020304, {0x03, 0xAA, 0x40, 0x80}));
    script->Add(PacketRead(0x01020305));
    CAPTURE_START_PARAM param = Param();
    param.broadcastOn = 1;
    param.udpAddress = 0x7F000001;
    param.udpPort = receiver.Port();
    ASSERT_EQ(StartWith(0x6F1C, param), PelagorCore::kStartRunning);
    ASSERT_TRUE(windows.WaitFor(platform::WM_CAPTURE_STOPPED, 5000));
    const auto datagram = receiver.Receive();
    ASSERT_TRUE(datagram.has_value());
    const Bytes expected = {0x15, 1, 0, 0, 0, 0x04, 0x03, 0x02, 0x01, 0, 0, 0, 0, 4, 0, 0x03, 0xAA, 0x40, 0x80};
    EXPECT_EQ(*datagram, expected);
    EXPECT_FALSE(receiver.Receive(100).has_value()); // the capture ended with the refused packet
    EXPECT_EQ(engine.Packets().size(), 1u);
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);
}

TEST_F(PelagorCoreTest, StopWaitsForTheReaderAtMostItsBound)
{
    ASSERT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    script->Hold(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopFailed);
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, std::chrono::milliseconds(PelagorCore::kStopWaitMs));
    EXPECT_LT(waited, std::chrono::milliseconds(PelagorCore::kStopWaitMs + 2000));
    // The device stays open under the reader that still runs.
    EXPECT_EQ(script->stops, 0);
    EXPECT_EQ(script->destroyed, 0);
    script->Hold(false);
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);
    EXPECT_EQ(script->destroyed, 1);
}

TEST_F(PelagorCoreTest, FailedStopShowsItsText)
{
    ASSERT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    script->stopOk = false;
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopFailed);
    EXPECT_EQ(engine.Messages(), std::vector<std::string>{"Not able to stop the sniffer"});
    script->stopOk = true;
    EXPECT_EQ(engine.Stop(), PelagorCore::kStopped);
}

TEST_F(PelagorCoreTest, StartAfterTheReaderStoppedOnItsOwn)
{
    script->Add({-7, 0, {}});
    ASSERT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    ASSERT_TRUE(windows.WaitFor(platform::WM_CAPTURE_STOPPED, 5000));
    EXPECT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    EXPECT_EQ(script->created, 2);
    EXPECT_EQ(script->destroyed, 1);
}

TEST_F(PelagorCoreTest, DeviceCallbacksReachTheEngine)
{
    script->connectQuestion = "Update?";
    script->connectStartsWorker = true;
    script->connectResult = 4;
    engine.answer = false;
    EXPECT_EQ(StartWith(0x6F1C), PelagorCore::kStartUpdating);
    PelagorCore::JoinWorkerThreads();
    EXPECT_EQ(engine.questions, std::vector<std::string>{"Update?"});
    EXPECT_EQ(script->questionAnswer, 0);
    EXPECT_EQ(engine.Progress(), (std::vector<int>{1, 0}));
    EXPECT_EQ(engine.Messages(), std::vector<std::string>{"update finished"});
}

TEST_F(PelagorCoreTest, HardwareFiltersAreOnlyStored)
{
    engine.SetHardwareFcsFilter(1);
    engine.SetHardwareIncompleteFilter(1);
    EXPECT_EQ(engine.HardwareFcsFilter(), 1);
    EXPECT_EQ(engine.HardwareIncompleteFilter(), 1);
    ASSERT_EQ(StartWith(0x6F1C), PelagorCore::kStartRunning);
    EXPECT_EQ(Parameters().size(), 1u);
}

TEST_F(PelagorCoreTest, DestroyingARunningEngineStopsIt)
{
    auto other = std::make_shared<AccessScript>();
    {
        RecordingEngine running(other);
        running.SetPacketLimits(64, 11);
        ASSERT_EQ(running.Start(Device(0x6F1C), Param()), PelagorCore::kStartRunning);
    }
    EXPECT_EQ(other->stops, 1);
    EXPECT_EQ(other->destroyed, 1);
}

} // namespace
