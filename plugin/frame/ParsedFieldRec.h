#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

// Head of one decoded field; L text bytes (with their NUL) follow it. Records lie back to
// back in the field buffer and need not be aligned.
struct PARSED_FIELD_REC {
    int32_t fieldId;
    int32_t textLength; // L, including the NUL; 0 for a field without text
};

static_assert(offsetof(PARSED_FIELD_REC, fieldId) == 0);
static_assert(offsetof(PARSED_FIELD_REC, textLength) == 4);
static_assert(sizeof(PARSED_FIELD_REC) == 8);

constexpr int kParsedFieldHeaderSize = sizeof(PARSED_FIELD_REC);

// One field as read back from a field buffer.
struct ParsedField {
    int32_t fieldId;
    bool hasText;
    std::string_view text; // without the NUL
};

// Walks the field records of a buffer, never past the bytes the buffer holds.
// A record that does not fit what is left ends the walk.
class ParsedFieldCursor {
public:
    ParsedFieldCursor(const char* buffer, int32_t bytes)
        : next_(buffer), end_(buffer + (bytes > 0 && buffer != nullptr ? bytes : 0))
    {
    }

    std::optional<ParsedField> Next()
    {
        if (end_ - next_ < kParsedFieldHeaderSize)
            return std::nullopt;
        PARSED_FIELD_REC head;
        std::memcpy(&head, next_, sizeof head);
        const char* text = next_ + kParsedFieldHeaderSize;
        if (head.textLength < 0 || end_ - text < head.textLength)
            return std::nullopt;
        next_ = text + head.textLength;
        if (head.textLength == 0)
            return ParsedField{head.fieldId, false, {}};
        // The text runs to its NUL, which a sound record places last.
        const void* nul = std::memchr(text, '\0', static_cast<size_t>(head.textLength));
        size_t size = nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text)
                                     : static_cast<size_t>(head.textLength);
        return ParsedField{head.fieldId, true, std::string_view(text, size)};
    }

private:
    const char* next_;
    const char* end_;
};
