#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabDefRadioFileRec.h"

// The default register file of each chip: "DefRadioFile.plt" or the table the caller names.
class TabDefRadioFile : public PelagorTableRows<TAB_DEF_RADIO_FILE_REC> {
public:
    TabDefRadioFile(const std::string& folder, const std::string& tableName = "DefRadioFile.plt");

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
