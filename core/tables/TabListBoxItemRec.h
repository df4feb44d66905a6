#pragma once

// A field id that belongs to a field group (FsListBoxItems.plt).
struct TAB_LIST_BOX_ITEM_REC {
    int GROUPINDEX;
    int FIELDINDEX;
};
