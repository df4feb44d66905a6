#pragma once

#include <cstdint>

#include "plugin/frame/AddrBookPendingRec.h"
#include "plugin/tolvane/TolvaneNodeInfo.h"

namespace tolvane {

// One notice of this plug-in's queue (kinds as AddrBookNoticeKind), copied by value.
struct ADDR_BOOK_PENDING_REC {
    int32_t type;
    int16_t index; // the node's position in the book; 0 for kNoticeAddressSeen
    int32_t id;    // the node id; 0 for kNoticeAddressSeen
    NODE_INFO node; // name empty for kinds 3 and 4, addresses 0 for kind 3; its id 0
};

} // namespace tolvane
