#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabSupChipTypeRec.h"

// The chip names that the protocol supports: "SupChipType.plt", one a line.
class TabSupChipType : public PelagorTableRows<TAB_SUP_CHIP_TYPE_REC> {
public:
    explicit TabSupChipType(const std::string& folder);

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
