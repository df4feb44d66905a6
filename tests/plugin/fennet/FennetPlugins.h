#pragma once

#include <ostream>
#include <string>

#include "tests/support/PluginUnderTest.h"

namespace testsupport {

// The two builds of the Fennet plug-in, each loaded once per test program.
enum class FennetBuild { Debug, Release };

inline PluginUnderTest& FennetPlugin(FennetBuild build)
{
    static PluginUnderTest debug(FENNETD_PATH);
    static PluginUnderTest release(FENNET_PATH);
    return build == FennetBuild::Debug ? debug : release;
}

inline std::string BuildName(FennetBuild build)
{
    return build == FennetBuild::Debug ? "Fennetd" : "fennet";
}

inline void PrintTo(FennetBuild build, std::ostream* os)
{
    *os << BuildName(build);
}

} // namespace testsupport
