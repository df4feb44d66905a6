#pragma once

#include <cstdint>
#include <memory>

#include "platform/dravik/DravikEb.h"

class SimulatedBoard;
class SimulatedDebugger;

// A simulated board's radio chip. It answers through the debug interface of its family only
// (1: 0x3A1E, 0x3A1F, 0x6F1C, 0x6F1D; 2: 0x6E7A, 0x6E7B; 3: other chips); a transceiver has
// none.
class SimulatedChip : public DravikChip {
public:
    SimulatedChip(SimulatedBoard& board, uint16_t chipCode);
    ~SimulatedChip() override;

    static int FamilyOf(uint16_t chipCode); // 0 for a transceiver

    int Reset() override;
    DravikDebugger* GetFamily1Debugger() override;
    DravikDebugger* GetFamily2Debugger() override;
    DravikDebugger* GetFamily3Debugger() override;

private:
    DravikDebugger* DebuggerOf(int family);

    SimulatedBoard& board_;
    int family_;
    std::unique_ptr<SimulatedDebugger> debugger_;
};
