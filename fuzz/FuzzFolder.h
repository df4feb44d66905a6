#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/FuzzCheck.h"

// One temporary folder for the whole fuzz run, removed when the process ends.
inline const std::string& FuzzFolder()
{
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelagor-fuzz-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr);
        static const std::string removeAtExit = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
        return pattern;
    }();
    return folder;
}
