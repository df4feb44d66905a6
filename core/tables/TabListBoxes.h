#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabListBoxRec.h"

// The field groups of the field-selection lists: "FsListBoxes.plt".
class TabListBoxes : public PelagorTableRows<TAB_LIST_BOX_REC> {
public:
    explicit TabListBoxes(const std::string& folder);

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
