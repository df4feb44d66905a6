#include "platform/dravik/SimulatedChip.h"

#include "chips/ChipCodes.h"
#include "platform/dravik/SimulatedBoard.h"
#include "platform/dravik/SimulatedDebugger.h"

SimulatedChip::SimulatedChip(SimulatedBoard& board, uint16_t chipCode)
    : board_(board), family_(FamilyOf(chipCode))
{
    if (family_ != 0)
        debugger_ = std::make_unique<SimulatedDebugger>(board);
}

SimulatedChip::~SimulatedChip() = default;

int SimulatedChip::FamilyOf(uint16_t chipCode)
{
    if (IsTransceiverChip(chipCode))
        return 0;
    switch (chipCode) {
    case 0x3A1E: case 0x3A1F: case 0x6F1C: case 0x6F1D: return 1;
    case 0x6E7A: case 0x6E7B: return 2;
    default: return 3;
    }
}

int SimulatedChip::Reset()
{
    return board_.ResetChip();
}

DravikDebugger* SimulatedChip::DebuggerOf(int family)
{
    return family == family_ ? debugger_.get() : nullptr;
}

DravikDebugger* SimulatedChip::GetFamily1Debugger()
{
    return DebuggerOf(1);
}

DravikDebugger* SimulatedChip::GetFamily2Debugger()
{
    return DebuggerOf(2);
}

DravikDebugger* SimulatedChip::GetFamily3Debugger()
{
    return DebuggerOf(3);
}
