#include "plugin/frame/FieldAppender.h"

#include <cstring>

#include "plugin/frame/ParsedFieldRec.h"

FieldAppender::FieldAppender(PARSED_DATA& out, int32_t capacity)
    : out_(out), capacity_(out.fieldBuffer != nullptr ? capacity : 0), cursor_(out.fieldBuffer)
{
    out_.fieldCount = 0;
    out_.bytesUsed = 0;
}

char* FieldAppender::ReserveField(int32_t fieldId, int32_t textLength)
{
    ++out_.fieldCount;
    int64_t used = int64_t{out_.bytesUsed} + kParsedFieldHeaderSize + textLength;
    out_.bytesUsed = static_cast<int32_t>(used);
    if (used > capacity_) {
        out_.status = PARSE_FIELD_BUFFER_FULL;
        return nullptr;
    }
    PARSED_FIELD_REC head{fieldId, textLength};
    std::memcpy(cursor_, &head, sizeof head);
    char* text = cursor_ + kParsedFieldHeaderSize;
    cursor_ = text + textLength;
    return text;
}

bool FieldAppender::AppendField(int32_t fieldId, const char* text)
{
    int32_t length = text != nullptr ? static_cast<int32_t>(std::strlen(text)) + 1 : 0;
    char* destination = ReserveField(fieldId, length);
    if (destination == nullptr)
        return false;
    if (length > 0)
        std::memcpy(destination, text, static_cast<size_t>(length));
    return true;
}
