#include "plugin/frame/NodeAddressBook.h"

#include <span>
#include <utility>

#include "plugin/frame/NodeText.h"
#include "plugin/frame/PluginSettings.h"
#include "plugin/frame/TextWriter.h"

namespace {

// The first byte on air of an address; 0x00 and 0xFF are broadcast or filler, never nodes.
bool Counts(uint32_t address)
{
    uint8_t first = static_cast<uint8_t>(address & 0xFF);
    return first != 0x00 && first != 0xFF;
}

} // namespace

NodeAddressBook::NodeAddressBook(int maxNodes)
    : NodeBookCore(maxNodes)
{
}

int NodeAddressBook::SetNodeAdrB(const ADDR_BOOK_REC* rec)
{
    if (!HasBuffer(rec))
        return 0;
    char name[kNodeNameChars + 1];
    uint32_t address = 0;
    ReadNodeText(rec->text, name, &address);
    std::lock_guard lock(bookMutex_);
    int32_t id = -1;
    std::optional<ADDR_BOOK_PENDING_REC> notice;
    AddOrUpdateNode(name, address, true, &id, &notice);
    if (!notice)
        return 0;
    queue_.Push(*notice);
    return 1;
}

void NodeAddressBook::ClearSeen()
{
    seenFirst_.Clear();
    seenSecond_.Clear();
}

bool NodeAddressBook::AddOrUpdateNode(const char* name, uint32_t address, bool renameAllowed, int32_t* id,
                                      std::optional<ADDR_BOOK_PENDING_REC>* notice)
{
    for (size_t i = 0; i < nodes_.size(); ++i) {
        NODE_INFO& node = nodes_[i];
        if (node.address != address)
            continue;
        *id = node.id;
        if (!renameAllowed)
            return false;
        CopyNodeName(node.name, sizeof node.name, name);
        names_.Store(address, node.name, true);
        *notice =
            AddressBookRules::MakeNotice(kNoticeNodeRenamed, static_cast<uint16_t>(i), node.id, node.name, address);
        return false;
    }
    if (static_cast<int>(nodes_.size()) >= maxNodes_)
        return false;
    NODE_INFO node{};
    CopyNodeName(node.name, sizeof node.name, name);
    node.address = address;
    node.id = nextId_;
    nodes_.push_back(node);
    names_.Store(address, node.name, false);
    ++nextId_;
    *notice = AddressBookRules::MakeNotice(kNoticeNodeAdded, static_cast<uint16_t>(nodes_.size() - 1), node.id,
                                           node.name, address);
    ++addedNodes_;
    *id = node.id;
    return true;
}

void NodeAddressBook::MakeNodeName(uint32_t address, char* name, int size) const
{
    if (const char* remembered = names_.Find(address))
        CopyNodeName(name, size, remembered);
    else
        TextWriter(name, static_cast<size_t>(size)).Put("Auto-registered ").Decimal(addedNodes_);
}

int NodeAddressBook::RegisterAddresses(uint32_t firstAddress, uint32_t secondAddress, int crcOk, bool autoRegister,
                                       int32_t* nodeIdsChanged, int32_t* sourceId, int32_t* destinationId)
{
    int32_t changed = 0;
    int32_t source = -1;
    int32_t destination = -1;
    AddressBookRules::Seen seen;
    ADDR_BOOK_PENDING_REC nodeNotices[2];
    size_t noticeCount = 0;
    int waiting;
    {
        std::lock_guard lock(bookMutex_);
        if (crcOk == 1) {
            bool firstCounts = Counts(firstAddress);
            bool secondCounts = Counts(secondAddress);
            if (firstCounts && seenFirst_.Insert(firstAddress))
                seen.first = firstAddress;
            if (secondCounts && seenSecond_.Insert(secondAddress))
                seen.second = secondAddress;
            if (autoRegister) {
                const std::pair<bool, std::pair<uint32_t, int32_t*>> roles[] = {
                    {firstCounts, {firstAddress, &destination}},
                    {secondCounts, {secondAddress, &source}},
                };
                for (const auto& [counts, role] : roles) {
                    if (!counts)
                        continue;
                    char name[kNodeNameChars + 1];
                    MakeNodeName(role.first, name, sizeof name);
                    std::optional<ADDR_BOOK_PENDING_REC> notice;
                    if (AddOrUpdateNode(name, role.first, false, role.second, &notice))
                        changed = 1;
                    if (notice)
                        nodeNotices[noticeCount++] = *notice;
                }
            }
        }
        // Still under the book mutex, so that the notices keep the order of the book's changes.
        waiting = queue_.QueueFrameNotices(std::span(nodeNotices, noticeCount), seen);
    }
    StoreFrameOutcome(changed, source, destination, nodeIdsChanged, sourceId, destinationId);
    return waiting;
}

NodeAddressBook& TheNodeAddressBook()
{
    static NodeAddressBook book;
    return book;
}

int RegisterPacketAddresses(uint32_t firstAddress, uint32_t secondAddress, int crcOk, int32_t* nodeIdsChanged,
                            int32_t* sourceId, int32_t* destinationId)
{
    bool autoRegister = ThePluginSettings().autoRegister.load(std::memory_order_relaxed) != 0;
    return TheNodeAddressBook().RegisterAddresses(firstAddress, secondAddress, crcOk, autoRegister, nodeIdsChanged,
                                                  sourceId, destinationId);
}
