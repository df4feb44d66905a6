#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dravik/DravikEb.h"
#include "platform/dravik/DravikEbInfo.h"
#include "tests/support/IntelHexText.h"
#include "tests/support/ScriptedPipe.h"

namespace testsupport {

// How a scripted board answers. Set it before the code under test runs; the board reads it
// under the source's lock, so the answers may be read from any thread.
struct BoardScript {
    static constexpr int kNever = 0;

    // Open: false makes DravikEb::CreateEb answer null.
    bool opens = true;
    int setLogFileResult = 0;
    uint16_t chipType = 0x6F1C;

    // The chip object and which debugger families it answers (the others answer null).
    bool hasChip = true;
    int chipResetResult = 0;
    bool family1 = true;
    bool family2 = true;
    bool family3 = true;

    // Debugger answers. Verify results are taken one per call; once used up, verify matches.
    int debuggerResetResult = 0;
    std::deque<int> verifyResults;
    int eraseResult = 0;
    int programResult = 0;
    int startResult = 0;
    int releaseResult = 1;

    // Profiles: after SetProfile(p) the k-th GetProfile (k = profileReadsNeeded) and every
    // later one answer p; the reads before answer profileWhilePending. kNever: p is never read
    // back. Before any SetProfile GetProfile answers initialProfile.
    int setProfileResult = 0;
    int profileReadsNeeded = 1;
    int profileWhilePending = -1;
    int initialProfile = 1;
    // Profiles that are never read back, whatever profileReadsNeeded says.
    std::vector<int> unreachableProfiles;

    // Commands: the result of each command code (0 when not listed). A hook, when set, answers
    // instead (it is called without the lock held).
    std::map<uint8_t, int> commandResults;
    std::function<int(uint8_t command, uint8_t parameter1, uint8_t parameter2, const std::vector<uint8_t>& data)>
        commandHook;

    // False makes GetUsbPipe answer null; otherwise it answers the source's Pipe().
    bool hasPipe = true;

    // DravikEb::UpdateEb. The hook, when set, runs (without the lock) before the result is
    // given and may block to hold the update thread.
    int updateResult = 0;
    std::function<void()> updateHook;

    // DravikEb::EnumEbs: the boards listed (the mask is recorded, not applied).
    std::vector<DravikEbInfo> boards;
};

// Everything the code under test did to the scripted boards, in order.
struct BoardRecord {
    struct Command {
        uint8_t command = 0;
        uint8_t parameter1 = 0;
        uint8_t parameter2 = 0;
        std::vector<uint8_t> data;
    };
    struct Update {
        DravikEbInfo info;
        std::string hexPath;
        int verify = 0;
        bool withProgress = false;
    };
    struct Open {
        DravikEbInfo info;
        int flags = 0;
    };

    // Every call by name, e.g. "SetLogFile(ReadData_GetPacket)", "GetChipType", "GetChip",
    // "Family1Debugger", "SetProfile(0)", "GetProfile", "Debugger.Reset", "Debugger.Verify",
    // "Debugger.Erase", "Debugger.Program", "Debugger.StartChip", "Debugger.Release",
    // "Chip.Reset", "GetUsbPipe", "Command(0xC9)", "CloseLogFile", "~Board", "Update".
    std::vector<std::string> calls;
    std::vector<Open> opens;
    std::vector<Command> commands;
    std::vector<int> profilesSet;
    std::vector<std::string> logFiles;
    std::vector<Update> updates;
    std::vector<uint32_t> enumerateMasks;
    std::vector<int> verifiedImageKinds;
    std::vector<uint8_t> programmedImage; // the image of the last ProgramFlash
    int boardsOpen = 0;                   // boards handed out and not yet deleted
};

// Shared by the source and its boards, which may outlive each other.
struct ScriptedBoardState {
    mutable std::mutex mutex;
    BoardScript script;
    BoardRecord record;
    ScriptedPipe pipe;
    // The boards' profile: set, and read back after the scripted number of reads.
    int pendingProfile = 0;
    int readsSinceSet = 0;
    bool profileSet = false;

    void Note(const std::string& call) { record.calls.push_back(call); }
};

class ScriptedChip;

// One opened board; its answers come from the shared script, its calls go to the record.
class ScriptedBoard : public DravikEb {
public:
    explicit ScriptedBoard(std::shared_ptr<ScriptedBoardState> state);
    ~ScriptedBoard() override;

    int SetLogFile(const char* name) override;
    void CloseLogFile() override;
    uint16_t GetChipType() override;
    DravikChip* GetChip() override;
    int SetProfile(int profile) override;
    int GetProfile() override;
    int Command(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length, const uint8_t* data) override;
    DravikPipe* GetUsbPipe() override;

private:
    std::shared_ptr<ScriptedBoardState> state_;
    std::unique_ptr<ScriptedChip> chip_;
};

// A board source that hands out scripted boards. It installs itself as the board source while
// it lives. All boards it opens share its script, its record and its pipe.
class ScriptedBoardSource : public DravikBoardSource {
public:
    ScriptedBoardSource();
    ~ScriptedBoardSource() override;

    ScriptedBoardSource(const ScriptedBoardSource&) = delete;
    ScriptedBoardSource& operator=(const ScriptedBoardSource&) = delete;

    // For setting up; not to be changed while another thread uses the boards.
    BoardScript& Script() { return state_->script; }
    // The data pipe the boards hand out: feed it stream bytes.
    ScriptedPipe& Pipe() { return state_->pipe; }
    // A copy of what was recorded so far.
    BoardRecord Recorded() const;
    // The names of the calls recorded so far.
    std::vector<std::string> Calls() const;

    int Enumerate(DravikEbInfo* records, int capacity, uint32_t mask) override;
    std::unique_ptr<DravikEb> Open(const DravikEbInfo& info, int flags) override;
    int Update(const DravikEbInfo& info, const char* hexPath, int verify, DravikEb::ProgressFunction progress) override;

private:
    std::shared_ptr<ScriptedBoardState> state_;
};

// A board firmware image whose revision record (pointed to from 0x1896) holds id and revision.
std::string BoardFirmwareHexText(uint16_t firmwareId, uint16_t revision);

} // namespace testsupport
