#pragma once

#include <string>

// What a program's command line says, collected parameter by parameter.
class CommandLineInfo {
public:
    virtual ~CommandLineInfo() = default;

    // One parameter, without its switch character when isSwitch; isLast for the final one.
    virtual void ParseParam(const char* parameter, bool isSwitch, bool isLast);

    std::string fileName; // the plain parameter, by default
};

// A parameter is a switch when it begins with '-', or with '/' and holds no second '/'
// ("/chip" is a switch, "/opt/pelagor/x.so" a path).
bool IsSwitchParameter(const char* parameter);

// Hands every parameter after the program name to info, in order.
void ParseCommandLine(int argc, const char* const* argv, CommandLineInfo& info);
