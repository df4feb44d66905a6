#include <gtest/gtest.h>

#include <string>

#include "platform/TextFormat.h"

TEST(TextFormat, FormatsLikePrintf)
{
    EXPECT_EQ(platform::FormatText("Not able to read packet %d from file buffer", 17),
              "Not able to read packet 17 from file buffer");
    EXPECT_EQ(platform::FormatText("%s", ""), "");
    std::string longText(5000, 'a');
    EXPECT_EQ(platform::FormatText("<%s>", longText.c_str()), "<" + longText + ">");
}
