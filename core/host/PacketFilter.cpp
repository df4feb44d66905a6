#include "core/host/PacketFilter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "plugin/frame/ParsedFieldRec.h"

namespace {

constexpr size_t kValuesSize = sizeof(REC_FILTER::values);

bool IsSeparator(char c)
{
    return c == ' ' || c == '|';
}

// Length up to the first NUL, reading no more than limit bytes.
size_t BoundedLength(const char* text, size_t limit)
{
    const void* nul = std::memchr(text, '\0', limit);
    return nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text) : limit;
}

// The text of one field record and how far the field buffer reaches past its start.
struct FieldText {
    const char* text;
    size_t length;    // up to its NUL, never beyond its own bytes
    size_t bufferEnd; // bytes from text to the end of the field buffer
};

// The first of the packet's records with the id. A record whose head or text does not lie
// wholly inside the buffer ends the search: nothing after it can be trusted.
bool FindField(const PARSED_DATA& packet, size_t capacity, uint32_t fieldId, FieldText& found)
{
    if (packet.fieldBuffer == nullptr || capacity == 0)
        return false;
    const char* buffer = packet.fieldBuffer;
    size_t at = 0;
    for (uint16_t i = 0; i < packet.fieldCount; ++i) {
        if (capacity - at < sizeof(PARSED_FIELD_REC))
            return false;
        PARSED_FIELD_REC head;
        std::memcpy(&head, buffer + at, sizeof head);
        at += sizeof head;
        if (head.textLength < 0 || capacity - at < static_cast<size_t>(head.textLength))
            return false;
        const size_t textLength = static_cast<size_t>(head.textLength);
        if (static_cast<uint32_t>(head.fieldId) == fieldId) {
            found.text = buffer + at;
            found.length = BoundedLength(found.text, textLength);
            found.bufferEnd = capacity - at;
            return true;
        }
        at += textLength;
    }
    return false;
}

// The field text read as words between separators against the pattern read as values
// between ';'. t and p only ever move forward, and every state either consumes a text
// character or hands over to one that does, so the walk ends within twice the text length.
int MatchText(const FieldText& field, std::string_view pattern)
{
    const char* text = field.text;
    const size_t textEnd = field.length;
    const size_t patternEnd = pattern.size();
    size_t t = 0;
    size_t p = 0;
    while (t < textEnd && text[t] == ' ')
        ++t;

    int result = 1;
    int state = 0;
    int resume = 2;
    // '?' and '\' step over the next pattern character, which may be the last one.
    const auto skipTwo = [&] { p = std::min(p + 2, patternEnd); };

    while (t < textEnd && p < patternEnd) {
        const char c = text[t];
        const char pc = pattern[p];
        switch (state) {
        case 0:
            if (pc == '*' && IsSeparator(c)) {
                ++t, ++p, resume = 2, state = 1;
            } else if (pc == '*') {
                ++t, ++p, state = 2;
            } else if (IsSeparator(c) && pc == ';') {
                ++t, ++p, state = 4;
            } else if (pc == '?') {
                ++t, skipTwo(), state = 4;
            } else if (pc == '\\') {
                ++t, skipTwo();
            } else {
                if (c != pc)
                    result = 0;
                ++t, ++p;
            }
            break;
        case 1:
            if (IsSeparator(c))
                ++t;
            else
                state = resume;
            break;
        case 2:
            ++t;
            if (IsSeparator(c))
                state = 3;
            break;
        case 3:
            if (IsSeparator(c)) {
                ++t;
            } else {
                if (pc == ';')
                    ++p;
                state = 0;
            }
            break;
        default: // 4: just after a '?' or a ';' that met a separator
            if (pc == '*' && IsSeparator(c)) {
                ++t, ++p, resume = 2, state = 1;
            } else if (pc == '*') {
                ++t, ++p, state = 2;
            } else if (IsSeparator(c)) {
                ++t, state = 3;
            } else if (c == pc) {
                ++t, ++p, state = 0;
            } else {
                result = 0;
                ++t;
            }
            break;
        }
        // A text without its NUL that runs to the end of the buffer is cut off, not short.
        if (t >= field.bufferEnd)
            return 0;
        if (result == 0)
            return 0;
    }
    return result;
}

} // namespace

PacketFilter::PacketFilter(uint16_t parsedLength) : parsedLength_(parsedLength) {}

PacketFilter::~PacketFilter()
{
    conditions_.clear();
}

void PacketFilter::AddCondition(const REC_FILTER& condition)
{
    conditions_.push_back(condition);
}

int PacketFilter::Evaluate(const PARSED_DATA& packet) const
{
    int result = 1;
    for (const REC_FILTER& condition : conditions_) {
        if (result == 1) {
            const std::string_view values(condition.values, BoundedLength(condition.values, kValuesSize));
            result = MatchField(condition.fieldId, values, packet);
            if (result == 1 && condition.link == kFilterLinkEndRow)
                return 1;
        }
        // A failed row gives way to the next one.
        if (condition.link == kFilterLinkEndRow && result == 0)
            result = 1;
    }
    return result;
}

int PacketFilter::MatchField(uint32_t fieldId, std::string_view pattern, const PARSED_DATA& packet) const
{
    FieldText field{};
    if (!FindField(packet, parsedLength_, fieldId, field))
        return 0;
    const size_t nul = pattern.find('\0');
    if (nul != std::string_view::npos)
        pattern = pattern.substr(0, nul);
    return MatchText(field, pattern);
}
