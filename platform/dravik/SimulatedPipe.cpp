#include "platform/dravik/SimulatedPipe.h"

#include <algorithm>
#include <cstring>

namespace {

// Bytes that no layout takes for a header.
const std::vector<uint8_t> kJunk = {0xEE, 0x5A, 0xA5, 0xEE, 0x77, 0xEE, 0xFF};

constexpr uint8_t kStatusType = 2;
const uint8_t kStatusPayload[] = {0x00, 0x01};

constexpr size_t kCutBytes = 3;
constexpr size_t kOverflowFrameBytes = 3;

bool Every(int period, uint64_t count)
{
    return period > 0 && count % static_cast<uint64_t>(period) == 0;
}

} // namespace

SimulatedPipe::SimulatedPipe(const SimulatedPipeSettings& settings, std::unique_ptr<SimulatedFrameSource> source)
    : settings_(settings),
      writer_(settings.layout == 0 ? DeviceFrameWriter::kLayoutOld : DeviceFrameWriter::kLayoutNew),
      source_(std::move(source))
{
}

SimulatedPipe::~SimulatedPipe() = default;

void SimulatedPipe::Start()
{
    std::lock_guard lock(mutex_);
    if (capturing_)
        return;
    capturing_ = true;
    ++runs_;
    device_.clear();
    head_ = 0;
    overflowPending_ = false;
    lastDue_ = Clock::now();
    if (haveStaged_)
        stagedDue_ = lastDue_ + std::chrono::microseconds(stagedGapUs_);
    wake_.notify_all();
}

void SimulatedPipe::Stop()
{
    std::lock_guard lock(mutex_);
    capturing_ = false;
    ++runs_;
    device_.clear();
    head_ = 0;
    overflowPending_ = false;
    wake_.notify_all();
}

void SimulatedPipe::SetChannel(uint8_t channel)
{
    std::lock_guard lock(mutex_);
    if (source_)
        source_->SetChannel(channel);
    // The frame waiting was heard on the old channel.
    haveStaged_ = false;
}

bool SimulatedPipe::Capturing() const
{
    std::lock_guard lock(mutex_);
    return capturing_;
}

uint64_t SimulatedPipe::FramesSent() const
{
    std::lock_guard lock(mutex_);
    return sent_;
}

uint64_t SimulatedPipe::FramesDropped() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

void SimulatedPipe::StageNext()
{
    staged_.clear();
    stagedGapUs_ = source_->NextFrame(staged_);
    stagedDue_ = lastDue_ + std::chrono::microseconds(stagedGapUs_);
    haveStaged_ = true;
}

void SimulatedPipe::ReleaseDue(Clock::time_point now, size_t wanted)
{
    if (!source_)
        return;
    for (int n = 0; capturing_ && n < kMaxFramesPerRead; ++n) {
        if (!haveStaged_)
            StageNext();
        if (settings_.paced ? stagedDue_ > now : Unread() >= wanted)
            break;
        lastDue_ = stagedDue_;
        haveStaged_ = false;
        Deliver(staged_);
    }
}

void SimulatedPipe::Deliver(std::vector<uint8_t>& frame)
{
    ++frames_;
    if (Every(settings_.cutEvery, frames_) && frame.size() > kCutBytes + 5)
        frame.resize(frame.size() - kCutBytes);
    if (Every(settings_.junkEvery, frames_))
        frame.insert(frame.begin(), kJunk.begin(), kJunk.end());
    if (Every(settings_.statusEvery, frames_))
        writer_.Status(frame, kStatusType, kStatusPayload);
    if (Every(settings_.overflowEvery, frames_))
        writer_.Overflow(frame);

    const size_t limit = static_cast<size_t>(std::max(settings_.deviceBufferBytes, 1));
    const size_t room = limit > Unread() ? limit - Unread() : 0;
    const size_t needed = frame.size() + (overflowPending_ ? kOverflowFrameBytes : 0);
    if (needed > room) {
        ++dropped_;
        overflowPending_ = true;
        return;
    }
    Compact();
    if (overflowPending_) {
        writer_.Overflow(device_);
        overflowPending_ = false;
    }
    device_.insert(device_.end(), frame.begin(), frame.end());
    ++sent_;
}

void SimulatedPipe::Compact()
{
    if (head_ > 0 && head_ * 2 >= device_.size()) {
        device_.erase(device_.begin(), device_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}

int SimulatedPipe::Read(uint8_t* buffer, int requested, int* received, int timeoutMs)
{
    if (received != nullptr)
        *received = 0;
    if (received == nullptr || requested < 0 || (buffer == nullptr && requested > 0))
        return -1;
    if (requested == 0)
        return 0;

    std::unique_lock lock(mutex_);
    ++reads_;
    if (Every(settings_.readErrorEvery, reads_))
        return -1;
    Clock::time_point now = Clock::now();
    const Clock::time_point deadline = now + std::chrono::milliseconds(timeoutMs > 0 ? timeoutMs : kPollWaitMs);
    const uint64_t run = runs_;
    auto restarted = [&] { return runs_ != run; };
    if (!capturing_) {
        wake_.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(kIdleWaitMs)), restarted);
        return 0;
    }
    const size_t wanted = std::min(static_cast<size_t>(requested),
                                   static_cast<size_t>(std::max(settings_.deviceBufferBytes / 2, 1)));
    for (;;) {
        ReleaseDue(now, wanted);
        if (Unread() > 0) {
            const size_t count = std::min(static_cast<size_t>(requested), Unread());
            std::memcpy(buffer, device_.data() + head_, count);
            head_ += count;
            if (head_ == device_.size()) {
                device_.clear();
                head_ = 0;
            }
            *received = static_cast<int>(count);
            return 0;
        }
        if (!capturing_ || now >= deadline)
            return 0;
        Clock::time_point until = deadline;
        if (haveStaged_ && settings_.paced && stagedDue_ < until)
            until = stagedDue_;
        if (wake_.wait_until(lock, until, restarted))
            return 0;
        now = Clock::now();
    }
}
