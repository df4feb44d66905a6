#pragma once

#include <cstdarg>
#include <cstdint>

class FieldAppender;

// Longest text a formatted field holds, NUL included; longer texts are cut.
constexpr int kFormattedFieldSize = 1024;

// Appends a field whose text is printf-formatted, without allocating.
bool AppendFormattedField(FieldAppender& appender, int32_t fieldId, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
bool AppendFormattedFieldV(FieldAppender& appender, int32_t fieldId, const char* format,
                           va_list arguments) __attribute__((format(printf, 3, 0)));
