#pragma once

#include <string>

// One selectable entry of the launcher's table. While the table is read, info holds the
// entry's tag, until a line of the strings part gives the tag its text.
struct INI_DATA_REC {
    std::string name;
    std::string parameters;
    std::string info;
};
