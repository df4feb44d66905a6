#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "core/host/CPelagorCommandLineInfo.h"
#include "core/host/PluginHandler.h"
#include "launcher/PelagorIniFile.h"
#include "launcher/StartCommand.h"
#include "platform/MessageBoxRecorder.h"
#include "platform/PathText.h"

namespace {

const std::string kTree = PELAGOR_TEST_TREE_DIR "/";

bool IsFile(const std::string& path)
{
    return std::filesystem::is_regular_file(platform::ToNativePath(path));
}

} // namespace

// Every entry of the table in the built program tree starts there: its program, plug-in,
// description file and common.plt exist.
TEST(ShippedIni, EveryEntryStartsInTheTree)
{
    EXPECT_TRUE(IsFile(kTree + "Startup"));
    platform::MessageBoxRecorder recorder;
    PelagorIniFile ini;
    ASSERT_TRUE(ini.Read(kTree + "Pelagor.ini"));
    EXPECT_TRUE(recorder.Texts().empty());
    EXPECT_EQ(ini.GetVersion(), "Ver. 2.13.3");
    ASSERT_GE(ini.GetCount(), 4);

    for (const INI_DATA_REC& entry : ini.Entries()) {
        SCOPED_TRACE(entry.name);
        const StartCommand command = StartCommand::Build(entry.parameters, kTree);
        EXPECT_TRUE(command.startable) << command.message;
        EXPECT_EQ(command.program, StartCommand::kMainProgram);
        ASSERT_FALSE(command.pluginPath.empty());
        EXPECT_NE(entry.parameters.find('\\'), std::string::npos) << "written as a Windows-born file would";

        CPelagorCommandLineInfo commandLine("Marlinex");
        for (const std::string& argument : command.arguments) {
            const bool isSwitch = IsSwitchParameter(argument.c_str());
            commandLine.ParseParam(argument.c_str() + (isSwitch ? 1 : 0), isSwitch, false);
        }
        std::string description;
        ASSERT_TRUE(PluginHandler::DescriptionPath(command.pluginPath, commandLine.chip, description));
        EXPECT_TRUE(IsFile(description)) << description;
        EXPECT_TRUE(IsFile(PluginHandler::CommonTablePath(description)));

        // Every tag has its text, with its line breaks.
        EXPECT_NE(entry.info.find("&$"), std::string::npos) << entry.info;
    }
}
