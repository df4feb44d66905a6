#pragma once

#include <string>

// The main program's start: the command line into the main window, the window run modally
// once and destroyed once.
class CMarlinexApp {
public:
    // programFolder empty: the running program's folder. Returns the exit code; a command line
    // without a plug-in path shows the usage and ends the process with -1.
    int InitInstance(int argc, const char* const* argv, const std::string& programFolder = {});
};
