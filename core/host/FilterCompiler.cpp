#include "core/host/FilterCompiler.h"

#include <cstdint>
#include <cstring>

#include "platform/TextFormat.h"

namespace {

// Reads one row of the filter window character by character:
//   0 short name, 1 after "=", 2 parameter name, 3 value, 4 condition complete.
class RowCompiler {
public:
    RowCompiler(const FilterTemplates& templates, uint32_t lastLink, std::vector<REC_FILTER>& out,
                std::string& message)
        : templates_(templates), lastLink_(lastLink), out_(out), message_(message)
    {
    }

    bool Compile(const std::string& row)
    {
        for (const char c : row) {
            if (c == '\t')
                continue;
            // A blank only counts inside a value, and there not before its first character.
            if (c == ' ' && (state_ != kValue || token_.empty()))
                continue;
            if (!Take(c))
                return false;
        }
        // A value or parameter list left open ends with the row, as ")" would end it.
        if (state_ == kValue && !EndValue())
            return false;
        uint32_t fieldId = 0;
        if (!templates_.FindShortName(shortName_, &fieldId)) {
            message_ = platform::FormatText("Not able to lookup Short name %s.\n", shortName_.c_str());
            return false;
        }
        Append(lastLink_, fieldId);
        return true;
    }

private:
    enum State { kShortName, kAfterEquals, kParameter, kValue, kComplete };

    bool Take(char c)
    {
        switch (state_) {
        case kShortName:
            if (c == '=')
                state_ = kAfterEquals;
            else if (c != ';')
                shortName_ += c;
            return true;
        case kAfterEquals:
            if (c == '(') {
                state_ = kParameter;
            } else {
                token_.assign(1, c);
                state_ = kValue;
            }
            return true;
        case kParameter:
            if (c != '=') {
                token_ += c;
                return true;
            }
            if (!templates_.FindParameter(shortName_, token_, &position_)) {
                message_ = platform::FormatText("Not able to lookup parameter %s.\n", token_.c_str());
                return false;
            }
            token_.clear();
            state_ = kValue;
            return true;
        case kValue:
            if (c != ',' && c != ')' && c != ';') {
                token_ += c;
                return true;
            }
            if (!EndValue())
                return false;
            state_ = c == ',' ? kParameter : kComplete;
            return true;
        default: {
            uint32_t fieldId = 0;
            if (!templates_.FindShortName(shortName_, &fieldId)) {
                message_ = platform::FormatText("Not able to lookup Short name %s", shortName_.c_str());
                return false;
            }
            Append(kFilterLinkAnd, fieldId);
            shortName_.clear();
            values_.clear();
            position_ = 0;
            expected_ = 0;
            state_ = kShortName;
            if (c != ';')
                shortName_ += c;
            return true;
        }
        }
    }

    // The value lands at its parameter's position: "*;" for each position skipped before it.
    bool EndValue()
    {
        const size_t fillers = position_ > expected_ ? position_ - expected_ : 0;
        // A cut pattern would match more than was asked for: refuse it instead.
        if (values_.size() + 2 * fillers + token_.size() + 1 > FilterCompiler::kMaxValuesLength) {
            message_ = platform::FormatText(
                "Filter condition to long for field %s. Max length of its values = %d.\n", shortName_.c_str(),
                static_cast<int>(FilterCompiler::kMaxValuesLength));
            return false;
        }
        for (size_t i = 0; i < fillers; ++i)
            values_ += "*;";
        expected_ = static_cast<uint32_t>(position_) + 1;
        values_ += token_;
        values_ += ';';
        token_.clear();
        return true;
    }

    void Append(uint32_t link, uint32_t fieldId)
    {
        REC_FILTER condition{};
        condition.link = link;
        condition.fieldId = fieldId;
        std::memcpy(condition.values, values_.data(), values_.size());
        out_.push_back(condition);
    }

    const FilterTemplates& templates_;
    const uint32_t lastLink_;
    std::vector<REC_FILTER>& out_;
    std::string& message_;

    State state_ = kShortName;
    std::string shortName_;
    std::string token_;
    std::string values_;
    uint16_t position_ = 0;  // P: the position of the parameter being read
    uint32_t expected_ = 0;  // E: the next position the values text is at
};

} // namespace

bool FilterCompiler::Compile(const std::vector<std::string>& rows, const FilterTemplates& templates,
                             PacketFilter& filter, std::string* message)
{
    std::string text;
    std::vector<REC_FILTER> conditions;
    bool compiled = true;
    for (size_t j = 0; j < rows.size() && compiled; ++j) {
        const std::string& row = rows[j];
        if (row.size() >= kMaxRowLength) {
            text = platform::FormatText("String to long. Max length = %d.\n", static_cast<int>(kMaxRowLength));
            compiled = false;
        } else if (row.find('\0') != std::string::npos) {
            // The text after it would be invisible to the pattern match.
            text = "Filter condition contains a NUL character.\n";
            compiled = false;
        } else {
            const uint32_t lastLink = j + 1 == rows.size() ? kFilterLinkEndLast : kFilterLinkEndRow;
            compiled = RowCompiler(templates, lastLink, conditions, text).Compile(row);
        }
    }
    if (message != nullptr)
        *message = compiled ? std::string() : text;
    if (!compiled)
        return false;
    // Nothing of a refused window reaches the filter.
    for (const REC_FILTER& condition : conditions)
        filter.AddCondition(condition);
    return true;
}
