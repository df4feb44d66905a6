#include "tests/support/ScriptedBoard.h"

#include <algorithm>

#include "platform/TextFormat.h"
#include "platform/dravik/DravikHexFile.h"

namespace testsupport {

namespace {

using Lock = std::lock_guard<std::mutex>;

class ScriptedDebugger : public DravikDebugger {
public:
    explicit ScriptedDebugger(ScriptedBoardState& state) : state_(state) {}

    int Reset() override { return Answer("Debugger.Reset", &BoardScript::debuggerResetResult); }
    int VerifyFlash(const DravikHexFile& image) override
    {
        Lock lock(state_.mutex);
        state_.Note("Debugger.Verify");
        state_.record.verifiedImageKinds.push_back(image.Kind());
        std::deque<int>& results = state_.script.verifyResults;
        if (results.empty())
            return kVerifyMatch;
        const int result = results.front();
        results.pop_front();
        return result;
    }
    int EraseFlash() override { return Answer("Debugger.Erase", &BoardScript::eraseResult); }
    int ProgramFlash(const DravikHexFile& image) override
    {
        Lock lock(state_.mutex);
        state_.Note("Debugger.Program");
        state_.record.programmedImage = image.Image();
        return state_.script.programResult;
    }
    int StartChip() override { return Answer("Debugger.StartChip", &BoardScript::startResult); }
    int Release() override { return Answer("Debugger.Release", &BoardScript::releaseResult); }

private:
    int Answer(const char* call, int BoardScript::*result)
    {
        Lock lock(state_.mutex);
        state_.Note(call);
        return state_.script.*result;
    }

    ScriptedBoardState& state_;
};

} // namespace

class ScriptedChip : public DravikChip {
public:
    explicit ScriptedChip(ScriptedBoardState& state) : state_(state), debugger_(state) {}

    int Reset() override
    {
        Lock lock(state_.mutex);
        state_.Note("Chip.Reset");
        return state_.script.chipResetResult;
    }
    DravikDebugger* GetFamily1Debugger() override { return Family("Family1Debugger", &BoardScript::family1); }
    DravikDebugger* GetFamily2Debugger() override { return Family("Family2Debugger", &BoardScript::family2); }
    DravikDebugger* GetFamily3Debugger() override { return Family("Family3Debugger", &BoardScript::family3); }

private:
    DravikDebugger* Family(const char* call, bool BoardScript::*present)
    {
        Lock lock(state_.mutex);
        state_.Note(call);
        return state_.script.*present ? &debugger_ : nullptr;
    }

