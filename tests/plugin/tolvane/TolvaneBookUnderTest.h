#pragma once

#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/plugin/tolvane/MacFrameBuilder.h"
#include "tests/support/PluginUnderTest.h"

namespace testsupport {

// A node or a notice as the main program reads it back from NODE_TEXT (65 bytes: name 30,
// PAN id 8, short address 8, extended address 19).
struct BookEntry {
    uint32_t type = 0;
    uint16_t index = 0;
    uint32_t value = 0; // node id (notices only)
    std::string name;
    std::string pan;
    std::string shortAddress;
    std::string extended;
    bool operator==(const BookEntry&) const = default;
};

inline void PrintTo(const BookEntry& e, std::ostream* os)
{
    *os << "{type " << e.type << ", index " << e.index << ", id " << e.value << ", \"" << e.name << "\", " << e.pan
        << ", " << e.shortAddress << ", " << e.extended << "}";
}

constexpr int kNodeTextSize = 65;

// Tolvane.so with its address-book exports.
class TolvaneBook {
public:
    explicit TolvaneBook(PluginUnderTest& plugin) : plugin_(plugin)
    {
        getPendingRec = Resolve<GetPendingRecFn>("GetPendingRec");
        setAutoRegister = Resolve<SetAddrBookAutoRegisterFn>("SetAddrBookAutoRegister");
        getNodeAdrB = Resolve<GetNodeAdrBFn>("GetNodeAdrB");
        setNodeAdrB = Resolve<SetNodeAdrBFn>("SetNodeAdrB");
        removeAll = Resolve<RemoveAllNodesAddrBookFn>("RemoveAllNodesAddrBook");
        removeNode = Resolve<RemoveNodeAdrBFn>("RemoveNodeAdrB");
        moveDown = Resolve<MoveNodeDownAdrBFn>("MoveNodeDownAdrB");
        moveUp = Resolve<MoveNodeUpAdrBFn>("MoveNodeUpAdrB");
    }

    // An empty book and queue, auto-registration as asked.
    void Reset(bool autoRegister)
    {
        removeAll();
        Notices();
        setAutoRegister(autoRegister ? 1 : 0);
    }

    // Drains the queue.
    std::vector<BookEntry> Notices()
    {
        std::vector<BookEntry> notices;
        ADDR_BOOK_REC rec = Record();
        while (getPendingRec(&rec) == 1)
            notices.push_back(Read(rec));
        return notices;
    }

    std::vector<BookEntry> Nodes()
    {
        std::vector<BookEntry> nodes;
        ADDR_BOOK_REC rec = Record();
        for (int i = 0; getNodeAdrB(i, &rec) == 1; ++i)
            nodes.push_back(Read(rec));
        return nodes;
    }

    // SetNodeAdrB of a node text; the slices hold exactly what is given (no NUL when full).
    int SetNode(const std::string& name, const std::string& pan, const std::string& shortAddress,
                const std::string& extended)
    {
        ADDR_BOOK_REC rec = Record();
        char* text = textBuffer_.get();
        std::memset(text, 0, kNodeTextSize);
        std::memcpy(text, name.data(), std::min<size_t>(name.size(), 30));
        std::memcpy(text + 30, pan.data(), std::min<size_t>(pan.size(), 8));
        std::memcpy(text + 38, shortAddress.data(), std::min<size_t>(shortAddress.size(), 8));
        std::memcpy(text + 46, extended.data(), std::min<size_t>(extended.size(), 19));
        return setNodeAdrB(&rec);
    }

    ADDR_BOOK_REC Record()
    {
        ADDR_BOOK_REC rec{};
        rec.text = textBuffer_.get();
        return rec;
    }

    static BookEntry Read(const ADDR_BOOK_REC& rec)
    {
        auto slice = [&](int offset, int width) {
            return std::string(rec.text + offset, strnlen(rec.text + offset, static_cast<size_t>(width)));
        };
        return {rec.type, rec.index, rec.value, slice(0, 30), slice(30, 8), slice(38, 8), slice(46, 19)};
    }

    GetPendingRecFn getPendingRec = nullptr;
    SetAddrBookAutoRegisterFn setAutoRegister = nullptr;
    GetNodeAdrBFn getNodeAdrB = nullptr;
    SetNodeAdrBFn setNodeAdrB = nullptr;
    RemoveAllNodesAddrBookFn removeAll = nullptr;
    RemoveNodeAdrBFn removeNode = nullptr;
    MoveNodeDownAdrBFn moveDown = nullptr;
    MoveNodeUpAdrBFn moveUp = nullptr;

private:
    template <typename Fn>
    Fn Resolve(const char* name)
    {
        Fn fn = plugin_.Library().Function<Fn>(name);
        if (fn == nullptr)
            throw std::runtime_error(std::string("missing export ") + name);
        return fn;
    }

    PluginUnderTest& plugin_;
    // Exactly one node text, so that a write past it is caught.
    std::unique_ptr<char[]> textBuffer_ = std::make_unique<char[]>(kNodeTextSize);
};

} // namespace testsupport
