#pragma once

#include <cstdint>
#include <memory>

#include "platform/dravik/DravikEbInfo.h"

class DravikHexFile;
class DravikPipe;

// The debug interface through which a board programs the flash of its radio chip.
class DravikDebugger {
public:
    static constexpr int kVerifyMatch = 0;
    static constexpr int kVerifyDiffers = -6;

    virtual ~DravikDebugger();
    virtual int Reset() = 0;                                // 0 on success
    virtual int VerifyFlash(const DravikHexFile& image) = 0; // kVerifyMatch, kVerifyDiffers, or another error
    virtual int EraseFlash() = 0;                           // 0 on success
    virtual int ProgramFlash(const DravikHexFile& image) = 0; // 0 on success
    virtual int StartChip() = 0;                            // 0 on success
    virtual int Release() = 0;                              // 1 on success
};

// The radio chip on a board. Each chip family is reached through its own debug interface;
// a chip answers null for the families it does not belong to.
class DravikChip {
public:
    virtual ~DravikChip();
    virtual int Reset() = 0; // 0 on success
    virtual DravikDebugger* GetFamily1Debugger() = 0;
    virtual DravikDebugger* GetFamily2Debugger() = 0;
    virtual DravikDebugger* GetFamily3Debugger() = 0;
};

// One opened capture board. Objects handed out by a board (chip, debugger, pipe) belong to it
// and live as long as it does.
class DravikEb {
public:
    static constexpr uint16_t kBoardKestrix = 0x0005;
    static constexpr uint16_t kBoardDalvor = 0x1005;
    static constexpr uint16_t kBoardTrennic = 0x2005;
    static constexpr uint16_t kBoardSerialPort = 0x6137;

    static constexpr int kMaxBoards = 16;

    using ProgressFunction = void (*)(int percent);

    virtual ~DravikEb();

    // Fills at most *count records (records may be null when *count is 0) with the attached
    // devices whose board type matches mask (0xFFFF: all) and sets *count to the number
    // filled. Returns 0, or -1 for bad arguments.
    static int EnumEbs(DravikEbInfo* records, int* count, uint32_t mask);
    // Opens the device enumeration named; null when it is not there or cannot be opened.
    static std::unique_ptr<DravikEb> CreateEb(const DravikEbInfo& info, int flags);
    // Writes the board firmware of hexPath into the board; 0 or a negative error code:
    // -1 file missing or empty, -2 verification failed, -3 communication error, -4 device not
    // known, -5 device did not come back on the bus, -6 bad length, -7 bad address range.
    static int UpdateEb(const DravikEbInfo& info, const char* hexPath, int verify, ProgressFunction progress);

    virtual int SetLogFile(const char* name) = 0; // 0 on success
    virtual void CloseLogFile() = 0;
    virtual uint16_t GetChipType() = 0;
    virtual DravikChip* GetChip() = 0;            // null when the board has no chip object
    virtual int SetProfile(int profile) = 0;      // 0 on success
    virtual int GetProfile() = 0;                 // the profile, or a negative error code
    // A board command; 0 on success.
    virtual int Command(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length,
                        const uint8_t* data) = 0;
    virtual DravikPipe* GetUsbPipe() = 0;         // null when the pipe cannot be opened
};

// Where boards come from: the simulated boards by default; tests install their own.
class DravikBoardSource {
public:
    virtual ~DravikBoardSource();
    // Fills at most capacity records; returns the number filled.
    virtual int Enumerate(DravikEbInfo* records, int capacity, uint32_t mask) = 0;
    virtual std::unique_ptr<DravikEb> Open(const DravikEbInfo& info, int flags) = 0;
    virtual int Update(const DravikEbInfo& info, const char* hexPath, int verify,
                       DravikEb::ProgressFunction progress) = 0;
};

// Replaces the board source (null: back to the simulated boards). The source is not owned and
// must stay alive while it is installed.
void InstallDravikBoardSource(DravikBoardSource* source);
DravikBoardSource& CurrentDravikBoardSource();
