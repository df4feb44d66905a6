#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits the parameters of a command line into arguments the way a Windows program's runtime
// does: blanks and tabs separate; double quotes group and are removed, "" inside quotes is one
// quote; 2n backslashes before a quote give n and the quote groups, 2n + 1 give n and a quote;
// other backslashes stay as written.
std::vector<std::string> SplitCommandLine(std::string_view parameters);
