#pragma once

#include <cstdint>

// Receives the node ids of packets that added a node to the address book (the time line).
class NodeSink {
public:
    virtual ~NodeSink() = default;
    virtual void AddNode(int32_t nodeId) = 0;
};
