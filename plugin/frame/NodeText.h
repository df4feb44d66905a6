#pragma once

#include <cstdint>

// NODE_TEXT: how a node is laid out in the column buffer of ADDR_BOOK_REC. The protocol
// folder's AddrBook.plt must give columns of these widths (30 + 11).
constexpr int kNodeNameOffset = 0;
constexpr int kNodeNameWidth = 30;
constexpr int kNodeAddressOffset = 30;
constexpr int kNodeAddressWidth = 11; // "0x%8.8X" and its NUL
constexpr int kNodeTextSize = kNodeAddressOffset + kNodeAddressWidth;

// The characters of a name that a node keeps: the name slice's width.
constexpr int kNodeNameChars = kNodeNameWidth;

// Copies at most kNodeNameChars characters of src into dst (at least kNodeNameChars + 1
// bytes), NUL-terminated and zero-filled to dstSize.
void CopyNodeName(char* dst, int dstSize, const char* src);

// Writes the name (zero-filled to the slice's end) and "0x%8.8X" of the address into text,
// which holds at least kNodeTextSize bytes.
void FormatNodeText(char* text, const char* name, uint32_t address);

// Reads a node back from text: the name slice into name (kNodeNameChars + 1 bytes) and the
// address slice as hexadecimal. Neither read passes the end of its slice.
void ReadNodeText(const char* text, char* name, uint32_t* address);
