#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "tests/support/TempFolder.h"

namespace testsupport {

// A launcher folder with the program tree's parts that starts are checked against: the main
// program, plug-ins of the protocol folders and another program.
class LauncherTree {
public:
    // mainProgram: the file to place as General/Marlinex (empty: a script that does nothing).
    explicit LauncherTree(const std::string& mainProgram = {})
    {
        if (mainProgram.empty())
            folder_.Write("General/Marlinex", "#!/bin/sh\n");
        else
            PlaceProgram(mainProgram, "General/Marlinex");
        ::chmod((folder_ / "General/Marlinex").c_str(), 0755);
        folder_.Write("Protocols/Generic/Halyard.so", "plug-in");
        folder_.Write("Protocols/Generic/Halyard.plt", "Protocol_name=Generic\n");
        folder_.Write("Protocols/My Chip/x.so", "plug-in");
        folder_.Write("Tools/Other", "#!/bin/sh\n");
        ::chmod((folder_ / "Tools/Other").c_str(), 0755);
    }

    // Copies program to the relative path, executable.
    void PlaceProgram(const std::string& program, const std::string& relative) const
    {
        const std::filesystem::path target = folder_.Path() / relative;
        std::filesystem::create_directories(target.parent_path());
        std::filesystem::copy_file(program, target, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::permissions(target, std::filesystem::perms(0755));
    }

    // The launcher folder, with its trailing '/'.
    std::string Folder() const { return folder_.Path().string() + "/"; }
    const TempFolder& Files() const { return folder_; }

private:
    TempFolder folder_;
};

} // namespace testsupport
