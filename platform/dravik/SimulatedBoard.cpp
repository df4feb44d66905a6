#include "platform/dravik/SimulatedBoard.h"

#include <algorithm>
#include <cstdio>

#include "chips/ChipCodes.h"
#include "platform/dravik/SimulatedChip.h"
#include "platform/dravik/SimulatedPipe.h"
#include "platform/dravik/SimulatedStreamSource.h"

namespace {

SimulatedPipeSettings PipeSettings(const SimulatedBoardConfig& config)
{
    SimulatedPipeSettings settings;
    settings.layout = config.layout;
    settings.paced = config.framesPerSecond > 0;
    settings.deviceBufferBytes = config.deviceBufferBytes;
    settings.junkEvery = config.junkEvery;
    settings.statusEvery = config.statusEvery;
    settings.cutEvery = config.cutEvery;
    settings.overflowEvery = config.overflowEvery;
    settings.readErrorEvery = config.readErrorEvery;
    return settings;
}

} // namespace

SimulatedBoard::SimulatedBoard(const SimulatedBoardConfig& config, std::shared_ptr<SimulatedBoardMemory> memory,
                               FrameSourceFactory factory)
    : config_(config), memory_(std::move(memory)), transceiver_(IsTransceiverChip(config.chipCode))
{
    if (!config_.Has(kFaultNoChip))
        chip_ = std::make_unique<SimulatedChip>(*this, config_.chipCode);
    if (!config_.Has(kFaultPipe)) {
        std::unique_ptr<SimulatedFrameSource> source =
            factory ? factory(config_, channel_) : std::make_unique<SimulatedStreamSource>(config_, channel_);
        pipe_ = std::make_unique<SimulatedPipe>(PipeSettings(config_), std::move(source));
    }
}

SimulatedBoard::~SimulatedBoard() = default;

int SimulatedBoard::SetLogFile(const char* name)
{
    if (name == nullptr || name[0] == '\0' || config_.Has(kFaultLog))
        return -1;
    std::lock_guard lock(mutex_);
    logName_ = name;
    logging_ = true;
    LogLocked("log started");
    return 0;
}

void SimulatedBoard::CloseLogFile()
{
    std::lock_guard lock(mutex_);
    if (logging_)
        LogLocked("log closed");
    logging_ = false;
}

uint16_t SimulatedBoard::GetChipType()
{
    return config_.chipCode;
}

DravikChip* SimulatedBoard::GetChip()
{
    return chip_.get();
}

int SimulatedBoard::SetProfile(int profile)
{
    if (profile < 0 || profile > kProfileBoardFirmware)
        return -1;
    std::lock_guard lock(mutex_);
    if (config_.Has(kFaultProfile))
        return 0; // accepted, never taken: only the read-back tells
    pendingProfile_ = profile;
    profileDue_ = Clock::now() + std::chrono::milliseconds(config_.profileDelayMs);
    SettleProfile();
    return 0;
}

int SimulatedBoard::GetProfile()
{
    std::lock_guard lock(mutex_);
    SettleProfile();
    return profile_;
}

void SimulatedBoard::SettleProfile()
{
    if (pendingProfile_ < 0 || Clock::now() < profileDue_)
        return;
    if (pendingProfile_ != profile_) {
        // Another profile restarts the processors: nothing runs until it is booted again.
        StopCapture();
        booted_ = false;
        profile_ = pendingProfile_;
    }
    pendingProfile_ = -1;
}

bool SimulatedBoard::FirmwareRuns() const
{
    return (profile_ == kProfileChipFirmware && booted_) || (profile_ == kProfileBoardFirmware && transceiver_);
}

void SimulatedBoard::StopCapture()
{
    if (pipe_)
        pipe_->Stop();
    capturing_ = false;
}

int SimulatedBoard::Command(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length,
                            const uint8_t* data)
{
    std::lock_guard lock(mutex_);
    SettleProfile();
    const int result = RunCommand(command, parameter1, parameter2, length, data);
    char line[96];
    std::snprintf(line, sizeof line, "command %u (%u, %u, %d bytes) -> %d", command, parameter1, parameter2,
                  length, result);
    LogLocked(line);
    return result;
}

