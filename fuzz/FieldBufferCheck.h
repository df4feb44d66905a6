#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "plugin/frame/ParsedData.h"
#include "plugin/frame/ParsedFieldRec.h"

#include "fuzz/FuzzCheck.h"

// The field records a plug-in wrote into fields (filled with 0xEE before the call): each is one
// the plug-in makes (knownField), together they fit the capacity, nothing follows them, and a
// packet decoded without error holds exactly what it counts.
template <typename KnownField>
void CheckFieldBuffer(const std::vector<char>& fields, const PARSED_DATA& out, int capacity, KnownField knownField)
{
    ParsedFieldCursor cursor(fields.data(), std::min(out.bytesUsed, capacity));
    int held = 0;
    int32_t heldBytes = 0;
    while (auto field = cursor.Next()) {
        Check(knownField(*field));
        heldBytes += kParsedFieldHeaderSize + static_cast<int32_t>(field->text.size()) + (field->hasText ? 1 : 0);
        ++held;
    }
    Check(held <= out.fieldCount);
    Check(heldBytes <= capacity);
    Check(std::all_of(fields.begin() + heldBytes, fields.end(), [](char c) { return c == '\xEE'; }));
    if (out.status == PARSE_OK)
        Check(held == out.fieldCount && heldBytes == out.bytesUsed);
}
