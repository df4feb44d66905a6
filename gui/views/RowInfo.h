#pragma once

#include <string>

// One row of the extended list: its cells separated by TAB characters, as bytes.
struct ROW_INFO {
    std::string text;
    // Not used by the list.
    int data = 0;
};
