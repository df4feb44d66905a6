#include "core/host/FilterTemplates.h"

#include <cstring>

namespace {

// A fixed-width text of a table record, up to its zero and never past limit characters.
std::string FieldText(const char* text, size_t limit)
{
    const void* nul = std::memchr(text, '\0', limit);
    return std::string(text, nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - text) : limit);
}

bool IsParameterSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '|';
}

} // namespace

std::string FilterTemplates::AddField(const TAB_FIELD_DEF_REC& field, const char* dependentTemplate)
{
    const std::string shortName = FieldText(field.SHORTNAME, kMaxShortName);
    // An empty name would let an empty row match this field; the panel lists no such field.
    if (!shortName.empty())
        shortNames_[shortName] = static_cast<uint32_t>(field.INDEX);

    std::string text;
    if (dependentTemplate != nullptr) {
        text = dependentTemplate;
        // A dependent template on the field itself replaces the field's own one.
        if (text.compare(0, shortName.size(), shortName) == 0)
            return text;
        text += ";";
    }

    text += shortName;
    if (field.TYPE != kTypeWithParameters)
        return text + "=x";

    text += "=(";
    const std::string subheader = FieldText(field.SUBHEADER, sizeof field.SUBHEADER);
    uint16_t position = 0;
    size_t at = 0;
    while (at < subheader.size() && IsParameterSeparator(subheader[at]))
        ++at;
    while (at < subheader.size()) {
        size_t end = at;
        while (end < subheader.size() && !IsParameterSeparator(subheader[end]))
            ++end;
        const std::string word = subheader.substr(at, end - at);
        text += word + "=x";
        parameters_[{shortName, word}] = position++;
        at = end;
        if (at < subheader.size()) {
            text += ", ";
            while (at < subheader.size() && IsParameterSeparator(subheader[at]))
                ++at;
        }
    }
    return text + ")";
}

bool FilterTemplates::FindShortName(const std::string& shortName, uint32_t* fieldId) const
{
    if (shortName.size() > kMaxShortName)
        return false;
    const auto found = shortNames_.find(shortName);
    if (found == shortNames_.end())
        return false;
    if (fieldId != nullptr)
        *fieldId = found->second;
    return true;
}

bool FilterTemplates::FindParameter(const std::string& shortName, const std::string& parameter,
                                    uint16_t* position) const
{
    const auto found = parameters_.find({shortName, parameter});
    if (found == parameters_.end())
        return false;
    if (position != nullptr)
        *position = found->second;
    return true;
}

void FilterTemplates::Clear()
{
    shortNames_.clear();
    parameters_.clear();
}
