#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "core/host/CPelagorCommandLineInfo.h"

namespace {

CPelagorCommandLineInfo Parse(std::vector<const char*> parameters)
{
    parameters.insert(parameters.begin(), "/opt/pelagor/General/Marlinex");
    CPelagorCommandLineInfo info("Marlinex");
    ParseCommandLine(static_cast<int>(parameters.size()), parameters.data(), info);
    return info;
}

struct LineCase {
    const char* name;
    std::vector<const char*> parameters;
    const char* path;
    bool le, ec, hf;
    const char* chip;
    const char* config;
    const char* protocol;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class CommandLine : public ::testing::TestWithParam<LineCase> {};

const char* const kUsage =
    "Usage: Marlinex \"plugin path\" /le /ec /hf /chip \"device name\" /config \"configuration "
    "file name\" /protocol \"protocol name\"";

} // namespace

TEST_P(CommandLine, Fields)
{
    const LineCase& c = GetParam();
    CPelagorCommandLineInfo info = Parse(c.parameters);
    EXPECT_EQ(info.fileName, c.path);
    EXPECT_TRUE(info.pathGiven);
    EXPECT_EQ(info.le, c.le);
    EXPECT_EQ(info.ec, c.ec);
    EXPECT_EQ(info.hf, c.hf);
    EXPECT_EQ(info.chip, c.chip);
    EXPECT_EQ(info.config, c.config);
    EXPECT_EQ(info.protocol, c.protocol);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLine,
    ::testing::Values(
        LineCase{"path_and_ec", {"x.so", "/ec"}, "x.so", false, true, false, "", "", ""},
        LineCase{"switches_are_case_sensitive", {"x.so", "/EC", "/ecx", "/Hf"}, "x.so", false, false,
                 false, "", "", ""},
        LineCase{"value_after_another_switch", {"/chip", "/ec", "QZ6F1C", "x.so"}, "x.so", false, true,
                 false, "QZ6F1C", "", ""},
        LineCase{"second_plain_parameter_is_the_path", {"a.so", "b.so"}, "b.so", false, false, false,
                 "", "", ""},
        LineCase{"all_switches", {"-le", "/hf", "-ec", "/chip", "QZ3A1E", "/config", "my.prs",
                                  "/protocol", "Fennet", "../Protocols/Fennet/fennet.so"},
                 "../Protocols/Fennet/fennet.so", true, true, true, "QZ3A1E", "my.prs", "Fennet"},
        // Expected values go to chip, then config, then protocol.
        LineCase{"values_in_switch_order", {"/protocol", "/config", "/chip", "A", "B", "C", "p.so"},
                 "p.so", false, false, false, "A", "B", "C"},
        LineCase{"absolute_linux_path", {"/opt/pelagor/Protocols/Generic/Halyard.so", "/chip", "QZE61"},
                 "/opt/pelagor/Protocols/Generic/Halyard.so", false, false, false, "QZE61", "", ""},
        LineCase{"windows_style_path", {"..\\Protocols\\Generic\\Halyard.so"},
                 "..\\Protocols\\Generic\\Halyard.so", false, false, false, "", "", ""},
        LineCase{"unknown_switch_ignored", {"/verbose", "x.so"}, "x.so", false, false, false, "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLineSwitch, SwitchOrPath)
{
    struct Case {
        const char* parameter;
        bool isSwitch;
    };
    for (Case c : {Case{"/chip", true}, Case{"-chip", true}, Case{"/opt/pelagor/x.so", false},
                   Case{"x.so", false}, Case{"/", true}, Case{"", false}, Case{"-/a/b", true},
                   Case{"//", false}})
        EXPECT_EQ(IsSwitchParameter(c.parameter), c.isSwitch) << '"' << c.parameter << '"';
}

TEST(CommandLineUsage, Text)
{
    EXPECT_EQ(CPelagorCommandLineInfo("Marlinex").UsageText(), kUsage);
}

class CommandLineUsage : public ::testing::TestWithParam<std::vector<const char*>> {};

TEST_P(CommandLineUsage, ShowsUsageAndExits)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::vector<const char*> parameters = GetParam();
    // Without a GUI the usage box is written to standard error.
    EXPECT_EXIT(Parse(parameters), ::testing::ExitedWithCode(255), "Usage: Marlinex \"plugin path\"");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineUsage,
    ::testing::Values(std::vector<const char*>{"x.so", "/chip"},
                      std::vector<const char*>{""},
                      std::vector<const char*>{"/ec"},
                      std::vector<const char*>{"x.so", "/config"},
                      std::vector<const char*>{"/protocol", "x.so"},
                      std::vector<const char*>{"x.so", ""}));
