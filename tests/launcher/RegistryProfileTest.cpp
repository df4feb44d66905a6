#include <gtest/gtest.h>

#include <string>

#include "launcher/RegistryProfile.h"
#include "platform/RegistryKey.h"
#include "tests/support/TempFolder.h"

namespace {

class Profile : public ::testing::Test {
protected:
    platform::RegistryRoot Root() const { return platform::RegistryRoot(folder_.Path().string()); }
    RegistryProfile Startup() const { return RegistryProfile("Korvath", "Startup", Root()); }

    testsupport::TempFolder folder_;
};

} // namespace

TEST_F(Profile, KeyOfTheSection)
{
    EXPECT_EQ(Startup().SectionKey("Settings"), "Software\\Korvath\\Startup\\Settings");
}

TEST_F(Profile, MissingValueReadsAsTheDefault)
{
    EXPECT_EQ(Startup().GetProfileInt("Settings", "SnifferSel", 0), 0);
    EXPECT_EQ(Startup().GetProfileInt("Settings", "SnifferSel", 7), 7);
}

TEST_F(Profile, WrittenValuesReadBack)
{
    for (const int value : {0, 3, -1, 2147483647}) {
        ASSERT_TRUE(Startup().WriteProfileInt("Settings", "SnifferSel", value));
        EXPECT_EQ(Startup().GetProfileInt("Settings", "SnifferSel", 5), value);
    }
    platform::RegistryKey key;
    ASSERT_EQ(key.Open(Root(), "Software\\Korvath\\Startup\\Settings"), platform::kRegistryOk);
    uint32_t stored = 0;
    ASSERT_EQ(key.QueryDword("SnifferSel", stored), platform::kRegistryOk);
    EXPECT_EQ(stored, 2147483647u);
}

TEST_F(Profile, ValueOfAnotherTypeReadsAsTheDefault)
{
    platform::RegistryKey key;
    ASSERT_EQ(key.Create(Root(), "Software\\Korvath\\Startup\\Settings"), platform::kRegistryOk);
    ASSERT_EQ(key.SetString("SnifferSel", "2"), platform::kRegistryOk);
    EXPECT_EQ(Startup().GetProfileInt("Settings", "SnifferSel", 0), 0);
}

TEST_F(Profile, UnwritableStoreRefusesTheWrite)
{
    const RegistryProfile nowhere("Korvath", "Startup", platform::RegistryRoot(folder_ / "file/inside"));
    folder_.Write("file", "not a folder");
    EXPECT_FALSE(nowhere.WriteProfileInt("Settings", "SnifferSel", 1));
    EXPECT_EQ(nowhere.GetProfileInt("Settings", "SnifferSel", 4), 4);
}
