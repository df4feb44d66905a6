#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/MessageBox.h"

namespace platform {

// Records every message box while it lives, and answers with scripted answers
// (then with the default answer). Installs itself on construction.
class MessageBoxRecorder : public MessageBoxSink {
public:
    MessageBoxRecorder();
    ~MessageBoxRecorder() override;
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    MessageAnswer Show(const MessageBoxRequest& request) override;

    void QueueAnswer(MessageAnswer answer);
    std::vector<MessageBoxRequest> Requests() const;
    std::vector<std::string> Texts() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<MessageBoxRequest> requests_;
    std::deque<MessageAnswer> answers_;
    MessageBoxSink* previous_;
};

} // namespace platform
