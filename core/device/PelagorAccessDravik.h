#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/device/PelagorAccess.h"
#include "platform/dravik/DravikEbInfo.h"

class DravikDebugger;
class DravikEb;
class DravikHexFile;
class DravikPipe;
class PacketBufferDravik;

// A capture device behind the board-access library: opens the board, keeps its own firmware
// up to date, programs the capture firmware into the radio chip where the chip needs it, and
// reads the framed stream of the board's data pipe.
class PelagorAccessDravik : public PelagorAccess {
public:
    // Board commands; 0 from the board is success.
    static constexpr uint8_t kBoardCmdBoot = 0xC9;
    static constexpr uint8_t kBoardCmdStart = 0xD0;
    static constexpr uint8_t kBoardCmdStop = 0xD1;
    static constexpr uint8_t kBoardCmdSetParam = 0xD2;

    // Board profiles: who runs the capture firmware.
    static constexpr int kProfileDebugger = 0;
    static constexpr int kProfileChipFirmware = 4;
    static constexpr int kProfileBoardFirmware = 5;

    static constexpr int kProfileReads = 10;
    static constexpr int kProfileReadPauseMs = 50;

    // The revision record of a board firmware image: its address is at this image address.
    static constexpr uint32_t kRevisionRecordPointer = 0x1896;
    static constexpr uint16_t kNoValidFirmware = 0xBAAD;

    static constexpr const char* kLogFileName = "ReadData_GetPacket";

    // Opens the board of deviceRecord; a board that cannot be opened fails at Connect.
    PelagorAccessDravik(const DravikEbInfo& deviceRecord, const char* boardFirmwareFolder,
                        const char* chipFirmwareFolder);
    ~PelagorAccessDravik() override;

    // 0 connected, 4 a board firmware update was started (the object may be deleted while it
    // runs), 5 failed (reported through the message callback).
    int Connect(int usartChoice) override;
    bool SetParameter16(uint8_t type, uint8_t subtype, uint8_t* data, int length) override;
    bool SetParameter(uint8_t type, uint8_t* data, int length) override;
    bool StartCapture(uint8_t captureMode, int maximumRecordLength) override;
    bool StopCapture() override;
    // The framing's ReadPacket. Before the pipe is open: 1 (nothing could be read), nothing
    // written.
    int ReadPacket(uint8_t* kind, int* length, uint8_t* record, int timeoutMs) override;

    // The file name (below the board firmware folder) and the name shown of the firmware of a
    // board type; null for a board type that has no firmware of its own to check.
    static const char* BoardFirmwareFile(uint16_t boardType);
    static const char* BoardName(uint16_t boardType);
    // The text for a result of DravikEb::UpdateEb other than 0.
    static const char* UpdateResultText(int result);

    bool BoardOpen() const { return board_ != nullptr; }
    bool IsTransceiver() const { return transceiver_; }
    uint16_t ChipCode() const { return chipCode_; }
    int BoardProfile() const { return boardProfile_; }

private:
    std::string DeviceText() const;
    // True when an update was started.
    bool CheckBoardFirmware();
    bool ProgramChipFirmware();
    bool RunDebugger(const DravikHexFile& image);
    bool OpenPipe(int profile);
    // Sets the profile and reads it back until it holds; false when it never does.
    bool SwitchProfile(int profile);
    bool SendCommand(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length,
                     const uint8_t* data);

    // Runs on the worker thread from the process-wide copies alone.
    static void FirmwareUpdateThread();

    DravikEbInfo deviceRecord_;
    DravikPipe* pipe_ = nullptr; // belongs to the board
    std::unique_ptr<PacketBufferDravik> reader_;
    std::unique_ptr<DravikEb> board_;
    DravikDebugger* debugger_ = nullptr; // belongs to the board
    int boardProfile_ = 0;
    bool transceiver_ = false;
    uint16_t chipCode_ = 0;
};
