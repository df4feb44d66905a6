#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabAddrBookRec.h"

// The address-book columns of a protocol folder: "AddrBook.plt".
class TabAddrBook : public PelagorTableRows<TAB_ADDR_BOOK_REC> {
public:
    explicit TabAddrBook(const std::string& folder);

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
