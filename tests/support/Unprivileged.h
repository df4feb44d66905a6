#pragma once

#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace testsupport {

// Runs check in a child process as an unprivileged user, since permissions do not bind root;
// handedFolder (when not empty) and what it holds are handed to that user first. check reports
// on stderr (see Report).
inline void ExpectAsUnprivileged(const std::filesystem::path& handedFolder, const std::function<bool()>& check)
{
    EXPECT_EXIT(
        {
            if (::geteuid() == 0) {
                constexpr uid_t kNobody = 65534;
                bool handed = true;
                if (!handedFolder.empty()) {
                    handed = ::lchown(handedFolder.c_str(), kNobody, kNobody) == 0;
                    for (const auto& entry : std::filesystem::recursive_directory_iterator(handedFolder))
                        handed = handed && ::lchown(entry.path().c_str(), kNobody, kNobody) == 0;
                }
                if (!handed || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                    std::_Exit(2);
            }
            std::_Exit(check() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

inline void ExpectAsUnprivileged(const std::function<bool()>& check)
{
    ExpectAsUnprivileged(std::filesystem::path(), check);
}

// A check's verdict, said on stderr when it fails.
inline bool Report(bool ok, const std::string& what)
{
    if (!ok)
        std::fprintf(stderr, "failed: %s\n", what.c_str());
    return ok;
}

} // namespace testsupport
