#pragma once

// A chip name that the protocol supports (SupChipType.plt).
struct TAB_SUP_CHIP_TYPE_REC {
    char CHIPTYPE[21];
};
