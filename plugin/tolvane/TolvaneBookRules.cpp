#include "plugin/tolvane/TolvaneBookRules.h"

#include "plugin/tolvane/TolvaneNodeText.h"

namespace {

// A value that is the unknown marker (broadcast) is no new address to announce.
template <typename T>
std::optional<T> Announced(std::optional<T> value, T unknown)
{
    return value && *value != unknown ? value : std::nullopt;
}

TolvaneBookRules::NewSide Announced(const TolvaneBookRules::NewSide& side)
{
    return {Announced(side.panId, MacAddressing::kUnknown16), Announced(side.shortAddress, MacAddressing::kUnknown16),
            Announced(side.extendedAddress, MacAddressing::kUnknown64)};
}

template <typename T>
void ClearValue(std::optional<T>& value, const CountedKeys& carried)
{
    if (value && carried.Contains(*value))
        value.reset();
}

void ClearSide(TolvaneBookRules::NewSide& side, const TolvaneBookRules::Carried& carried)
{
    ClearValue(side.panId, carried.panIds);
    ClearValue(side.shortAddress, carried.shortAddresses);
    ClearValue(side.extendedAddress, carried.extendedAddresses);
}

} // namespace

tolvane::ADDR_BOOK_PENDING_REC TolvaneBookRules::MakeNotice(int32_t kind, int index, const tolvane::NODE_INFO& node)
{
    tolvane::ADDR_BOOK_PENDING_REC notice{};
    notice.type = kind;
    notice.index = static_cast<int16_t>(index);
    notice.id = kind == kNoticeAddressSeen ? 0 : node.id;
    if (kind != kNoticeNodeRemoved) {
        notice.node.panId = node.panId;
        notice.node.shortAddress = node.shortAddress;
        notice.node.extendedAddress = node.extendedAddress;
    }
    if (kind != kNoticeNodeRemoved && kind != kNoticeAddressSeen)
        tolvane::CopyNodeName(notice.node.name, node.name);
    return notice;
}

void TolvaneBookRules::Carry(Carried& carried, const Pending& notice)
{
    carried.panIds.Add(notice.node.panId);
    carried.shortAddresses.Add(notice.node.shortAddress);
    carried.extendedAddresses.Add(notice.node.extendedAddress);
}

void TolvaneBookRules::Drop(Carried& carried, const Pending& notice)
{
    carried.panIds.Remove(notice.node.panId);
    carried.shortAddresses.Remove(notice.node.shortAddress);
    carried.extendedAddresses.Remove(notice.node.extendedAddress);
}

void TolvaneBookRules::ClearCarried(Seen& seen, const Carried& carried)
{
    ClearSide(seen.destination, carried);
    ClearSide(seen.source, carried);
}

bool TolvaneBookRules::AppendAddressNotices(const Seen& seen, std::deque<Pending>& notices)
{
    bool queued = false;
    for (const NewSide& side : {Announced(seen.destination), Announced(seen.source)}) {
        if (!side.Any())
            continue;
        tolvane::NODE_INFO node{};
        node.panId = side.panId.value_or(MacAddressing::kUnknown16);
        node.shortAddress = side.shortAddress.value_or(MacAddressing::kUnknown16);
        node.extendedAddress = side.extendedAddress.value_or(MacAddressing::kUnknown64);
        notices.push_back(MakeNotice(kNoticeAddressSeen, 0, node));
        queued = true;
    }
    return queued;
}

void TolvaneBookRules::FormatNode(char* text, const Node& node)
{
    tolvane::FormatNodeText(text, node);
}

void TolvaneBookRules::FormatNotice(char* text, const Pending& notice)
{
    tolvane::FormatNodeText(text, notice.node);
}