int SimulatedBoard::RunCommand(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length,
                               const uint8_t* data)
{
    if (length < 0 || length > kMaxParamBytes || (length > 0 && data == nullptr))
        return kBadCommand;
    switch (command) {
    case kCmdBoot: {
        if (length != 0)
            return kBadCommand;
        if (profile_ != kProfileChipFirmware || transceiver_)
            return kNotReady;
        if (config_.Has(kFaultBoot))
            return kBoardFault;
        bool holdsFirmware = false;
        memory_->WithFlash(config_, [&](std::vector<uint8_t>& flash) {
            holdsFirmware = std::any_of(flash.begin(), flash.end(), [](uint8_t b) { return b != 0xFF; });
        });
        if (!holdsFirmware)
            return kNotReady;
        booted_ = true;
        return 0;
    }
    case kCmdStart:
        if (length != 0)
            return kBadCommand;
        if (!FirmwareRuns())
            return kNotReady;
        if (config_.Has(kFaultStart))
            return kBoardFault;
        if (pipe_)
            pipe_->Start();
        capturing_ = true;
        return 0;
    case kCmdStop:
        if (length != 0)
            return kBadCommand;
        if (!FirmwareRuns())
            return kNotReady;
        StopCapture();
        return 0;
    case kCmdSetParam:
        if (!FirmwareRuns())
            return kNotReady;
        if (config_.Has(kFaultParam))
            return kBoardFault;
        return SetParam(parameter1, parameter2, length, data);
    default:
        return kBadCommand;
    }
}

int SimulatedBoard::SetParam(uint8_t type, uint8_t subtype, int length, const uint8_t* data)
{
    switch (type) {
    case kParamChannel:
        if (subtype != 0 || length != 1)
            return kBadCommand;
        channel_ = data[0];
        if (pipe_)
            pipe_->SetChannel(channel_);
        return 0;
    case kParamCaptureMode:
        if (subtype != 0 || length != 1)
            return kBadCommand;
        captureMode_ = data[0];
        return 0;
    case kParamRegisters:
        if (subtype == kRegisterPairs && length > 0 && length % 2 == 0) {
            for (int i = 0; i < length; i += 2)
                registers_[data[i]] = data[i + 1];
            return 0;
        }
        if (subtype == kRegisterTriples && length > 0 && length % 3 == 0) {
            for (int i = 0; i < length; i += 3)
                registers_[static_cast<uint16_t>(data[i] << 8 | data[i + 1])] = data[i + 2];
            return 0;
        }
        return kBadCommand;
    case kParamInitiator:
        if (subtype != 0 || length != static_cast<int>(initiator_.size()))
            return kBadCommand;
        std::copy_n(data, initiator_.size(), initiator_.begin());
        return 0;
    default:
        return kBadCommand;
    }
}

DravikPipe* SimulatedBoard::GetUsbPipe()
{
    return pipe_.get();
}

bool SimulatedBoard::InDebugProfile()
{
    std::lock_guard lock(mutex_);
    SettleProfile();
    return profile_ == kProfileDebugger;
}

int SimulatedBoard::ResetChip()
{
    std::lock_guard lock(mutex_);
    if (config_.Has(kFaultReset)) {
        LogLocked("chip reset failed");
        return kBoardFault;
    }
    StopCapture();
    booted_ = false;
    LogLocked("chip reset");
    return 0;
}

void SimulatedBoard::WithFlash(const std::function<void(std::vector<uint8_t>&)>& use)
{
    memory_->WithFlash(config_, use);
}

void SimulatedBoard::Log(const std::string& line)
{
    std::lock_guard lock(mutex_);
    LogLocked(line);
}

void SimulatedBoard::LogLocked(const std::string& line)
{
    if (!logging_)
        return;
    if (log_.size() == kMaxLogLines)
        log_.pop_front();
    log_.push_back(logName_ + ": " + line);
}

uint8_t SimulatedBoard::Channel() const
{
    std::lock_guard lock(mutex_);
    return channel_;
}

uint8_t SimulatedBoard::CaptureMode() const
{
    std::lock_guard lock(mutex_);
    return captureMode_;
}

std::map<uint16_t, uint8_t> SimulatedBoard::Registers() const
{
    std::lock_guard lock(mutex_);
    return registers_;
}

std::array<uint8_t, 6> SimulatedBoard::InitiatorAddress() const
{
    std::lock_guard lock(mutex_);
    return initiator_;
}

bool SimulatedBoard::Booted() const
{
    std::lock_guard lock(mutex_);
    return booted_;
}

bool SimulatedBoard::Capturing() const
{
    std::lock_guard lock(mutex_);
    return capturing_;
}

std::vector<std::string> SimulatedBoard::LogLines() const
{
    std::lock_guard lock(mutex_);
    return {log_.begin(), log_.end()};
}
