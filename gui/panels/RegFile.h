#pragma once

#include <cstdint>

// The default register file of a chip, from the plug-in folder's DefRadioFile.plt.
struct REG_FILE {
    uint16_t chipCode;
    char fileName[256]; // a register file name without ".prs"
};
