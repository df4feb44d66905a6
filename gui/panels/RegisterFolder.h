#pragma once

#include <string>
#include <vector>

// Folders of register files. Paths from files, the registry and the command line may use
// '\' or '/' between folder names; the results use '/'.

// The plug-in's folder as the register panel names it: the path up to its last separator;
// for a relative path only what follows the first "General\" (or "General/"), which is then
// relative to the program folder. Empty when the path names no folder.
std::string PluginFolderOf(const std::string& pluginPath);

// The folder of register files that path stands for: the folder of a path to a ".prs"
// file, else the path itself.
std::string RegisterFolderOf(const std::string& path);

// folder and name with one '/' between them.
std::string JoinFolder(const std::string& folder, const std::string& name);

// The names, without ".prs", of the register files in folder, in the order of a sorted list
// box (case does not count, then it does). Empty for a folder that is missing or holds none.
std::vector<std::string> ListRegisterFiles(const std::string& folder);
