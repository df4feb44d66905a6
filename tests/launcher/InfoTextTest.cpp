#include <gtest/gtest.h>

#include <string>

#include "launcher/InfoText.h"

namespace {

struct InfoCase {
    const char* info;
    const char* withLineEnds;
    const char* shown;
};

const InfoCase kCases[] = {
    {"plain", "plain", "plain"},
    {"one&$two", "one\r\ntwo", "one\ntwo"},
    {"one&two", "one\rtwo", "one\ntwo"},
    {"one$two", "one\ntwo", "one\ntwo"},
    {"one&$&$two", "one\r\n\r\ntwo", "one\n\ntwo"},
    {"one$&two", "one\n\rtwo", "one\n\ntwo"},
    {"&&$$", "\r\r\n\n", "\n\n\n"},
    {"end&$", "end\r\n", "end\n"},
    {"", "", ""},
};

} // namespace

TEST(InfoText, LineEndsAndDisplay)
{
    for (const InfoCase& c : kCases) {
        EXPECT_EQ(InfoWithLineEnds(c.info), c.withLineEnds) << c.info;
        EXPECT_EQ(InfoForDisplay(c.info), c.shown) << c.info;
    }
}
