#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dravik/SimulatedBoardConfig.h"

// The per-user list of simulated boards, $XDG_CONFIG_HOME/pelagor/boards.ini (default
// ~/.config/pelagor/boards.ini). Each [board] section is one attached device:
//
//   [board]
//   type = kestrix          ; kestrix, dalvor, trennic, serial or a number
//   chip = 0x6F1C           ; or QZ6F1C
//   usb id = 0x0002
//   serial = 1002
//
// Lines that cannot be read are skipped; a section without a type or a chip, or with a serial
// number used before, is dropped. A missing or unreadable file gives the default set; a file
// that lists no board means that no board is attached.
class BoardFile {
public:
    static constexpr int kMaxBoards = 64;
    static constexpr size_t kMaxFileBytes = 1u << 20;

    // Where the file is looked for; empty when there is no per-user folder.
    static std::string Path();

    // The boards of the file at path; nothing when it cannot be read.
    static std::optional<std::vector<SimulatedBoardConfig>> Read(const std::string& path);
    // skippedLines, when given, receives the numbers (from 1) of the lines not taken.
    static std::vector<SimulatedBoardConfig> Parse(const std::string& text,
                                                   std::vector<int>* skippedLines = nullptr);
    static std::vector<SimulatedBoardConfig> DefaultBoards();
    // The boards attached now: the file's, else the default set.
    static std::vector<SimulatedBoardConfig> Attached();
};
