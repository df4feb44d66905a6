#include <clocale>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "platform/NumberText.h"

using platform::ParseDecimal;
using platform::ParseWholeNumber;

TEST(NumberText, WholeNumbersAreReadWholeAndInRange)
{
    struct Case {
        const char* text;
        std::optional<long long> value;
    };
    static const Case kCases[] = {
        {"20", 20},          {"  7 ", 7},          {"+5", 5},           {"-3", std::nullopt},
        {"255", 255},        {"256", std::nullopt}, {"0", std::nullopt}, {"", std::nullopt},
        {" ", std::nullopt}, {"12abc", std::nullopt}, {"1.5", std::nullopt}, {"0x10", std::nullopt},
        {"+-1", std::nullopt}, {"+", std::nullopt},
        // "%d" reads this one as 1.
        {"4294967297", std::nullopt}, {"99999999999999999999999", std::nullopt},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(ParseWholeNumber(c.text, 1, 255), c.value) << '"' << c.text << '"';
    EXPECT_EQ(ParseWholeNumber("-3", -5, 5), -3);
}

TEST(NumberText, DecimalsAreReadInTheCLocaleWithoutNanOrInfinity)
{
    // A comma locale must not turn "1.0005" into 1.
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    struct Case {
        const char* text;
        std::optional<double> value;
    };
    static const Case kCases[] = {
        {"1.0005", 1.0005}, {" 0.5 ", 0.5},     {"2e1", 20.0},        {"+3", 3.0},
        {"1,5", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt}, {"-inf", std::nullopt},
        {"0x1p3", std::nullopt}, {"", std::nullopt}, {"1e999", std::nullopt}, {"-1", std::nullopt},
        {"1.2.3", std::nullopt}, {"1e", std::nullopt},
    };
    for (const Case& c : kCases)
        EXPECT_EQ(ParseDecimal(c.text, 0.0, 1000.0), c.value) << '"' << c.text << '"';
    std::setlocale(LC_NUMERIC, "C");
}
