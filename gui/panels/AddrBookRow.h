#pragma once

#include <cstdint>
#include <string>

// One row of the address-book panel: the plug-in's node id, the key that notices and the time
// line use, kept with the row's text so that both move together.
struct ADDR_BOOK_ROW {
    uint32_t value = 0;
    std::string text; // the column texts, each followed by a TAB
};
