#pragma once

#include <string>

#include "core/tables/PelagorTableRows.h"
#include "core/tables/TabFrameDefRec.h"

// Colour and drawing format per time-line frame type: "FrameDef.plt".
class TabFrameDef : public PelagorTableRows<TAB_FRAME_DEF_REC> {
public:
    explicit TabFrameDef(const std::string& folder);

    // Reads the whole table: 1 when every line was read, 0 when the table could not be
    // opened (the reason in GetError) or a line was rejected (after its message box). The
    // rows read before a failure stay.
    int Read();
};
