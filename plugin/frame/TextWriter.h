#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "plugin/frame/HexText.h"
#include "plugin/frame/NumberText.h"

// Composes a NUL-terminated text in a buffer of size bytes, piece by piece, without the
// locale or an allocation. What does not fit in size - 1 characters is cut, and the text is
// terminated after every piece (a buffer of 0 bytes is never written).
class TextWriter {
public:
    TextWriter(char* text, size_t size) : text_(text), size_(size)
    {
        if (size_ > 0)
            text_[0] = '\0';
    }

    TextWriter& Put(char c)
    {
        if (length_ + 1 < size_) {
            text_[length_++] = c;
            text_[length_] = '\0';
        }
        return *this;
    }

    TextWriter& Put(std::string_view piece)
    {
        if (piece.empty() || length_ + 1 >= size_)
            return *this;
        const size_t room = size_ - 1 - length_;
        const size_t count = piece.size() < room ? piece.size() : room;
        std::memcpy(text_ + length_, piece.data(), count);
        length_ += count;
        text_[length_] = '\0';
        return *this;
    }

    // "0x" and at least minDigits (at most 16) hexadecimal digits.
    TextWriter& Hex(uint64_t value, int minDigits, HexLetters letters = HexLetters::Upper)
    {
        char digits[2 + 16];
        digits[0] = '0';
        digits[1] = 'x';
        const int clamped = minDigits < 16 ? minDigits : 16;
        return Put(std::string_view(digits, static_cast<size_t>(WriteHex(digits + 2, value, clamped, letters) - digits)));
    }

    TextWriter& Decimal(int32_t value)
    {
        char digits[11];
        return Put(std::string_view(digits, static_cast<size_t>(WriteDecimal(digits, value) - digits)));
    }

    // At least minDigits (at most 10) decimal digits, zero-padded.
    TextWriter& Decimal(uint32_t value, int minDigits)
    {
        char digits[10];
        const int clamped = minDigits < 10 ? minDigits : 10;
        return Put(std::string_view(digits, static_cast<size_t>(WriteDecimal(digits, value, clamped) - digits)));
    }

    // Blanks up to width characters.
    TextWriter& PadTo(size_t width)
    {
        while (length_ < width && length_ + 1 < size_)
            text_[length_++] = ' ';
        if (size_ > 0)
            text_[length_] = '\0';
        return *this;
    }

    size_t Length() const { return length_; }
    std::string_view View() const { return {text_, length_}; }

private:
    char* text_;
    size_t size_;
    size_t length_ = 0;
};
