#include "plugin/tolvane/TolvaneAddressBook.h"

#include <cstring>

#include "plugin/frame/TextWriter.h"
#include "plugin/tolvane/MacFrameKinds.h"
#include "plugin/tolvane/TolvaneNodeText.h"

using tolvane::NODE_INFO;

namespace {

constexpr uint16_t kUnknown16 = MacAddressing::kUnknown16;
constexpr uint64_t kUnknown64 = MacAddressing::kUnknown64;

} // namespace

TolvaneAddressBook::TolvaneAddressBook(int maxNodes)
    : NodeBookCore(maxNodes)
{
}

int TolvaneAddressBook::SetNodeAdrB(const ADDR_BOOK_REC* rec)
{
    if (!HasBuffer(rec))
        return 0;
    const NODE_INFO given = tolvane::ReadNodeText(rec->text);
    std::lock_guard lock(bookMutex_);
    int32_t id = -1;
    Notices notices;
    AddOrUpdateNode(given.name, given.panId, given.shortAddress, given.extendedAddress, true, &id, notices);
    for (const tolvane::ADDR_BOOK_PENDING_REC& notice : notices)
        queue_.Push(notice);
    return 1;
}

void TolvaneAddressBook::ClearSeen()
{
    seenPanIds_.Clear();
    seenShortAddresses_.Clear();
    seenExtendedAddresses_.clear();
}

int TolvaneAddressBook::AddOrUpdateNode(const char* name, uint16_t panId, uint16_t shortAddress,
                                        uint64_t extendedAddress, bool force, int32_t* id, Notices& notices)
{
    for (size_t i = 0; i < nodes_.size(); ++i) {
        NODE_INFO& node = nodes_[i];
        const bool byShort = shortAddress != kUnknown16 && panId == node.panId && shortAddress == node.shortAddress;
        const bool byExtended = !byShort && extendedAddress != kUnknown64 && extendedAddress == node.extendedAddress;
        if (!byShort && !byExtended)
            continue;
        *id = node.id;
        if (byExtended) {
            if (force) {
                if (panId != kUnknown16)
                    node.panId = panId;
                if (shortAddress != kUnknown16)
                    node.shortAddress = shortAddress;
                tolvane::CopyNodeName(node.name, name);
                RememberName(extendedAddress, node.name, true);
            } else {
                if (panId == kUnknown16 || (panId == node.panId && shortAddress == node.shortAddress))
                    return 0;
                bool filled = false;
                if (node.panId == kUnknown16) {
                    node.panId = panId;
                    filled = true;
                }
                if (node.shortAddress == kUnknown16 && shortAddress != kUnknown16) {
                    node.shortAddress = shortAddress;
                    filled = true;
                }
                if (!filled)
                    return 0;
            }
        } else if (force) {
            tolvane::CopyNodeName(node.name, name);
            if (extendedAddress != kUnknown64) {
                node.extendedAddress = extendedAddress;
                RememberName(extendedAddress, node.name, true);
            }
        } else {
            if (extendedAddress == kUnknown64 || extendedAddress == node.extendedAddress ||
                node.extendedAddress != kUnknown64)
                return 0;
            node.extendedAddress = extendedAddress;
            // The node keeps its own name, and that is the name its address now stands for.
            RememberName(extendedAddress, node.name, false);
        }
        NodeChanged(i, notices);
        return 1;
    }

    if (static_cast<int>(nodes_.size()) >= maxNodes_)
        return 0;
    NODE_INFO node{};
    tolvane::CopyNodeName(node.name, name);
    node.panId = panId;
    node.shortAddress = shortAddress;
    node.extendedAddress = extendedAddress;
    node.id = nextId_++;
    nodes_.push_back(node);
    notices.push_back(TolvaneBookRules::MakeNotice(kNoticeNodeAdded, static_cast<int>(nodes_.size() - 1), node));
    ++addedNodes_;
    *id = node.id;
    return 1;
}

void TolvaneAddressBook::NodeChanged(size_t i, Notices& notices)
{
    notices.push_back(TolvaneBookRules::MakeNotice(kNoticeNodeRenamed, static_cast<int>(i), nodes_[i]));
    const NODE_INFO& node = nodes_[i];
    for (size_t j = i + 1; j < nodes_.size();) {
        const NODE_INFO& other = nodes_[j];
        const bool sameShort =
            node.shortAddress != kUnknown16 && other.panId == node.panId && other.shortAddress == node.shortAddress;
        const bool sameExtended = node.extendedAddress != kUnknown64 && other.extendedAddress == node.extendedAddress;
        if (sameShort || sameExtended)
            RemoveDuplicateNode(j, notices); // the next node moved into place j
        else
            ++j;
    }
}

