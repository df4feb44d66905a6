#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/MessageBox.h"

namespace platform {

// Shows every message box on the GUI thread. A box asked for on a worker waits in the queue
// until the GUI thread serves it. While the GUI thread is inside a call that may wait on
// workers (GuiCallScope), a worker's box is answered at once with its default answer and its
// text is shown once that call has returned, so no wait hangs and no text is lost.
class MessageBoxQueue : public MessageBoxSink {
public:
    // Shows one box on the GUI thread and returns the answer.
    using Presenter = std::function<MessageAnswer(const MessageBoxRequest&)>;
    // Asks the GUI thread to call Serve() soon; called on any thread.
    using Wake = std::function<void()>;

    // Construct on the GUI thread: it becomes the thread the boxes are shown on. Installs itself
    // as the message-box sink and listens to GuiCallScope.
    MessageBoxQueue(Presenter presenter, Wake wake);
    ~MessageBoxQueue() override;
    MessageBoxQueue(const MessageBoxQueue&) = delete;
    MessageBoxQueue& operator=(const MessageBoxQueue&) = delete;

    MessageAnswer Show(const MessageBoxRequest& request) override;

    // GUI thread: shows the waiting boxes, then the texts of boxes answered by default.
    void Serve();
    // From now on every box gets its default answer and its text goes to standard error; waiting
    // workers are released. For the end of the GUI.
    void Shutdown();

    // How many workers wait for an answer, and how many answered texts wait to be shown.
    size_t Waiting() const;
    size_t Deferred() const;

private:
    struct Pending {
        MessageBoxRequest request;
        bool shown = false;
        bool answered = false;
        MessageAnswer answer = MessageAnswer::Ok;
    };

    void OnGuiWait();
    void AnswerAllByDefault(std::unique_lock<std::mutex>& lock);

    Presenter presenter_;
    Wake wake_;
    std::thread::id guiThread_;
    MessageBoxSink* previous_;

    mutable std::mutex mutex_;
    std::condition_variable answered_;
    std::deque<std::shared_ptr<Pending>> pending_;
    std::deque<MessageBoxRequest> deferred_;
    bool serving_ = false;
    bool shutdown_ = false;
};

} // namespace platform
