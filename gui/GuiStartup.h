#pragma once

// Once the QApplication exists: numbers are read and written in the "C" locale whatever the
// user's (Qt adopts the user's locale, and strtod would then read "1,5"), and the windows use
// the program's dialog font.
void PrepareGuiProcess();