void TolvaneAddressBook::RemoveDuplicateNode(size_t i, Notices& notices)
{
    notices.push_back(TolvaneBookRules::MakeNotice(kNoticeNodeRemoved, static_cast<int>(i), nodes_[i]));
    nodes_.erase(nodes_.begin() + static_cast<std::ptrdiff_t>(i));
}

void TolvaneAddressBook::RememberName(uint64_t extendedAddress, const char* name, bool overwrite)
{
    auto [entry, inserted] = names_.try_emplace(extendedAddress);
    if (inserted || overwrite) {
        entry->second.fill('\0');
        std::memcpy(entry->second.data(), name, strnlen(name, tolvane::kNodeNameChars));
    }
}

void TolvaneAddressBook::AutoName(char (&name)[sizeof(NODE_INFO::name)]) const
{
    TextWriter(name, sizeof name).Put("Auto-registered ").Decimal(addedNodes_);
}

void TolvaneAddressBook::MakeNodeName(uint64_t extendedAddress, char (&name)[sizeof(NODE_INFO::name)]) const
{
    auto entry = extendedAddress != kUnknown64 ? names_.find(extendedAddress) : names_.end();
    if (entry != names_.end())
        tolvane::CopyNodeName(name, entry->second.data());
    else
        AutoName(name);
}

int TolvaneAddressBook::RegisterPacketAddresses(const MacAddressing& frame, bool autoRegister, int32_t* nodeIdsChanged,
                                                int32_t* sourceId, int32_t* destinationId)
{
    int32_t changed = 0;
    int32_t source = -1;
    int32_t destination = -1;
    TolvaneBookRules::Seen seen;
    Notices notices;
    int waiting;
    {
        std::lock_guard lock(bookMutex_);
        if (frame.crcOk == 1) {
            const std::pair<const MacAddressing::Side*, TolvaneBookRules::NewSide*> sides[] = {
                {&frame.destination, &seen.destination}, {&frame.source, &seen.source}};
            for (const auto& [side, news] : sides) {
                if (side->mode != 0 && seenPanIds_.Insert(side->panId))
                    news->panId = side->panId;
                if (side->mode == kShortAddress && seenShortAddresses_.Insert(side->shortAddress))
                    news->shortAddress = side->shortAddress;
                if (side->mode == kExtendedAddress && seenExtendedAddresses_.insert(side->extendedAddress).second)
                    news->extendedAddress = side->extendedAddress;
            }
            if (autoRegister) {
                char name[sizeof(NODE_INFO::name)];
                // A node needs a key: a frame side known by neither a short nor an extended
                // address would add a new, unmatchable node every time.
                auto registerExtended = [&](uint64_t extended, uint16_t panId, uint16_t shortAddress, int32_t* id) {
                    if (extended == kUnknown64)
                        return;
                    MakeNodeName(extended, name);
                    if (AddOrUpdateNode(name, panId, shortAddress, extended, false, id, notices) == 1)
                        changed = 1;
                };
                if (frame.frameType == kCommand && frame.commandId == kAssociationResponse) {
                    // The coordinator answers from its own extended address and gives the
                    // device its short address in the coordinator's PAN.
                    if (frame.source.panId != kUnknown16) {
                        if (frame.source.mode == kExtendedAddress)
                            registerExtended(frame.source.extendedAddress, frame.source.panId, kUnknown16, &source);
                        if (frame.destination.mode == kExtendedAddress)
                            registerExtended(frame.destination.extendedAddress, frame.source.panId,
                                             frame.assignedShort, &destination);
                    }
                } else {
                    const std::pair<const MacAddressing::Side*, int32_t*> roles[] = {
                        {&frame.destination, &destination}, {&frame.source, &source}};
                    for (const auto& [side, id] : roles) {
                        if (side->mode == kShortAddress && side->panId != kUnknown16 &&
                            side->shortAddress != kUnknown16) {
                            AutoName(name);
                            if (AddOrUpdateNode(name, side->panId, side->shortAddress, kUnknown64, false, id, notices))
                                changed = 1;
                        } else if (side->mode == kExtendedAddress) {
                            registerExtended(side->extendedAddress, side->panId, kUnknown16, id);
                        }
                    }
                }
            }
        }
        // Still under the book mutex, so that the notices keep the order of the book's changes.
        waiting = queue_.QueueFrameNotices(notices, seen);
    }
    StoreFrameOutcome(changed, source, destination, nodeIdsChanged, sourceId, destinationId);
    return waiting;
}

TolvaneAddressBook& TheTolvaneAddressBook()
{
    static TolvaneAddressBook book;
    return book;
}
