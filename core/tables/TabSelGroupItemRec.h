#pragma once

// A field id that belongs to a selection group (FsSelGroupItems.plt).
struct TAB_SEL_GROUP_ITEM_REC {
    int SG_INDEX;
    int FIELDINDEX;
};
