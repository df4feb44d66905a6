#include "platform/NumberText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace platform {

namespace {

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// from_chars takes no '+': a leading one is dropped, and a sign after it refused.
std::string_view WithoutPlus(std::string_view text, bool& refused)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        refused = text.empty() || text.front() == '-' || text.front() == '+';
    }
    return text;
}

} // namespace

std::optional<long long> ParseWholeNumber(std::string_view text, long long min, long long max)
{
    bool refused = false;
    text = WithoutPlus(Trimmed(text), refused);
    if (refused || text.empty())
        return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(std::string_view text, double min, double max)
{
    bool refused = false;
    text = WithoutPlus(Trimmed(text), refused);
    if (refused || text.empty())
        return std::nullopt;
    // Only what a decimal number is written with: no "nan", "inf" or "0x".
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+'))
            return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < min ||
        value > max)
        return std::nullopt;
    return value;
}

} // namespace platform
