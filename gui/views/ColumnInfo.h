#pragma once

#include <string>

#include <QRect>

// One header column of the extended list.
struct COLUMN_INFO {
    std::string name;
    // Pixels.
    int width = 0;
    // The header button: recomputed on every resize; the last column reaches the right edge.
    QRect rect;
};
