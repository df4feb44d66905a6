#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabListBoxItemRec.h"

// The field ids of each field group: "FsListBoxItems.plt", or its copy for the protocol version.
class TabListBoxItems : public PelagorTableRows<TAB_LIST_BOX_ITEM_REC> {
public:
    // version: the protocol-version name, read as the table's suffix; empty for none.
    explicit TabListBoxItems(const std::string& folder, const std::string& version = "");

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();

private:
    std::string version_;
};
