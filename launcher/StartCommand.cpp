#include "launcher/StartCommand.h"

#include <sys/stat.h>

#include <string_view>

#include "core/host/CPelagorCommandLineInfo.h"
#include "launcher/WindowsCommandLine.h"
#include "platform/PathText.h"
#include "platform/TextFormat.h"

namespace {

constexpr std::string_view kProgramSuffix = ".exe";
constexpr std::string_view kMainProgramFile = "Marlinex.exe";
// The main program's own name for it, in its usage text.
constexpr const char* kNoPluginPath = "plugin path";

bool IsFile(const std::string& path)
{
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISDIR(status.st_mode);
}

bool IsAbsolute(const std::string& path)
{
    return !path.empty() && path[0] == '/';
}

std::string NotFound(const std::string& what)
{
    return platform::FormatText("'%s' not found!", what.c_str());
}

// The plug-in path the main program takes from these arguments, as it parses them; empty
// when there is none.
std::string PluginPathOf(const std::vector<std::string>& arguments)
{
    CPelagorCommandLineInfo info("Marlinex");
    // Never "last": the usage box belongs to the main program, not to the launcher.
    for (const std::string& argument : arguments) {
        const bool isSwitch = IsSwitchParameter(argument.c_str());
        info.ParseParam(argument.c_str() + (isSwitch ? 1 : 0), isSwitch, false);
    }
    return info.pathGiven ? info.fileName : std::string();
}

} // namespace

StartCommand StartCommand::Build(const std::string& parameters, const std::string& launcherFolder)
{
    StartCommand command;
    command.workingFolder = launcherFolder;

    const size_t suffix = parameters.find(kProgramSuffix);
    bool checkPlugin = true;
    std::string rest;
    if (suffix == std::string::npos || suffix == 0) {
        command.program = kMainProgram;
        rest = parameters;
        command.commandLine = "\"" + command.program + "\" " + parameters;
    } else {
        command.program = platform::ToNativePath(parameters.substr(0, suffix));
        rest = parameters.substr(suffix + kProgramSuffix.size());
        command.commandLine = "\"" + command.program + "\"" + rest;
        checkPlugin = parameters.find(kMainProgramFile) != std::string::npos;
    }
    command.arguments = SplitCommandLine(rest);
    command.programPath = IsAbsolute(command.program) ? command.program : launcherFolder + command.program;

    if (!IsFile(command.programPath)) {
        command.message = NotFound(command.program);
        return command;
    }
    if (checkPlugin) {
        const std::string plugin = PluginPathOf(command.arguments);
        if (plugin.empty()) {
            command.message = NotFound(kNoPluginPath);
            return command;
        }
        std::string shown = platform::ToNativePath(plugin);
        if (!IsAbsolute(shown)) {
            const size_t cut = command.program.rfind('/');
            shown.insert(0, cut == std::string::npos ? std::string() : command.program.substr(0, cut + 1));
        }
        command.pluginPath = IsAbsolute(shown) ? shown : launcherFolder + shown;
        if (!IsFile(command.pluginPath)) {
            command.message = NotFound(shown);
            return command;
        }
    }
    command.startable = true;
    return command;
}

std::string StartCommand::StartFailureText(int errorCode) const
{
    return platform::FormatText("Not able start the Pelagor. Return code %d\nProgram: %s\nParameters: %s",
                                errorCode, program.c_str(), commandLine.c_str());
}
