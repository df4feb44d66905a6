#pragma once

#include <string>

#include "core/host/CommandLineInfo.h"

// The main program's command line:
// "plugin path" /le /ec /hf /chip "device name" /config "configuration file name" /protocol "name"
class CPelagorCommandLineInfo : public CommandLineInfo {
public:
    // executableName names the program in the usage text.
    explicit CPelagorCommandLineInfo(std::string executableName);

    void ParseParam(const char* parameter, bool isSwitch, bool isLast) override;

    // Shows the usage text and ends the program with exit code -1.
    [[noreturn]] void Usage() const;
    std::string UsageText() const;

    bool le = false;
    bool ec = false; // extended IEEE 802.15.4 channels
    bool hf = false; // hardware filter buttons
    std::string chip;
    std::string config;
    std::string protocol;
    bool pathGiven = false;

private:
    std::string executableName_;
    bool expectingChip_ = false;
    bool expectingConfig_ = false;
    bool expectingProtocol_ = false;
};
