#pragma once

#include <cstdint>

// Where the address-book panel mirrors its node rows: the time line's node rows, keyed by
// node value. The panel owns an adapter to the real view; tests put their own in its place.
class NodeRowSink {
public:
    virtual ~NodeRowSink() = default;
    // Rows for the two node values (0xFFFFFFFF: none); a value that has a row keeps it.
    virtual void AddNodes(uint32_t source, uint32_t destination) = 0;
    virtual void SetNodeName(uint32_t value, const char* name) = 0;
    virtual void RemoveNode(uint32_t value) = 0;
    virtual void RemoveAllNodes() = 0;
    // The order of the rows changed: draw them again.
    virtual void Refresh() = 0;
};
