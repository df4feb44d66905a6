#pragma once

#include <string>

// The launcher's start: its per-user profile and the window, run modally once.
class CStartupApp {
public:
    static constexpr const char* kCompany = "Korvath";
    static constexpr const char* kApplication = "Startup";

    // programFolder empty: the running program's folder. Returns the exit code.
    int InitInstance(const std::string& programFolder = {});
};
