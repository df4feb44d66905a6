#pragma once

#include <string>

// Puts a filter file in place so that a failure never leaves a truncated or half-written file:
// the bytes go to a temporary file beside the target, which replaces the target only when every
// write, the flush and the close have succeeded.
class FilterFileWriter {
public:
    // true when path holds bytes. false with *message: "Not able to open table: %s" when no file
    // can be created there, else what failed with the system's text; path is then as it was and
    // no temporary file is left. A symbolic link is written through; a device (not a regular
    // file or folder) is written directly, as there is nothing to rename over it.
    static bool Write(const std::string& path, const std::string& bytes, std::string* message);
};
