#include "plugin/frame/NoticeQueue.h"

#include "plugin/frame/NodeText.h"

ADDR_BOOK_PENDING_REC NoticeQueue::MakeNotice(int32_t kind, uint16_t index, int32_t id, const char* name,
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

void NoticeQueue::Push(const ADDR_BOOK_PENDING_REC& notice)
{
    std::lock_guard lock(mutex_);
    notices_.push_back(notice);
}

bool NoticeQueue::Pop(ADDR_BOOK_PENDING_REC& out)
{
    std::lock_guard lock(mutex_);
    if (notices_.empty())
        return false;
    out = notices_.front();
    notices_.pop_front();
    return true;
}

int NoticeQueue::QueueFrameNotices(std::span<const ADDR_BOOK_PENDING_REC> nodeNotices, NewAddresses seen)
{
    std::lock_guard lock(mutex_);
    notices_.insert(notices_.end(), nodeNotices.begin(), nodeNotices.end());
    return CheckPendingRecs(seen);
}

int NoticeQueue::CheckPendingRecs(NewAddresses seen)
{
    if (notices_.empty())
        return QueueNewAddressRecs(seen) ? 1 : 0;
    for (const ADDR_BOOK_PENDING_REC& notice : notices_) {
        if (seen.first == notice.address)
            seen.first.reset();
        if (seen.second == notice.address)
            seen.second.reset();
    }
    QueueNewAddressRecs(seen);
    return 1;
}

bool NoticeQueue::QueueNewAddressRecs(NewAddresses seen)
{
    // A frame from a node to itself shows one new address, not two.
    if (seen.second == seen.first)
        seen.second.reset();
    bool queued = false;
    for (const std::optional<uint32_t>& address : {seen.first, seen.second}) {
        if (address) {
            notices_.push_back(MakeNotice(kNoticeAddressSeen, 0, 0, nullptr, *address));
            queued = true;
        }
    }
    return queued;
}

int NoticeQueue::Count() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(notices_.size());
}
