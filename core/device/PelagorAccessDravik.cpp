#include "core/device/PelagorAccessDravik.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>

#include "chips/ChipCodes.h"
#include "core/device/PacketBufferDravik.h"
#include "platform/PathText.h"
#include "platform/TextFormat.h"
#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikHexFile.h"

namespace {

// What outlives the access object: the board firmware update runs on after it is deleted.
// Taken when an update starts, so that a newer access object cannot change what is written.
struct ProcessState {
    std::mutex mutex;
    DravikEbInfo updateRecord;
    std::string updatePath;
};

ProcessState& TheProcessState()
{
    static ProcessState state;
    return state;
}

// The record comes from enumeration: its text need not be terminated.
std::string TextOf(const char* field, size_t size)
{
    return std::string(field, strnlen(field, size));
}

int ImageKindOf(uint16_t chipCode)
{
    switch (chipCode) {
    case 0x3A1E: case 0x3A1F: case 0x6F1C: case 0x6F1D: case 0x6F89:
        return DravikHexFile::kKindSmallFlash;
    case 0x6E7A: case 0x6E7B: case 0x6F86: case 0x6F87: case 0x6FB2: case 0x6FB3:
        return DravikHexFile::kKindLargeFlash;
    default:
        return 0;
    }
}

DravikDebugger* DebuggerOf(DravikChip& chip, uint16_t chipCode)
{
    switch (chipCode) {
    case 0x3A1E: case 0x3A1F: case 0x6F1C: case 0x6F1D:
        return chip.GetFamily1Debugger();
    case 0x6E7A: case 0x6E7B:
        return chip.GetFamily2Debugger();
    default:
        return chip.GetFamily3Debugger();
    }
}

} // namespace

PelagorAccessDravik::PelagorAccessDravik(const DravikEbInfo& deviceRecord, const char* boardFirmwareFolder,
                                         const char* chipFirmwareFolder)
    : PelagorAccess(boardFirmwareFolder, chipFirmwareFolder), deviceRecord_(deviceRecord)
{
    board_ = DravikEb::CreateEb(deviceRecord_, 0);
    if (!board_)
        return;
    board_->SetLogFile(kLogFileName);
    chipCode_ = board_->GetChipType();
    // Codes 0 and 1 name no chip: no debug interface, and programming refuses the code.
    if (chipCode_ <= 1)
        return;
    transceiver_ = IsTransceiverChip(chipCode_);
    if (transceiver_)
        return;
    if (DravikChip* chip = board_->GetChip())
        debugger_ = DebuggerOf(*chip, chipCode_);
}

PelagorAccessDravik::~PelagorAccessDravik()
{
    // The reader reads the board's pipe: it goes first.
    reader_.reset();
    pipe_ = nullptr;
    if (board_) {
        board_->CloseLogFile();
        board_->SetProfile(boardProfile_ == kProfileChipFirmware ? 0 : 1);
        board_.reset();
    }
}

const char* PelagorAccessDravik::BoardFirmwareFile(uint16_t boardType)
{
    switch (boardType) {
    case DravikEb::kBoardKestrix: return "Kestrix/dravik_fw_kestrixeb.hex";
    case DravikEb::kBoardTrennic: return "Trennic/dravik_fw_trennic.hex";
    case DravikEb::kBoardDalvor: return "Dalvor/dravik_fw_kestrixdbg.hex";
    default: return nullptr;
    }
}

const char* PelagorAccessDravik::BoardName(uint16_t boardType)
{
    switch (boardType) {
    case DravikEb::kBoardKestrix: return "Kestrix board";
    case DravikEb::kBoardTrennic: return "Trennic board";
    case DravikEb::kBoardDalvor: return "Dalvor";
    default: return nullptr;
    }
}

const char* PelagorAccessDravik::UpdateResultText(int result)
{
    switch (result) {
    case -1: return "HEX file not found or empty!\n";
    case -2: return "Verification of programmed image failed!\n";
    case -3: return "Communication error!\n";
    case -4: return "Device not known!\n";
    case -5: return "Timeout while waiting for device to appear on the USB bus!\n";
    case -6: return "Invalid length of HEX file!\n";
    case -7: return "Invalid address range in HEX file!\n";
    default: return "Firmware update failed!\n";
    }
}

