#pragma once

#include <cstdio>
#include <cstdlib>

// Ends the fuzz run at a broken invariant, naming the line that found it.
inline void FuzzCheckAt(bool condition, const char* file, int line)
{
    if (!condition) {
        std::fprintf(stderr, "check failed at %s:%d\n", file, line);
        std::abort();
    }
}

#define Check(condition) FuzzCheckAt((condition), __FILE__, __LINE__)
