#pragma once

// A field group of the field-selection lists (FsListBoxes.plt).
struct TAB_LIST_BOX_REC {
    int INDEX;
    char GROUP_NAME[26];
    int COLOR;
};
