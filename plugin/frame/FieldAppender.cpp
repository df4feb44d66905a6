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
    if (text == nullptr)
        return ReserveField(fieldId, 0) != nullptr;
    return AppendText(fieldId, text);
}

bool FieldAppender::AppendText(int32_t fieldId, std::string_view text)
{
    char* destination = ReserveField(fieldId, static_cast<int32_t>(text.size()) + 1);
    if (destination == nullptr)
        return false;
    if (!text.empty())
        std::memcpy(destination, text.data(), text.size());
    destination[text.size()] = '\0';
    return true;
}
