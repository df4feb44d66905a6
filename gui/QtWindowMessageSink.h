#pragma once

#include <deque>

#include <QObject>

#include "platform/WindowMessages.h"

// Turns posted window messages into events of the GUI thread and hands each to the live
// target of its handle. While the GUI thread is inside a call into the engine or the store,
// the messages that end a capture or a file read wait until that call has returned.
class QtWindowMessageSink : public QObject, public platform::WindowMessageSink {
public:
    // Construct on the GUI thread; installs itself.
    QtWindowMessageSink();
    ~QtWindowMessageSink() override;

    void Post(platform::WindowHandle target, uint32_t message, uint64_t wParam, int64_t lParam) override;
    void PostText(platform::WindowHandle target, uint32_t message, const std::string& text) override;

    static bool HeldDuringCalls(uint32_t message);

protected:
    bool event(QEvent* event) override;

private:
    class MessageEvent;
    void ReleaseHeld();

    std::deque<MessageEvent*> held_;
    platform::WindowMessageSink* previous_;
};
