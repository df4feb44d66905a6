#pragma once

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "core/host/CPelagorSettings.h"

namespace testsupport {

// Cases that read and write the program's settings: each starts without stored settings, in the
// per-user folder the test program was given.
class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(ConfigFolder(), ignored);
    }

    static std::filesystem::path ConfigFolder()
    {
        return std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "pelagor";
    }

    // Changes the stored settings as a run of the program would leave them.
    static void Store(const std::function<void(CPelagorSettings&)>& change)
    {
        CPelagorSettings settings;
        settings.Load();
        change(settings);
        ASSERT_EQ(settings.Save(), 0);
    }

    // What a later reader of the settings finds.
    static std::unique_ptr<CPelagorSettings> Stored()
    {
        auto settings = std::make_unique<CPelagorSettings>();
        settings->Load();
        return settings;
    }
};

} // namespace testsupport
