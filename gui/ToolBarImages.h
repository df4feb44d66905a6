#pragma once

#include <QIcon>

// The toolbar's 16-pixel images, drawn in code; index as in the button table.
QIcon ToolBarImage(int index);
