#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dravik/DravikEb.h"
#include "platform/dravik/SimulatedBoardConfig.h"
#include "platform/dravik/SimulatedBoardMemory.h"
#include "platform/dravik/SimulatedFrameSource.h"

class SimulatedChip;
class SimulatedPipe;

// An opened simulated board. The capture firmware runs when the board is in profile 4 and was
// booted (the chip runs it), or in profile 5 on a transceiver (the board's processor runs
// it); START, STOP and SET_PARAM are answered only then. Safe to use from several threads.
class SimulatedBoard : public DravikEb {
public:
    using FrameSourceFactory =
        std::function<std::unique_ptr<SimulatedFrameSource>(const SimulatedBoardConfig& board, uint8_t channel)>;

    static constexpr uint8_t kCmdBoot = 201;
    static constexpr uint8_t kCmdStart = 208;
    static constexpr uint8_t kCmdStop = 209;
    static constexpr uint8_t kCmdSetParam = 210;
    static constexpr uint8_t kParamChannel = 0;
    static constexpr uint8_t kParamCaptureMode = 1;
    static constexpr uint8_t kParamRegisters = 4;
    static constexpr uint8_t kParamInitiator = 6;
    static constexpr uint8_t kRegisterPairs = 0;
    static constexpr uint8_t kRegisterTriples = 16;

    static constexpr int kProfileDebugger = 0;
    static constexpr int kProfileIdle = 1;
    static constexpr int kProfileChipFirmware = 4;
    static constexpr int kProfileBoardFirmware = 5;

    // Command results besides 0.
    static constexpr int kBadCommand = -1;   // unknown command or bad parameters
    static constexpr int kNotReady = -2;     // the capture firmware does not run
    static constexpr int kBoardFault = -3;   // a fault the board was told to have

    static constexpr int kMaxParamBytes = 255;
    static constexpr uint8_t kDefaultChannel = 11;
    static constexpr size_t kMaxLogLines = 1000;

    // factory makes the board's stream; empty: the radio traffic of the chip's channel.
    SimulatedBoard(const SimulatedBoardConfig& config, std::shared_ptr<SimulatedBoardMemory> memory,
                   FrameSourceFactory factory = {});
    ~SimulatedBoard() override;

    // The log is kept in memory (LogLines); nothing is written to disk.
    int SetLogFile(const char* name) override;
    void CloseLogFile() override;
    uint16_t GetChipType() override;
    DravikChip* GetChip() override;
    int SetProfile(int profile) override;
    int GetProfile() override;
    int Command(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length,
                const uint8_t* data) override;
    DravikPipe* GetUsbPipe() override;

    // For the chip and its debugger.
    const SimulatedBoardConfig& Config() const { return config_; }
    bool InDebugProfile();
    int ResetChip();
    void WithFlash(const std::function<void(std::vector<uint8_t>&)>& use);
    void Log(const std::string& line);

    // What the board was told.
    uint8_t Channel() const;
    uint8_t CaptureMode() const;
    std::map<uint16_t, uint8_t> Registers() const;
    std::array<uint8_t, 6> InitiatorAddress() const;
    bool Booted() const;
    bool Capturing() const;
    std::vector<std::string> LogLines() const;

private:
    using Clock = std::chrono::steady_clock;

    // Takes a profile change whose delay has passed; needs the lock.
    void SettleProfile();
    bool FirmwareRuns() const;
    int RunCommand(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length, const uint8_t* data);
    int SetParam(uint8_t type, uint8_t subtype, int length, const uint8_t* data);
    void StopCapture();
    void LogLocked(const std::string& line);

    const SimulatedBoardConfig config_;
    const std::shared_ptr<SimulatedBoardMemory> memory_;
    const bool transceiver_;

    mutable std::mutex mutex_;
    int profile_ = kProfileIdle;
    int pendingProfile_ = -1;
    Clock::time_point profileDue_;
    bool booted_ = false;
    bool capturing_ = false;
    uint8_t channel_ = kDefaultChannel;
    uint8_t captureMode_ = 0;
    std::map<uint16_t, uint8_t> registers_;
    std::array<uint8_t, 6> initiator_{};
    bool logging_ = false;
    std::string logName_;
    std::deque<std::string> log_;

    std::unique_ptr<SimulatedChip> chip_;
    std::unique_ptr<SimulatedPipe> pipe_;
};
