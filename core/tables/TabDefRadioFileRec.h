#pragma once

// The default register file for a chip (DefRadioFile.plt).
struct TAB_DEF_RADIO_FILE_REC {
    char CHIP_TYPE[21];  // at most 20 characters
    char FILE_NAME[256]; // register file name without ".prs"
};
