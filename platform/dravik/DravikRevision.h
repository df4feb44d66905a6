#pragma once

#include <cstdint>

// What the board-access library tells of itself.
struct DravikRevision {
    uint16_t major = 0;
    uint16_t minor = 0;
    uint16_t patch = 0;
    uint32_t buildId = 0;
    bool sharedLibrary = false; // linked at run time ("DLL") rather than into the program ("LIB")
    const char* generated = ""; // when the library was built
    const char* toolchain = ""; // the compiler that built it
};

// The library's revision record.
DravikRevision dravikGetRevision();
