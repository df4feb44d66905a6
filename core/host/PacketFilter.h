#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "plugin/frame/ParsedData.h"

// One condition of a display filter.
struct REC_FILTER {
    uint32_t link;     // 0: AND with the next; 1: ends a row (rows are ORed); 2: ends the last row
    uint32_t fieldId;
    char values[500];  // one value per parameter, each followed by ';' ("*": left empty)
};

constexpr uint32_t kFilterLinkAnd = 0;
constexpr uint32_t kFilterLinkEndRow = 1;
constexpr uint32_t kFilterLinkEndLast = 2;

// Decides whether a parsed packet passes the display filter.
class PacketFilter {
public:
    explicit PacketFilter(uint16_t parsedLength);
    virtual ~PacketFilter();

    void AddCondition(const REC_FILTER& condition);
    const std::vector<REC_FILTER>& Conditions() const { return conditions_; }
    uint16_t ParsedLength() const { return parsedLength_; }

    // 1 when every condition of some row matches (an empty list passes every packet).
    int Evaluate(const PARSED_DATA& packet) const;
    // What the filtered index takes: a packet that decoded (status 0) and passes.
    bool Indexes(const PARSED_DATA& packet) const { return packet.status == 0 && Evaluate(packet) != 0; }
    // 1 when the packet's field fieldId matches the pattern (which ends at its end or first NUL).
    int MatchField(uint32_t fieldId, std::string_view pattern, const PARSED_DATA& packet) const;

private:
    std::vector<REC_FILTER> conditions_;
    uint16_t parsedLength_;
};
