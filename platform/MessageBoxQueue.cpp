#include "platform/MessageBoxQueue.h"

#include <cstdio>

#include "platform/GuiCallScope.h"

namespace platform {

MessageBoxQueue::MessageBoxQueue(Presenter presenter, Wake wake)
    : presenter_(std::move(presenter)), wake_(std::move(wake)), guiThread_(std::this_thread::get_id())
{
    previous_ = InstallMessageBoxSink(this);
    GuiCallScope::SetListener(
        GuiCallScope::Listener::MessageBoxes, [this] { OnGuiWait(); },
        [this] {
            // The texts answered meanwhile are shown once the caller is back in the event loop.
            bool any;
            {
                std::lock_guard lock(mutex_);
                any = !deferred_.empty() || !pending_.empty();
            }
            if (any && wake_)
                wake_();
        });
}

MessageBoxQueue::~MessageBoxQueue()
{
    Shutdown();
    GuiCallScope::SetListener(GuiCallScope::Listener::MessageBoxes, {}, {});
    InstallMessageBoxSink(previous_);
}

MessageAnswer MessageBoxQueue::Show(const MessageBoxRequest& request)
{
    if (std::this_thread::get_id() == guiThread_) {
        {
            std::lock_guard lock(mutex_);
            if (shutdown_) {
                std::fprintf(stderr, "%s\n", request.text.c_str());
                return DefaultAnswer(request.buttons);
            }
        }
        return presenter_(request);
    }

    std::unique_lock lock(mutex_);
    if (shutdown_) {
        std::fprintf(stderr, "%s\n", request.text.c_str());
        return DefaultAnswer(request.buttons);
    }
    if (GuiCallScope::Active()) {
        deferred_.push_back(request);
        return DefaultAnswer(request.buttons);
    }
    auto pending = std::make_shared<Pending>();
    pending->request = request;
    pending_.push_back(pending);
    lock.unlock();
    if (wake_)
        wake_();
    lock.lock();
    answered_.wait(lock, [&] { return pending->answered; });
    return pending->answer;
}

void MessageBoxQueue::Serve()
{
    std::unique_lock lock(mutex_);
    // A box runs a nested event loop: a second Serve inside it leaves the queue to this one.
    if (serving_ || shutdown_)
        return;
    serving_ = true;
    for (;;) {
        if (GuiCallScope::Active()) {
            AnswerAllByDefault(lock);
            break;
        }
        std::shared_ptr<Pending> next;
        for (const auto& pending : pending_) {
            if (!pending->shown) {
                next = pending;
                break;
            }
        }
        if (next) {
            next->shown = true;
            lock.unlock();
            const MessageAnswer answer = presenter_(next->request);
            lock.lock();
            if (!next->answered) {
                next->answered = true;
                next->answer = answer;
                std::erase(pending_, next);
                answered_.notify_all();
            }
            continue;
        }
        if (deferred_.empty())
            break;
        MessageBoxRequest text = std::move(deferred_.front());
        deferred_.pop_front();
        // Its question has been answered already: what is left to show is its text.
        text.buttons = MessageButtons::Ok;
        lock.unlock();
        presenter_(text);
        lock.lock();
    }
    serving_ = false;
}

void MessageBoxQueue::OnGuiWait()
{
    std::unique_lock lock(mutex_);
    AnswerAllByDefault(lock);
}

void MessageBoxQueue::AnswerAllByDefault(std::unique_lock<std::mutex>&)
{
    // Workers that wait are released; a box already on screen keeps its text on screen, the
    // others are shown later.
    for (const auto& pending : pending_) {
        if (pending->answered)
            continue;
        pending->answered = true;
        pending->answer = DefaultAnswer(pending->request.buttons);
        if (!pending->shown)
            deferred_.push_back(pending->request);
    }
    pending_.clear();
    answered_.notify_all();
}

void MessageBoxQueue::Shutdown()
{
    std::unique_lock lock(mutex_);
    if (shutdown_)
        return;
    shutdown_ = true;
    for (const auto& pending : pending_)
        if (!pending->answered && !pending->shown)
            deferred_.push_back(pending->request);
    for (const auto& pending : pending_) {
        pending->answered = true;
        pending->answer = DefaultAnswer(pending->request.buttons);
    }
    pending_.clear();
    for (const MessageBoxRequest& request : deferred_)
        std::fprintf(stderr, "%s\n", request.text.c_str());
    deferred_.clear();
    answered_.notify_all();
}

size_t MessageBoxQueue::Waiting() const
{
    std::lock_guard lock(mutex_);
    return pending_.size();
}

size_t MessageBoxQueue::Deferred() const
{
    std::lock_guard lock(mutex_);
    return deferred_.size();
}

} // namespace platform
