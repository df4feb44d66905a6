#pragma once

#include <cstdint>

// Dumps of n bytes laid out in the given number of lines: each line holds
// c = (n + lines - 1) / lines items, the last line padded to full width, lines
// separated by "\n", the text ended by a NUL. n = 0 gives the empty text.

// Text length of each dump, NUL included: what the destination must hold.
int32_t HexDumpLength(int32_t n, int32_t lines);
int32_t AsciiDumpLength(int32_t n, int32_t lines);

// Two upper-case hex digits a byte, one blank between items, two blanks a padding item.
void FormatHexDump(char* destination, const uint8_t* bytes, int32_t n, int32_t lines);

// One character a byte: TAB as 0xAF, 0x20..0x7E as itself, anything else "*"; blank padding.
void FormatAsciiDump(char* destination, const uint8_t* bytes, int32_t n, int32_t lines);
