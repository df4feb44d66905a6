#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

namespace platform {

namespace {

const char* IconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return "warning";
    case MessageIcon::Question: return "question";
    case MessageIcon::Information: return "information";
    case MessageIcon::Stop: return "error";
    case MessageIcon::None: break;
    }
    return "message";
}

class StandardErrorSink : public MessageBoxSink {
public:
    MessageAnswer Show(const MessageBoxRequest& request) override
    {
        std::lock_guard lock(mutex_);
        std::fprintf(stderr, "%s: %s\n", IconName(request.icon), request.text.c_str());
        std::fflush(stderr);
        return DefaultAnswer(request.buttons);
    }

private:
    std::mutex mutex_;
};

StandardErrorSink g_standardErrorSink;
std::atomic<MessageBoxSink*> g_sink{&g_standardErrorSink};

struct Deferred {
    int depth = 0;
    std::vector<MessageBoxRequest> requests;
};
thread_local Deferred t_deferred;

} // namespace

MessageBoxDeferral::MessageBoxDeferral()
{
    ++t_deferred.depth;
}

MessageBoxDeferral::~MessageBoxDeferral()
{
    // Once per packet on the add road: nothing to do unless a box was collected.
    if (--t_deferred.depth > 0 || t_deferred.requests.empty())
        return;
    std::vector<MessageBoxRequest> requests;
    requests.swap(t_deferred.requests);
    for (const MessageBoxRequest& request : requests)
        g_sink.load()->Show(request);
}

MessageAnswer DefaultAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
    case MessageButtons::RetryCancel: return MessageAnswer::Cancel;
    }
    return MessageAnswer::Cancel;
}

MessageBoxSink* InstallMessageBoxSink(MessageBoxSink* sink)
{
    MessageBoxSink* previous = g_sink.exchange(sink != nullptr ? sink : &g_standardErrorSink);
    return previous == &g_standardErrorSink ? nullptr : previous;
}

MessageAnswer ShowMessageBox(const MessageBoxRequest& request)
{
    if (t_deferred.depth > 0 && request.buttons == MessageButtons::Ok) {
        t_deferred.requests.push_back(request);
        return MessageAnswer::Ok;
    }
    return g_sink.load()->Show(request);
}

MessageAnswer ShowMessageBox(const std::string& text, MessageIcon icon, MessageButtons buttons)
{
    return ShowMessageBox(MessageBoxRequest{text, {}, icon, buttons});
}

} // namespace platform
