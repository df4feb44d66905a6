#pragma once

#include <string>

// Information texts of the launcher's table write '&' for a carriage return and '$' for a
// line feed.
std::string InfoWithLineEnds(const std::string& info);

// The text as the window shows it: every line end ("\r\n", a lone '\r' or a lone '\n') one
// '\n', so "&$" makes one line break as it does in a Windows edit control.
std::string InfoForDisplay(const std::string& info);
