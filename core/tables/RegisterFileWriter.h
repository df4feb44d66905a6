#pragma once

#include <string>
#include <vector>

#include "core/tables/TabRadioSettingsRec.h"

// Writes register sets as register files (*.prs) that TabRadioSettings reads back to the same
// names, addresses and values: one line "name|0xAAAA|0xVV" per register, names padded with
// blanks to the widest, CR LF line ends, no description, directive or comment.
class RegisterFileWriter {
public:
    static constexpr unsigned kMaxAddress = 0xFFFF;
    static constexpr unsigned kMaxValue = 0xFF;
    static constexpr size_t kMaxNameLength = sizeof(TAB_RADIO_SETTINGS_REC::REGNAME) - 1;

    // "" when a register fits a register file and a register set: a name of at most
    // kMaxNameLength characters, a 16-bit address and a one-byte value; else the reason.
    static std::string CheckRow(const TAB_RADIO_SETTINGS_REC& row);

    // The name as the first field of a line, escaped with the reader's backslash rules so that
    // it reads back unchanged: '|', '\' and line ends inside it, blanks at its end, and a first
    // character that would end the field, be skipped, or make the line a comment or directive.
    static std::string EscapeName(const std::string& name);

    // The whole file. false (text untouched) with the reason in error when a row does not fit.
    static bool Format(const std::vector<TAB_RADIO_SETTINGS_REC>& rows, std::string* text, std::string* error);

    // Creates (truncates) path and writes the rows. 1 written and closed; 0 with the message
    // in error: the row check's reason (nothing touched), "Could not open file: " or
    // "Can't write to file: " followed by the system's text for the error.
    static int Write(const std::string& path, const std::vector<TAB_RADIO_SETTINGS_REC>& rows, std::string* error);
};