    ScriptedBoardState& state_;
    ScriptedDebugger debugger_;
};

ScriptedBoard::ScriptedBoard(std::shared_ptr<ScriptedBoardState> state)
    : state_(std::move(state)), chip_(std::make_unique<ScriptedChip>(*state_))
{
    Lock lock(state_->mutex);
    ++state_->record.boardsOpen;
}

ScriptedBoard::~ScriptedBoard()
{
    Lock lock(state_->mutex);
    state_->Note("~Board");
    --state_->record.boardsOpen;
}

int ScriptedBoard::SetLogFile(const char* name)
{
    Lock lock(state_->mutex);
    const std::string file = name != nullptr ? name : "";
    state_->Note("SetLogFile(" + file + ")");
    state_->record.logFiles.push_back(file);
    return state_->script.setLogFileResult;
}

void ScriptedBoard::CloseLogFile()
{
    Lock lock(state_->mutex);
    state_->Note("CloseLogFile");
}

uint16_t ScriptedBoard::GetChipType()
{
    Lock lock(state_->mutex);
    state_->Note("GetChipType");
    return state_->script.chipType;
}

DravikChip* ScriptedBoard::GetChip()
{
    Lock lock(state_->mutex);
    state_->Note("GetChip");
    return state_->script.hasChip ? chip_.get() : nullptr;
}

int ScriptedBoard::SetProfile(int profile)
{
    Lock lock(state_->mutex);
    state_->Note(platform::FormatText("SetProfile(%d)", profile));
    state_->record.profilesSet.push_back(profile);
    state_->pendingProfile = profile;
    state_->readsSinceSet = 0;
    state_->profileSet = true;
    return state_->script.setProfileResult;
}

int ScriptedBoard::GetProfile()
{
    Lock lock(state_->mutex);
    state_->Note("GetProfile");
    const BoardScript& script = state_->script;
    if (!state_->profileSet)
        return script.initialProfile;
    ++state_->readsSinceSet;
    const bool unreachable = std::find(script.unreachableProfiles.begin(), script.unreachableProfiles.end(),
                                       state_->pendingProfile) != script.unreachableProfiles.end();
    if (!unreachable && script.profileReadsNeeded != BoardScript::kNever &&
        state_->readsSinceSet >= script.profileReadsNeeded)
        return state_->pendingProfile;
    return script.profileWhilePending;
}

int ScriptedBoard::Command(uint8_t command, uint8_t parameter1, uint8_t parameter2, int length, const uint8_t* data)
{
    BoardRecord::Command call{command, parameter1, parameter2, {}};
    if (data != nullptr && length > 0)
        call.data.assign(data, data + length);
    decltype(BoardScript::commandHook) hook;
    int result = 0;
    {
        Lock lock(state_->mutex);
        state_->Note(platform::FormatText("Command(0x%02X)", command));
        state_->record.commands.push_back(call);
        hook = state_->script.commandHook;
        const auto found = state_->script.commandResults.find(command);
        if (found != state_->script.commandResults.end())
            result = found->second;
    }
    return hook ? hook(command, parameter1, parameter2, call.data) : result;
}

DravikPipe* ScriptedBoard::GetUsbPipe()
{
    Lock lock(state_->mutex);
    state_->Note("GetUsbPipe");
    return state_->script.hasPipe ? &state_->pipe : nullptr;
}

ScriptedBoardSource::ScriptedBoardSource() : state_(std::make_shared<ScriptedBoardState>())
{
    InstallDravikBoardSource(this);
}

ScriptedBoardSource::~ScriptedBoardSource()
{
    InstallDravikBoardSource(nullptr);
}

BoardRecord ScriptedBoardSource::Recorded() const
{
    Lock lock(state_->mutex);
    return state_->record;
}

std::vector<std::string> ScriptedBoardSource::Calls() const
{
    Lock lock(state_->mutex);
    return state_->record.calls;
}

int ScriptedBoardSource::Enumerate(DravikEbInfo* records, int capacity, uint32_t mask)
{
    Lock lock(state_->mutex);
    state_->Note("Enumerate");
    state_->record.enumerateMasks.push_back(mask);
    const int count = std::min<int>(std::max(capacity, 0), static_cast<int>(state_->script.boards.size()));
    for (int i = 0; i < count; ++i)
        records[i] = state_->script.boards[static_cast<size_t>(i)];
    return count;
}

std::unique_ptr<DravikEb> ScriptedBoardSource::Open(const DravikEbInfo& info, int flags)
{
    {
        Lock lock(state_->mutex);
        state_->Note("Open");
        state_->record.opens.push_back({info, flags});
        if (!state_->script.opens)
            return nullptr;
    }
    return std::make_unique<ScriptedBoard>(state_);
}

int ScriptedBoardSource::Update(const DravikEbInfo& info, const char* hexPath, int verify,
                                DravikEb::ProgressFunction progress)
{
    std::function<void()> hook;
    {
        Lock lock(state_->mutex);
        state_->Note("Update");
        state_->record.updates.push_back({info, hexPath != nullptr ? hexPath : "", verify, progress != nullptr});
        hook = state_->script.updateHook;
    }
    if (hook)
        hook();
    Lock lock(state_->mutex);
    return state_->script.updateResult;
}

std::string BoardFirmwareHexText(uint16_t firmwareId, uint16_t revision)
{
    constexpr uint16_t kRecord = 0x1A00;
    return IntelHexText({
        {0x0000, {0x02, 0x10, 0x00, 0x75, 0x81, 0x7F}},
        {0x1896, {kRecord & 0xFF, kRecord >> 8}},
        {kRecord, {static_cast<uint8_t>(firmwareId), static_cast<uint8_t>(firmwareId >> 8),
                   static_cast<uint8_t>(revision), static_cast<uint8_t>(revision >> 8)}},
    });
}

} // namespace testsupport
