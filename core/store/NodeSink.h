#pragma once

#include <cstdint>

// Receives the node ids of packets that added a node to the address book (the time line).
class NodeSink {
public:
    virtual ~NodeSink() = default;
    // Once per packet, on the thread that adds it; 0xFFFFFFFF is "no node".
    virtual void AddNodes(uint32_t source, uint32_t destination) = 0;
};
