#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabSelGroupRec.h"

// The selection groups: "FsSelGroup.plt".
class TabSelGroup : public PelagorTableRows<TAB_SEL_GROUP_REC> {
public:
    explicit TabSelGroup(const std::string& folder);

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
