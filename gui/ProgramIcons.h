#pragma once

#include <QIcon>

// The program's icon and the status bar's filter icon, drawn in code.
QIcon ProgramIcon();
QIcon FilterIcon();
