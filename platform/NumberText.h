#pragma once

#include <optional>
#include <string_view>

namespace platform {

// Numbers typed by a user, read the same whatever the locale. Blanks around the number are
// allowed; anything else around it, a value that overflows or one outside [min, max] gives
// nothing.

// Decimal digits with an optional sign.
std::optional<long long> ParseWholeNumber(std::string_view text, long long min, long long max);

// Digits with an optional sign, '.' fraction and exponent ("1.0005", "2e3"); never "nan",
// "inf" or hexadecimal, never ',' as the decimal point.
std::optional<double> ParseDecimal(std::string_view text, double min, double max);

} // namespace platform
