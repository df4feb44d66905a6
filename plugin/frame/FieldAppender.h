#pragma once

#include <cstdint>
#include <string_view>

#include "plugin/frame/ParsedData.h"

// Writes field records into the caller's field buffer without ever passing its capacity.
// Every call counts the field and its bytes, whether or not the record fits; once a record
// does not fit the status is "field buffer full" and no later record fits either.
class FieldAppender {
public:
    // Starts an empty list (field count and bytes used 0) at the beginning of out's
    // field buffer, which holds capacity bytes.
    FieldAppender(PARSED_DATA& out, int32_t capacity);

    // Appends a record with text (nullptr: a field without text). True when written.
    bool AppendField(int32_t fieldId, const char* text);

    // Appends a record with text and a NUL after it. True when written.
    bool AppendText(int32_t fieldId, std::string_view text);

    // Appends a record whose text of textLength bytes (NUL included) the caller writes
    // at the returned address; nullptr when it does not fit.
    char* ReserveField(int32_t fieldId, int32_t textLength);

private:
    PARSED_DATA& out_;
    int32_t capacity_;
    char* cursor_;
};
