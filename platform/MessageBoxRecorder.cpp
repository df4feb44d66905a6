#include "platform/MessageBoxRecorder.h"

namespace platform {

MessageBoxRecorder::MessageBoxRecorder() : previous_(InstallMessageBoxSink(this)) {}

MessageBoxRecorder::~MessageBoxRecorder()
{
    InstallMessageBoxSink(previous_);
}

MessageAnswer MessageBoxRecorder::Show(const MessageBoxRequest& request)
{
    std::lock_guard lock(mutex_);
    requests_.push_back(request);
    if (answers_.empty())
        return DefaultAnswer(request.buttons);
    MessageAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void MessageBoxRecorder::QueueAnswer(MessageAnswer answer)
{
    std::lock_guard lock(mutex_);
    answers_.push_back(answer);
}

std::vector<MessageBoxRequest> MessageBoxRecorder::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::string> MessageBoxRecorder::Texts() const
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    for (const MessageBoxRequest& r : requests_)
        texts.push_back(r.text);
    return texts;
}

void MessageBoxRecorder::Clear()
{
    std::lock_guard lock(mutex_);
    requests_.clear();
}

} // namespace platform
