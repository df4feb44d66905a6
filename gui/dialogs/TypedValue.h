#pragma once

#include <string>
#include <string_view>

#include <QString>

// What the dialogs do with the texts typed into them.

// Field texts are Windows-1252 bytes: shown and taken as Latin-1.
std::string Latin1Text(const QString& text);

// True when the text, after blanks, begins with an optional sign and a digit: a text that a
// "%d" scan would take a number from. A text without one means "no number given".
bool StartsWithNumber(std::string_view text);

// "Invalid value: <text>.\r\nThe value should be in the range <low> : <high>", with the
// exclamation icon.
void ShowRangeRefusal(std::string_view text, long long low, long long high);
