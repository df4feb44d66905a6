#pragma once

#include <memory>

#include "platform/MessageBoxQueue.h"

class QtWindowMessageSink;

// The Qt side of the platform layer for one GUI run: message boxes of every thread are shown
// on the GUI thread, posted window messages become its events. Construct on the GUI thread
// once the QApplication exists; destroy before it goes.
class GuiPlatform {
public:
    // Without a presenter, boxes are Qt message boxes over the active window.
    explicit GuiPlatform(platform::MessageBoxQueue::Presenter presenter = {});
    ~GuiPlatform();
    GuiPlatform(const GuiPlatform&) = delete;
    GuiPlatform& operator=(const GuiPlatform&) = delete;

    platform::MessageBoxQueue& Boxes() { return *boxes_; }

    static platform::MessageAnswer ShowQtMessageBox(const platform::MessageBoxRequest& request);
    // For runs nobody watches: the text goes to standard error and the default answer back.
    static platform::MessageAnswer WriteToStandardError(const platform::MessageBoxRequest& request);
    // WriteToStandardError when PELAGOR_BOXES=stderr, else none (Qt message boxes).
    static platform::MessageBoxQueue::Presenter PresenterFromEnvironment();

private:
    std::unique_ptr<QtWindowMessageSink> messages_;
    std::unique_ptr<platform::MessageBoxQueue> boxes_;
};