std::string PelagorAccessDravik::DeviceText() const
{
    return TextOf(deviceRecord_.deviceText, sizeof deviceRecord_.deviceText);
}

int PelagorAccessDravik::Connect(int)
{
    if (!board_) {
        ReportError(platform::FormatText("Connect to EB device failed: %s", DeviceText().c_str()));
        return kConnectFailed;
    }
    boardProfile_ = transceiver_ ? kProfileBoardFirmware : kProfileChipFirmware;
    if (BoardFirmwareFile(deviceRecord_.boardType) != nullptr && CheckBoardFirmware())
        return kConnectUpdateStarted;
    if (!transceiver_ && !IsUsbDongleChip(chipCode_, deviceRecord_.boardType) && !ProgramChipFirmware())
        return kConnectFailed;
    if (!OpenPipe(boardProfile_)) {
        ReportError(platform::FormatText("Not able to initialize sniffer on %s", DeviceText().c_str()));
        return kConnectFailed;
    }
    if (transceiver_)
        return kConnectOk;
    if (!SendCommand(kBoardCmdBoot, 0, 0, 0, nullptr)) {
        ReportError(platform::FormatText("Not able to boot %s", DeviceText().c_str()));
        return kConnectFailed;
    }
    return kConnectOk;
}

bool PelagorAccessDravik::CheckBoardFirmware()
{
    const uint16_t boardType = deviceRecord_.boardType;
    const std::string path = platform::ToNativePath(JoinPath(boardFirmwareFolder_, BoardFirmwareFile(boardType)));
    std::unique_ptr<DravikHexFile> image = DravikHexFile::Create(DravikHexFile::kKindSmallFlash);
    if (!image || image->ReadHexFile(path) < 1) {
        ReportError(platform::FormatText(
            "Unable to find newest firmware hex file.\nCannot confirm/upgrade firmware on board!\n%s", path.c_str()));
        return false;
    }
    const uint32_t record = image->Word(kRevisionRecordPointer);
    const uint16_t imageId = image->Word(record);
    const uint16_t imageRevision = image->Word(record + 2);
    const uint16_t boardRevision = deviceRecord_.firmwareRevision;
    const bool outOfDate = deviceRecord_.firmwareId != imageId || boardRevision < imageRevision ||
                           boardRevision == kNoValidFirmware;
    if (!outOfDate)
        return false;
    const std::string question = platform::FormatText(
        "Firmware on %s [rev. 0x%04X] is out of date. Update to most recent [rev. 0x%04X]? ", BoardName(boardType),
        boardRevision, imageRevision);
    if (!AskQuestion(question.c_str()))
        return false;
    NotifyProgress(1);
    {
        ProcessState& state = TheProcessState();
        std::lock_guard lock(state.mutex);
        state.updateRecord = deviceRecord_;
        state.updatePath = path;
    }
    if (StartThread(&FirmwareUpdateThread))
        return true;
    // Nothing runs that would end the busy indication; the board keeps its firmware.
    NotifyProgress(0);
    ReportError(UpdateResultText(1));
    return false;
}

void PelagorAccessDravik::FirmwareUpdateThread()
{
    DravikEbInfo record;
    std::string path;
    {
        ProcessState& state = TheProcessState();
        std::lock_guard lock(state.mutex);
        record = state.updateRecord;
        path = state.updatePath;
    }
    const int result = DravikEb::UpdateEb(record, path.c_str(), 1, nullptr);
    if (result != 0)
        NotifyMessage(UpdateResultText(result));
    NotifyProgress(0);
}

bool PelagorAccessDravik::ProgramChipFirmware()
{
    const int kind = ImageKindOf(chipCode_);
    if (kind == 0) {
        ReportError(platform::FormatText("Unknown chip type: 0x%04X", chipCode_));
        return false;
    }
    std::unique_ptr<DravikHexFile> image = DravikHexFile::Create(kind);
    // Every result below 1 is a failure: negative ones are read errors.
    if (!image || image->ReadHexFile(chipFirmwarePath_) < 1) {
        ReportError(platform::FormatText("Not able to read firmware file: %s", chipFirmwarePath_.c_str()));
        return false;
    }
    return RunDebugger(*image);
}

