#include "plugin/fennet/FormattedField.h"

#include <cstdio>

#include "plugin/frame/FieldAppender.h"

bool AppendFormattedField(FieldAppender& appender, int32_t fieldId, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    bool written = AppendFormattedFieldV(appender, fieldId, format, arguments);
    va_end(arguments);
    return written;
}

bool AppendFormattedFieldV(FieldAppender& appender, int32_t fieldId, const char* format,
                           va_list arguments)
{
    char text[kFormattedFieldSize];
    if (std::vsnprintf(text, sizeof text, format, arguments) < 0)
        text[0] = '\0';
    return appender.AppendField(fieldId, text);
}
