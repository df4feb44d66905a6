#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/host/FilterTemplates.h"
#include "core/host/PacketFilter.h"

// Compiles the rows of the display-filter window into filter conditions.
class FilterCompiler {
public:
    static constexpr size_t kMaxRowLength = 2000;   // a row of this many characters or more is refused
    // The values text of one condition, without the zero that ends it in REC_FILTER::values.
    static constexpr size_t kMaxValuesLength = sizeof(REC_FILTER::values) - 1;

    // Appends the conditions of rows (ORed rows of ANDed conditions) to filter. false: nothing is
    // to be applied, *message holds the exact text to show (the caller shows it with the exclamation icon).
    static bool Compile(const std::vector<std::string>& rows, const FilterTemplates& templates,
                        PacketFilter& filter, std::string* message);
};
