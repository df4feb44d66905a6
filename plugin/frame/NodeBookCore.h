#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <utility>
#include <vector>

#include "plugin/frame/AddrBookRec.h"
#include "plugin/frame/NoticeQueue.h"

// The list operations every plug-in's node book shares, behind the address-book exports.
// Book (the derived class) keeps its own matching and registration and clears its seen
// values in ClearSeen(); Rules gives the node and notice types and their text layout.
// The book mutex guards the nodes, the counters and the derived book's state; the queue has
// its own mutex. Whoever holds both took the book mutex first.
template <typename Book, typename Rules>
class NodeBookCore {
public:
    using Node = typename Rules::Node;
    using Pending = typename Rules::Pending;

    NodeBookCore(const NodeBookCore&) = delete;
    NodeBookCore& operator=(const NodeBookCore&) = delete;

    // The work of the exports of the same names; a null record, or one without a text
    // buffer, is refused with 0 and changes nothing.
    int GetPendingRec(ADDR_BOOK_REC* rec)
    {
        // Without a record the notice would be lost: leave it queued.
        if (!HasBuffer(rec))
            return 0;
        Pending notice;
        if (!queue_.Pop(notice))
            return 0;
        rec->type = static_cast<uint32_t>(notice.type);
        rec->index = static_cast<uint16_t>(notice.index);
        rec->value = static_cast<uint32_t>(notice.id);
        Rules::FormatNotice(rec->text, notice);
        return 1;
    }

    int GetNodeAdrB(int index, ADDR_BOOK_REC* rec)
    {
        if (!HasBuffer(rec) || index < 0)
            return 0;
        std::lock_guard lock(bookMutex_);
        if (static_cast<size_t>(index) >= nodes_.size())
            return 0;
        rec->type = 0;
        rec->index = static_cast<uint16_t>(index);
        Rules::FormatNode(rec->text, nodes_[static_cast<size_t>(index)]);
        return 1;
    }

    int RemoveAllNodesAddrBook()
    {
        std::lock_guard lock(bookMutex_);
        nodes_.clear();
        static_cast<Book&>(*this).ClearSeen();
        addedNodes_ = 0;
        nextId_ = 0;
        return 1;
    }

    int RemoveNodeAdrB(int index)
    {
        if (index < 0)
            return 1;
        std::lock_guard lock(bookMutex_);
        if (nodes_.empty())
            return 1;
        size_t at = static_cast<size_t>(index) < nodes_.size() ? static_cast<size_t>(index) : nodes_.size() - 1;
        nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(at));
        return 1;
    }

    int MoveNodeDownAdrB(int index)
    {
        std::lock_guard lock(bookMutex_);
        int count = static_cast<int>(nodes_.size());
        if (index < 0 || index > count - 2)
            return 0;
        std::swap(nodes_[static_cast<size_t>(index)], nodes_[static_cast<size_t>(index) + 1]);
        return 1;
    }

    int MoveNodeUpAdrB(int index)
    {
        std::lock_guard lock(bookMutex_);
        int count = static_cast<int>(nodes_.size());
        if (index < 1 || index > count - 1)
            return 0;
        std::swap(nodes_[static_cast<size_t>(index) - 1], nodes_[static_cast<size_t>(index)]);
        return 1;
    }

    int NodeCount() const
    {
        std::lock_guard lock(bookMutex_);
        return static_cast<int>(nodes_.size());
    }

    int PendingCount() const { return queue_.Count(); }

protected:
    // maxNodes: each book's limit, set by the width of the index its notices carry.
    explicit NodeBookCore(int maxNodes)
        : maxNodes_(maxNodes)
    {
    }
    ~NodeBookCore() = default;

    static bool HasBuffer(const ADDR_BOOK_REC* rec) { return rec != nullptr && rec->text != nullptr; }

    // Hands a frame's outcome to the registration's out pointers that are not null.
    static void StoreFrameOutcome(int32_t changed, int32_t source, int32_t destination, int32_t* nodeIdsChanged,
                                  int32_t* sourceId, int32_t* destinationId)
    {
        if (nodeIdsChanged != nullptr)
            *nodeIdsChanged = changed;
        if (sourceId != nullptr)
            *sourceId = source;
        if (destinationId != nullptr)
            *destinationId = destination;
    }

    mutable std::mutex bookMutex_;
    std::vector<Node> nodes_; // display order
    int32_t addedNodes_ = 0;
    int32_t nextId_ = 0;
    const int maxNodes_;
    NoticeQueue<Rules> queue_;
};
