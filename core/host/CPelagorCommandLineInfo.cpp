#include "core/host/CPelagorCommandLineInfo.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/MessageBox.h"
#include "platform/TextFormat.h"

CPelagorCommandLineInfo::CPelagorCommandLineInfo(std::string executableName)
    : executableName_(std::move(executableName))
{
}

void CPelagorCommandLineInfo::ParseParam(const char* parameter, bool isSwitch, bool isLast)
{
    if (isSwitch) {
        if (std::strcmp(parameter, "le") == 0)
            le = true;
        else if (std::strcmp(parameter, "ec") == 0)
            ec = true;
        else if (std::strcmp(parameter, "hf") == 0)
            hf = true;
        else if (std::strcmp(parameter, "chip") == 0)
            expectingChip_ = true;
        else if (std::strcmp(parameter, "config") == 0)
            expectingConfig_ = true;
        else if (std::strcmp(parameter, "protocol") == 0)
            expectingProtocol_ = true;
    } else if (expectingChip_) {
        chip = parameter;
        expectingChip_ = false;
    } else if (expectingConfig_) {
        config = parameter;
        expectingConfig_ = false;
    } else if (expectingProtocol_) {
        protocol = parameter;
        expectingProtocol_ = false;
    } else {
        fileName = parameter;
        pathGiven = !fileName.empty();
    }

    if (isLast && (!pathGiven || expectingChip_ || expectingConfig_ || expectingProtocol_))
        Usage();
}

std::string CPelagorCommandLineInfo::UsageText() const
{
    return platform::FormatText(
        "Usage: %s \"plugin path\" /le /ec /hf /chip \"device name\" /config \"configuration "
        "file name\" /protocol \"protocol name\"",
        executableName_.c_str());
}

void CPelagorCommandLineInfo::Usage() const
{
    platform::ShowMessageBox(UsageText());
    std::exit(-1);
}
