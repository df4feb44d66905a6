#pragma once

// A selection group (FsSelGroup.plt).
struct TAB_SEL_GROUP_REC {
    int SG_INDEX;
    char SG_NAME[21];
};
