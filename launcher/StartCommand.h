#pragma once

#include <string>
#include <vector>

// What "Start" runs for an entry's parameters P, and whether it may run.
// - P without ".exe" (or starting with it): the main program General/Marlinex with P as its
//   arguments.
// - Otherwise the program is P up to its first ".exe", which a Linux program name does not
//   have, and the rest of P are its arguments; a command line naming Marlinex.exe is checked
//   for its plug-in.
// P is split into arguments as a Windows command line is; its '\' are passed on as written.
// The plug-in path is the one the main program's command line takes; the main program
// resolves a relative one in its own folder (it makes that folder current at start).
struct StartCommand {
    static constexpr const char* kMainProgram = "General/Marlinex";

    // launcherFolder: the folder the program paths are relative to, with its trailing '/'.
    static StartCommand Build(const std::string& parameters, const std::string& launcherFolder);

    // The message for a start that the system refused with the error code.
    std::string StartFailureText(int errorCode) const;

    std::string program;                // as the messages name it, relative to the launcher folder
    std::string programPath;            // the file to start
    std::vector<std::string> arguments; // after the program's own name
    std::string commandLine;            // as the messages show it: the quoted program, then P
    std::string workingFolder;          // the launcher folder
    std::string pluginPath;             // the plug-in file checked; empty when none was
    bool startable = false;
    std::string message;                // why not, when not startable
};
