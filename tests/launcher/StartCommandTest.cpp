#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "launcher/StartCommand.h"
#include "tests/launcher/LauncherTree.h"

namespace {

// '@' in a case's texts stands for the launcher folder, without its trailing '/'.
std::string InFolder(std::string text, const std::string& folder)
{
    const std::string base = folder.substr(0, folder.size() - 1);
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + base.size()))
        text.replace(at, 1, base);
    return text;
}

struct CommandCase {
    const char* name;
    const char* parameters;
    const char* program;
    std::vector<std::string> arguments;
    const char* commandLine;
    const char* message; // empty: startable
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << c.name;
}

class StartCommandBuild : public ::testing::TestWithParam<CommandCase> {};

} // namespace

TEST_P(StartCommandBuild, ProgramArgumentsAndCheck)
{
    const CommandCase& c = GetParam();
    testsupport::LauncherTree tree;
    const std::string folder = tree.Folder();
    const StartCommand command = StartCommand::Build(InFolder(c.parameters, folder), folder);

    EXPECT_EQ(command.program, InFolder(c.program, folder));
    const std::string program = InFolder(c.program, folder);
    EXPECT_EQ(command.programPath, program[0] == '/' ? program : folder + program);
    std::vector<std::string> arguments;
    for (const std::string& argument : c.arguments)
        arguments.push_back(InFolder(argument, folder));
    EXPECT_EQ(command.arguments, arguments);
    EXPECT_EQ(command.commandLine, InFolder(c.commandLine, folder));
    EXPECT_EQ(command.workingFolder, folder);
    EXPECT_EQ(command.message, InFolder(c.message, folder));
    EXPECT_EQ(command.startable, std::string(c.message).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, StartCommandBuild,
    ::testing::Values(
        CommandCase{"plugin_path", "..\\Protocols\\Generic\\Halyard.so", "General/Marlinex",
                    {"..\\Protocols\\Generic\\Halyard.so"}, "\"General/Marlinex\" ..\\Protocols\\Generic\\Halyard.so", ""},
        // Switches after the plug-in do not hide it from the check.
        CommandCase{"plugin_path_and_switches", "..\\Protocols\\Generic\\Halyard.so /ec /hf", "General/Marlinex",
                    {"..\\Protocols\\Generic\\Halyard.so", "/ec", "/hf"},
                    "\"General/Marlinex\" ..\\Protocols\\Generic\\Halyard.so /ec /hf", ""},
        CommandCase{"switch_values_before_the_plugin", "/chip \"QZ6F1C x\" -config my.prs ../Protocols/Generic/Halyard.so",
                    "General/Marlinex", {"/chip", "QZ6F1C x", "-config", "my.prs", "../Protocols/Generic/Halyard.so"},
                    "\"General/Marlinex\" /chip \"QZ6F1C x\" -config my.prs ../Protocols/Generic/Halyard.so", ""},
        CommandCase{"quoted_plugin_path_with_blank", "\"..\\Protocols\\My Chip\\x.so\" /ec", "General/Marlinex",
                    {"..\\Protocols\\My Chip\\x.so", "/ec"}, "\"General/Marlinex\" \"..\\Protocols\\My Chip\\x.so\" /ec", ""},
        CommandCase{"absolute_plugin_path", "@/Protocols/Generic/Halyard.so /hf", "General/Marlinex",
                    {"@/Protocols/Generic/Halyard.so", "/hf"}, "\"General/Marlinex\" @/Protocols/Generic/Halyard.so /hf", ""},
        // The main program loads a relative plug-in from its own folder.
        CommandCase{"plugin_relative_to_the_launcher_folder", "Protocols\\Generic\\Halyard.so", "General/Marlinex",
                    {"Protocols\\Generic\\Halyard.so"}, "\"General/Marlinex\" Protocols\\Generic\\Halyard.so",
                    "'General/Protocols/Generic/Halyard.so' not found!"},
        CommandCase{"missing_plugin", "..\\Protocols\\Gone\\Gone.so /ec", "General/Marlinex",
                    {"..\\Protocols\\Gone\\Gone.so", "/ec"}, "\"General/Marlinex\" ..\\Protocols\\Gone\\Gone.so /ec",
                    "'General/../Protocols/Gone/Gone.so' not found!"},
        CommandCase{"missing_absolute_plugin", "@/Gone.so", "General/Marlinex", {"@/Gone.so"},
                    "\"General/Marlinex\" @/Gone.so", "'@/Gone.so' not found!"},
        CommandCase{"plugin_path_is_a_folder", "..\\Protocols\\Generic", "General/Marlinex", {"..\\Protocols\\Generic"},
                    "\"General/Marlinex\" ..\\Protocols\\Generic", "'General/../Protocols/Generic' not found!"},
        CommandCase{"no_parameters", "", "General/Marlinex", {}, "\"General/Marlinex\" ", "'plugin path' not found!"},
        CommandCase{"switches_only", "/ec /hf", "General/Marlinex", {"/ec", "/hf"}, "\"General/Marlinex\" /ec /hf",
                    "'plugin path' not found!"},
        // The path after /chip is the device name.
        CommandCase{"plugin_taken_as_a_switch_value", "/chip ..\\Protocols\\Generic\\Halyard.so", "General/Marlinex",
                    {"/chip", "..\\Protocols\\Generic\\Halyard.so"},
                    "\"General/Marlinex\" /chip ..\\Protocols\\Generic\\Halyard.so", "'plugin path' not found!"},
        CommandCase{"empty_quoted_plugin_path_last", "..\\Protocols\\Generic\\Halyard.so \"\"", "General/Marlinex",
                    {"..\\Protocols\\Generic\\Halyard.so", ""},
                    "\"General/Marlinex\" ..\\Protocols\\Generic\\Halyard.so \"\"", "'plugin path' not found!"},
        CommandCase{"exe_first_is_a_parameter", ".exe ..\\Protocols\\Generic\\Halyard.so", "General/Marlinex",
                    {".exe", "..\\Protocols\\Generic\\Halyard.so"},
                    "\"General/Marlinex\" .exe ..\\Protocols\\Generic\\Halyard.so", ""},
        CommandCase{"other_program_unchecked", "Tools\\Other.exe -x", "Tools/Other", {"-x"}, "\"Tools/Other\" -x", ""},
        CommandCase{"other_program_missing", "Tools\\Gone.exe -x", "Tools/Gone", {"-x"}, "\"Tools/Gone\" -x",
                    "'Tools/Gone' not found!"},
        CommandCase{"main_program_named", "General\\Marlinex.exe ..\\Protocols\\Generic\\Halyard.so /hf",
                    "General/Marlinex", {"..\\Protocols\\Generic\\Halyard.so", "/hf"},
                    "\"General/Marlinex\" ..\\Protocols\\Generic\\Halyard.so /hf", ""},
        CommandCase{"main_program_named_missing_plugin", "General\\Marlinex.exe /hf", "General/Marlinex", {"/hf"},
                    "\"General/Marlinex\" /hf", "'plugin path' not found!"},
        CommandCase{"main_program_named_wrong_plugin", "General\\Marlinex.exe Gone.so", "General/Marlinex",
                    {"Gone.so"}, "\"General/Marlinex\" Gone.so", "'General/Gone.so' not found!"},
        CommandCase{"absolute_main_program", "@/General/Marlinex.exe ../Protocols/Generic/Halyard.so",
                    "@/General/Marlinex", {"../Protocols/Generic/Halyard.so"},
                    "\"@/General/Marlinex\" ../Protocols/Generic/Halyard.so", ""},
        CommandCase{"program_path_is_a_folder", "Tools.exe x", "Tools", {"x"}, "\"Tools\" x", "'Tools' not found!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StartCommandBuild, MissingMainProgramComesFirst)
{
    testsupport::TempFolder empty;
    const std::string folder = empty.Path().string() + "/";
    const StartCommand command = StartCommand::Build("..\\Protocols\\Gone\\Gone.so", folder);
    EXPECT_FALSE(command.startable);
    EXPECT_EQ(command.message, "'General/Marlinex' not found!");
}

TEST(StartCommandBuild, FailureText)
{
    testsupport::LauncherTree tree;
    const StartCommand command = StartCommand::Build("..\\Protocols\\Generic\\Halyard.so /ec", tree.Folder());
    EXPECT_EQ(command.StartFailureText(13),
              "Not able start the Pelagor. Return code 13\nProgram: General/Marlinex\n"
              "Parameters: \"General/Marlinex\" ..\\Protocols\\Generic\\Halyard.so /ec");
}

TEST(StartCommandBuild, PluginFileChecked)
{
    testsupport::LauncherTree tree;
    const std::string folder = tree.Folder();
    EXPECT_EQ(StartCommand::Build("/ec ..\\Protocols\\Generic\\Halyard.so", folder).pluginPath,
              folder + "General/../Protocols/Generic/Halyard.so");
    EXPECT_EQ(StartCommand::Build(folder + "Protocols/Generic/Halyard.so", folder).pluginPath,
              folder + "Protocols/Generic/Halyard.so");
    EXPECT_EQ(StartCommand::Build("Tools\\Other.exe ..\\Protocols\\Generic\\Halyard.so", folder).pluginPath, "");
}
