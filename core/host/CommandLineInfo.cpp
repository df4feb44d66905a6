#include "core/host/CommandLineInfo.h"

#include <cstring>

void CommandLineInfo::ParseParam(const char* parameter, bool isSwitch, bool)
{
    if (!isSwitch && fileName.empty())
        fileName = parameter;
}

bool IsSwitchParameter(const char* parameter)
{
    if (parameter[0] == '-')
        return true;
    return parameter[0] == '/' && std::strchr(parameter + 1, '/') == nullptr;
}

void ParseCommandLine(int argc, const char* const* argv, CommandLineInfo& info)
{
    for (int i = 1; i < argc; ++i) {
        const char* parameter = argv[i];
        const bool isSwitch = IsSwitchParameter(parameter);
        info.ParseParam(isSwitch ? parameter + 1 : parameter, isSwitch, i == argc - 1);
    }
}
