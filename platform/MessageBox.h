#pragma once

#include <string>

namespace platform {

enum class MessageIcon { None, Exclamation, Question, Information, Stop };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

struct MessageBoxRequest {
    std::string text;
    std::string caption; // empty: the application's own caption
    MessageIcon icon = MessageIcon::Exclamation;
    MessageButtons buttons = MessageButtons::Ok;
};

// Where message boxes go: the GUI shows them, tests record them. A sink may be called on any
// thread; it answers once the box is closed.
class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    virtual MessageAnswer Show(const MessageBoxRequest& request) = 0;
};

// The answer given when nobody can be asked: the one that changes nothing
// (Ok for a plain box, No or Cancel for a question).
MessageAnswer DefaultAnswer(MessageButtons buttons);

// Installs sink (nullptr: the default, which writes to standard error and answers
// DefaultAnswer); returns the sink installed before.
MessageBoxSink* InstallMessageBoxSink(MessageBoxSink* sink);

MessageAnswer ShowMessageBox(const MessageBoxRequest& request);

// While one lives on a thread, that thread's plain boxes (Ok only) are collected and shown when
// the outermost one ends: for code that holds a lock another thread may wait for.
class MessageBoxDeferral {
public:
    MessageBoxDeferral();
    ~MessageBoxDeferral();
    MessageBoxDeferral(const MessageBoxDeferral&) = delete;
    MessageBoxDeferral& operator=(const MessageBoxDeferral&) = delete;
};
MessageAnswer ShowMessageBox(const std::string& text, MessageIcon icon = MessageIcon::Exclamation,
                             MessageButtons buttons = MessageButtons::Ok);

} // namespace platform
