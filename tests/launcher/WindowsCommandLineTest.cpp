#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launcher/WindowsCommandLine.h"

namespace {

struct SplitCase {
    const char* parameters;
    std::vector<std::string> arguments;
};

const SplitCase kCases[] = {
    {"", {}},
    {"   \t ", {}},
    {"x.so", {"x.so"}},
    {"  x.so \t /ec  /hf ", {"x.so", "/ec", "/hf"}},
    {"/chip \"QZ6F1C x\" a.so", {"/chip", "QZ6F1C x", "a.so"}},
    {"\"\"", {""}},
    {"a\"b c\"d", {"ab cd"}},
    {"\"open to the end", {"open to the end"}},
    {"..\\Protocols\\Generic\\Halyard.so", {"..\\Protocols\\Generic\\Halyard.so"}},
    {"\"C:\\Program Files\\x\\\\\" next", {"C:\\Program Files\\x\\", "next"}},
    {"a\\\\\\\"b", {"a\\\"b"}},
    {"a\\\\\\\\\"b c\"", {"a\\\\b c"}},
    {"a\\\\b", {"a\\\\b"}},
    {"\"say \"\"hi\"\"\" x", {"say \"hi\"", "x"}},
    {"tail\\", {"tail\\"}},
};

} // namespace

TEST(WindowsCommandLine, Splits)
{
    for (const SplitCase& c : kCases)
        EXPECT_EQ(SplitCommandLine(c.parameters), c.arguments) << c.parameters;
}
