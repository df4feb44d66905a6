#pragma once

#include <cstdint>

// One node of the plug-in's address book.
struct NODE_INFO {
    char name[32];    // NUL-terminated, at most kNodeNameChars characters
    uint32_t address; // the key
    int32_t id;       // from the next-id counter; not reused until the book is cleared
};
