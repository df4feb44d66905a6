#pragma once

// Chip families that more than one layer tells apart.

// Transceivers whose registers are addressed with 16 bits.
bool HasWideRegisters(int chipCode);

// Chips whose channel comes from their registers: the engine sends them no channel and the
// register panel does not let the user type one.
bool TakesNoChannel(int chipCode);
