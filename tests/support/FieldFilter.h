#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/host/PacketFilter.h"

namespace testsupport {

// A display filter of one condition: field fieldId matches pattern (one value, ';' added).
inline std::unique_ptr<PacketFilter> FieldFilter(uint16_t parsedLength, uint32_t fieldId, const char* pattern)
{
    auto filter = std::make_unique<PacketFilter>(parsedLength);
    REC_FILTER condition{};
    condition.link = kFilterLinkEndLast;
    condition.fieldId = fieldId;
    std::snprintf(condition.values, sizeof condition.values, "%s;", pattern);
    filter->AddCondition(condition);
    return filter;
}

} // namespace testsupport
