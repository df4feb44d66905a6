#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabSelGroupItemRec.h"

// The field ids of each selection group: "FsSelGroupItems.plt", or its copy for the protocol version.
class TabSelGroupItems : public PelagorTableRows<TAB_SEL_GROUP_ITEM_REC> {
public:
    // version: the protocol-version name, read as the table's suffix; empty for none.
    explicit TabSelGroupItems(const std::string& folder, const std::string& version = "");

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();

private:
    std::string version_;
};
