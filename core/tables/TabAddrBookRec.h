#pragma once

#include <cstdint>

// One address-book column (AddrBook.plt), in display order.
struct TAB_ADDR_BOOK_REC {
    char ITEM_NAME[31];    // node-list heading
    uint16_t MAX_CHAR;     // bytes of its slice in the exchange buffer
    uint16_t COLUMN_WIDTH; // width of the entry control and node-list column
    int CTRL_TYPE;         // 1 edit box, 2 combo box
    char CTRL_LABEL[21];   // label of the entry control
};
