// The counted key set behind the notice queue's coverage: a key stays while any copy does.
#include <gtest/gtest.h>

#include <cstdint>

#include "plugin/frame/CountedKeys.h"

TEST(CountedKeys, AKeyStaysUntilItsLastCopyIsRemoved)
{
    CountedKeys keys;
    EXPECT_TRUE(keys.Empty());
    EXPECT_FALSE(keys.Contains(0));
    keys.Add(0);
    keys.Add(0);
    keys.Add(~uint64_t{0});
    keys.Remove(0);
    EXPECT_TRUE(keys.Contains(0));
    keys.Remove(0);
    EXPECT_FALSE(keys.Contains(0));
    EXPECT_TRUE(keys.Contains(~uint64_t{0}));
    // A key that is not held changes nothing.
    keys.Remove(5);
    EXPECT_TRUE(keys.Contains(~uint64_t{0}));
    keys.Remove(~uint64_t{0});
    EXPECT_TRUE(keys.Empty());
}
