#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabFieldDefRec.h"

// The decoded fields of a protocol folder: "FieldDef.plt".
class TabFieldDef : public PelagorTableRows<TAB_FIELD_DEF_REC> {
public:
    explicit TabFieldDef(const std::string& folder);

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
