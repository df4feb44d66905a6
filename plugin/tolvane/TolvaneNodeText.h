#pragma once

#include "plugin/tolvane/TolvaneNodeInfo.h"

namespace tolvane {

// NODE_TEXT: how a node is laid out in the column buffer of ADDR_BOOK_REC. The protocol
// folder's AddrBook.plt must give columns of these widths (30 + 8 + 8 + 19).
constexpr int kNodeNameOffset = 0;
constexpr int kNodeNameWidth = 30;
constexpr int kNodePanOffset = 30;
constexpr int kNodeShortOffset = 38;
constexpr int kNodeHexWidth16 = 8; // "0x%4.4X" and its NUL, one blank to spare
constexpr int kNodeExtendedOffset = 46;
constexpr int kNodeExtendedWidth = 19; // "0x%016X" of 64 bits and its NUL
constexpr int kNodeTextSize = kNodeExtendedOffset + kNodeExtendedWidth;
static_assert(kNodeTextSize == 65);

// Copies at most kNodeNameChars characters of src (nullptr: none), zero-filling dst.
void CopyNodeName(char (&dst)[sizeof(NODE_INFO::name)], const char* src);

// Writes name and addresses of node into text, which holds at least kNodeTextSize bytes.
void FormatNodeText(char* text, const NODE_INFO& node);

// Reads name and addresses back from text; no read passes the end of its slice. The id is 0.
NODE_INFO ReadNodeText(const char* text);

} // namespace tolvane