bool PelagorAccessDravik::RunDebugger(const DravikHexFile& image)
{
    if (debugger_ == nullptr) {
        ReportError("Failed to attach debugger");
        return false;
    }
    if (!SwitchProfile(kProfileDebugger)) {
        ReportError("Failed to set debugger profile");
        return false;
    }
    if (debugger_->Reset() != 0) {
        ReportError("Debugger reset failed");
        return false;
    }
    const int verify = debugger_->VerifyFlash(image);
    if (verify == DravikDebugger::kVerifyDiffers) {
        if (debugger_->EraseFlash() != 0) {
            ReportError("Flash erase failed");
            return false;
        }
        if (debugger_->ProgramFlash(image) != 0) {
            ReportError("Flash programming failed");
            return false;
        }
        if (debugger_->VerifyFlash(image) != DravikDebugger::kVerifyMatch) {
            ReportError("Flash verification failed");
            return false;
        }
    } else if (verify != DravikDebugger::kVerifyMatch) {
        ReportError("Unexpected flash verification status");
        return false;
    }
    debugger_->StartChip();
    if (debugger_->Release() != 1) {
        // Connect fails on this: it must say why.
        ReportError("Failed to release debugger");
        return false;
    }
    return true;
}

bool PelagorAccessDravik::OpenPipe(int profile)
{
    pipe_ = board_->GetUsbPipe();
    if (pipe_ == nullptr) {
        ReportError("USB pipe creation failed");
        return false;
    }
    reader_.reset(new (std::nothrow) PacketBufferDravik(pipe_));
    if (!reader_) {
        ReportError("PacketBufferDravik object creation failed");
        return false;
    }
    bool opened = true;
    if (transceiver_) {
        if (DravikChip* chip = board_->GetChip()) {
            chip->Reset();
        } else {
            ReportError("Not able to reset Tranceiver");
            opened = false;
        }
    }
    if (opened && !SwitchProfile(profile)) {
        ReportError("Failed to set debugger profile");
        opened = false;
    }
    if (!opened)
        reader_.reset();
    return opened;
}

bool PelagorAccessDravik::SwitchProfile(int profile)
{
    board_->SetProfile(profile);
    for (int read = 0; read < kProfileReads; ++read) {
        if (read > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(kProfileReadPauseMs));
        if (board_->GetProfile() == profile)
            return true;
    }
    return false;
}

bool PelagorAccessDravik::SendCommand(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length,
                                      const uint8_t* data)
{
    if (!board_ || length < 0 || (length > 0 && data == nullptr))
        return false;
    return board_->Command(command, parameter1, parameter2, length, data) == 0;
}

bool PelagorAccessDravik::SetParameter16(uint8_t type, uint8_t subtype, uint8_t* data, int length)
{
    return SendCommand(kBoardCmdSetParam, type, subtype, length, data);
}

bool PelagorAccessDravik::SetParameter(uint8_t type, uint8_t* data, int length)
{
    return SendCommand(kBoardCmdSetParam, type, 0, length, data);
}

bool PelagorAccessDravik::StartCapture(uint8_t captureMode, int maximumRecordLength)
{
    PelagorAccess::StartCapture(captureMode, maximumRecordLength);
    // Without the pipe there is no stream to capture.
    if (!reader_)
        return false;
    reader_->SetCapacity(maximumRecordLength);
    if (!SetParameter(1, &captureMode, 1)) {
        ReportError("Failed to set debugger profile");
        return false;
    }
    return SendCommand(kBoardCmdStart, 0, 0, 0, nullptr);
}

bool PelagorAccessDravik::StopCapture()
{
    return SendCommand(kBoardCmdStop, 0, 0, 0, nullptr);
}

int PelagorAccessDravik::ReadPacket(uint8_t* kind, int* length, uint8_t* record, int timeoutMs)
{
    if (!reader_)
        return kPacketNothingRead;
    return reader_->ReadPacket(kind, length, record, timeoutMs);
}
