#include "plugin/frame/AddressBookRules.h"

#include "plugin/frame/NodeText.h"

ADDR_BOOK_PENDING_REC AddressBookRules::MakeNotice(int32_t kind, uint16_t index, int32_t id, const char* name,
                                                   uint32_t address)
{
    ADDR_BOOK_PENDING_REC notice{};
    notice.type = kind;
    notice.index = index;
    notice.id = id;
    if (kind != kNoticeNodeRemoved && kind != kNoticeAddressSeen)
        CopyNodeName(notice.name, sizeof notice.name, name);
    notice.address = address;
    return notice;
}

void AddressBookRules::ClearCarried(Seen& seen, const Carried& carried)
{
    for (std::optional<uint32_t>* address : {&seen.first, &seen.second})
        if (*address && carried.addresses.Contains(**address))
            address->reset();
}

bool AddressBookRules::AppendAddressNotices(Seen seen, std::deque<Pending>& notices)
{
    // A frame from a node to itself shows one new address, not two.
    if (seen.second == seen.first)
        seen.second.reset();
    bool queued = false;
    for (const std::optional<uint32_t>& address : {seen.first, seen.second}) {
        if (address) {
            notices.push_back(MakeNotice(kNoticeAddressSeen, 0, 0, nullptr, *address));
            queued = true;
        }
    }
    return queued;
}

void AddressBookRules::FormatNode(char* text, const Node& node)
{
    FormatNodeText(text, node.name, node.address);
}

void AddressBookRules::FormatNotice(char* text, const Pending& notice)
{
    FormatNodeText(text, notice.name, notice.address);
}
