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

void ClearSide(TolvaneBookRules::NewSide& side, const tolvane::NODE_INFO& node)
{
    if (side.panId == node.panId)
        side.panId.reset();
    if (side.shortAddress == node.shortAddress)
        side.shortAddress.reset();
    if (side.extendedAddress == node.extendedAddress)
        side.extendedAddress.reset();
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

void TolvaneBookRules::ClearCarried(Seen& seen, const Pending& notice)
{
    ClearSide(seen.destination, notice.node);
    ClearSide(seen.source, notice.node);
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
