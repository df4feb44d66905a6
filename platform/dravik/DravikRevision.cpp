#include "platform/dravik/DravikRevision.h"

namespace {

// Raised with every change the device layers can notice.
constexpr uint16_t kMajor = 1;
constexpr uint16_t kMinor = 0;
constexpr uint16_t kPatch = 0;
constexpr uint32_t kBuildId = 1;

} // namespace

DravikRevision dravikGetRevision()
{
    DravikRevision revision;
    revision.major = kMajor;
    revision.minor = kMinor;
    revision.patch = kPatch;
    revision.buildId = kBuildId;
    revision.sharedLibrary = false; // a static library, linked into the program
    revision.generated = __DATE__ " " __TIME__;
#if defined(__clang__)
    revision.toolchain = "Clang " __clang_version__;
#elif defined(__GNUC__)
    revision.toolchain = "GCC " __VERSION__;
#else
    revision.toolchain = "unknown";
#endif
    return revision;
}
