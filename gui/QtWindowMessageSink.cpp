#include "gui/QtWindowMessageSink.h"

#include <QCoreApplication>
#include <QEvent>

#include "gui/WindowMessageTarget.h"
#include "platform/GuiCallScope.h"

namespace {
const QEvent::Type kMessageEventType = static_cast<QEvent::Type>(QEvent::registerEventType());
}

class QtWindowMessageSink::MessageEvent : public QEvent {
public:
    MessageEvent(platform::WindowHandle target, uint32_t message, uint64_t wParam, int64_t lParam,
                 std::string text)
        : QEvent(kMessageEventType), target(target), message(message), wParam(wParam), lParam(lParam),
          text(std::move(text))
    {
    }
    MessageEvent* Copy() const { return new MessageEvent(target, message, wParam, lParam, text); }

    platform::WindowHandle target;
    uint32_t message;
    uint64_t wParam;
    int64_t lParam;
    std::string text;
};

QtWindowMessageSink::QtWindowMessageSink()
{
    previous_ = platform::InstallWindowMessageSink(this);
    platform::GuiCallScope::SetListener(platform::GuiCallScope::Listener::WindowMessages, {},
                                        [this] { ReleaseHeld(); });
}

QtWindowMessageSink::~QtWindowMessageSink()
{
    platform::InstallWindowMessageSink(previous_);
    platform::GuiCallScope::SetListener(platform::GuiCallScope::Listener::WindowMessages, {}, {});
    for (MessageEvent* event : held_)
        delete event;
}

bool QtWindowMessageSink::HeldDuringCalls(uint32_t message)
{
    return message == platform::WM_CAPTURE_STOPPED || message == platform::WM_FILE_READ_DONE ||
           message == platform::WM_BUSY_STATE;
}

void QtWindowMessageSink::Post(platform::WindowHandle target, uint32_t message, uint64_t wParam, int64_t lParam)
{
    QCoreApplication::postEvent(this, new MessageEvent(target, message, wParam, lParam, {}));
}

void QtWindowMessageSink::PostText(platform::WindowHandle target, uint32_t message, const std::string& text)
{
    QCoreApplication::postEvent(this, new MessageEvent(target, message, 0, 0, text));
}

bool QtWindowMessageSink::event(QEvent* event)
{
    if (event->type() != kMessageEventType)
        return QObject::event(event);
    auto* message = static_cast<MessageEvent*>(event);
    if (platform::GuiCallScope::Active() && HeldDuringCalls(message->message)) {
        held_.push_back(message->Copy());
        return true;
    }
    if (WindowMessageTarget* target = WindowMessageTarget::Find(message->target))
        target->OnWindowMessage(message->message, message->wParam, message->lParam, message->text);
    return true;
}

void QtWindowMessageSink::ReleaseHeld()
{
    // Delivered from the event loop, after the call that held them has returned.
    while (!held_.empty()) {
        QCoreApplication::postEvent(this, held_.front());
        held_.pop_front();
    }
}
