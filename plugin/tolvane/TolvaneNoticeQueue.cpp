#include "plugin/tolvane/TolvaneNoticeQueue.h"

#include "plugin/tolvane/TolvaneNodeText.h"

namespace {

// A value that is the unknown marker (broadcast) is no new address to announce.
template <typename T>
std::optional<T> Announced(std::optional<T> value, T unknown)
{
    return value && *value != unknown ? value : std::nullopt;
}

TolvaneNoticeQueue::NewSide Announced(const TolvaneNoticeQueue::NewSide& side)
{
    return {Announced(side.panId, MacAddressing::kUnknown16), Announced(side.shortAddress, MacAddressing::kUnknown16),
            Announced(side.extendedAddress, MacAddressing::kUnknown64)};
}

void ClearCarried(TolvaneNoticeQueue::NewSide& side, const tolvane::NODE_INFO& node)
{
    if (side.panId == node.panId)
        side.panId.reset();
    if (side.shortAddress == node.shortAddress)
        side.shortAddress.reset();
    if (side.extendedAddress == node.extendedAddress)
        side.extendedAddress.reset();
}

} // namespace

tolvane::ADDR_BOOK_PENDING_REC TolvaneNoticeQueue::MakeNotice(int32_t kind, int index, const tolvane::NODE_INFO& node)
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

void TolvaneNoticeQueue::Push(const tolvane::ADDR_BOOK_PENDING_REC& notice)
{
    std::lock_guard lock(mutex_);
    notices_.push_back(notice);
}

bool TolvaneNoticeQueue::Pop(tolvane::ADDR_BOOK_PENDING_REC& out)
{
    std::lock_guard lock(mutex_);
    if (notices_.empty())
        return false;
    out = notices_.front();
    notices_.pop_front();
    return true;
}

int TolvaneNoticeQueue::QueueFrameNotices(std::span<const tolvane::ADDR_BOOK_PENDING_REC> nodeNotices, NewValues seen)
{
    std::lock_guard lock(mutex_);
    notices_.insert(notices_.end(), nodeNotices.begin(), nodeNotices.end());
    return CheckPendingRecs(seen);
}

int TolvaneNoticeQueue::CheckPendingRecs(NewValues seen)
{
    if (notices_.empty())
        return QueueNewAddressRecs(seen) ? 1 : 0;
    for (const tolvane::ADDR_BOOK_PENDING_REC& notice : notices_) {
        ClearCarried(seen.destination, notice.node);
        ClearCarried(seen.source, notice.node);
    }
    QueueNewAddressRecs(seen);
    return 1;
}

bool TolvaneNoticeQueue::QueueNewAddressRecs(const NewValues& seen)
{
    bool queued = false;
    for (const NewSide& side : {Announced(seen.destination), Announced(seen.source)}) {
        if (!side.Any())
            continue;
        tolvane::NODE_INFO node{};
        node.panId = side.panId.value_or(MacAddressing::kUnknown16);
        node.shortAddress = side.shortAddress.value_or(MacAddressing::kUnknown16);
        node.extendedAddress = side.extendedAddress.value_or(MacAddressing::kUnknown64);
        notices_.push_back(MakeNotice(kNoticeAddressSeen, 0, node));
        queued = true;
    }
    return queued;
}

int TolvaneNoticeQueue::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(notices_.size());
}
