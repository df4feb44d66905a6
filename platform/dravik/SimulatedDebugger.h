#pragma once

#include "platform/dravik/DravikEb.h"

class SimulatedBoard;

// The debug interface of a simulated chip: works on the flash the board keeps for the chip,
// and only while the board is in the debugger profile (0). Programming can only clear bits,
// as flash does, so an image written over unerased flash fails its verification.
class SimulatedDebugger : public DravikDebugger {
public:
    static constexpr int kNotInDebugProfile = -3;
    static constexpr int kFailed = -1;
    static constexpr int kWrongImageSize = -7;

    explicit SimulatedDebugger(SimulatedBoard& board) : board_(board) {}

    int Reset() override;
    int VerifyFlash(const DravikHexFile& image) override;
    int EraseFlash() override;
    int ProgramFlash(const DravikHexFile& image) override;
    int StartChip() override;
    int Release() override;

private:
    SimulatedBoard& board_;
};
