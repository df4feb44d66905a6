#include "gui/GuiPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QMessageBox>

#include "gui/QtWindowMessageSink.h"

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

namespace {

QMessageBox::Icon IconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok: return QMessageBox::Ok;
    case MessageButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

MessageAnswer AnswerOf(int button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Retry: return MessageAnswer::Retry;
    default: return platform::DefaultAnswer(buttons);
    }
}

// The texts come with Windows line ends and Windows-1252 bytes.
QString DisplayText(const std::string& text)
{
    QString shown = QString::fromLatin1(text.c_str());
    shown.remove(QLatin1Char('\r'));
    return shown;
}

} // namespace

GuiPlatform::GuiPlatform(platform::MessageBoxQueue::Presenter presenter)
    : messages_(std::make_unique<QtWindowMessageSink>())
{
    if (!presenter)
        presenter = &GuiPlatform::ShowQtMessageBox;
    boxes_ = std::make_unique<platform::MessageBoxQueue>(std::move(presenter), [this] {
        QMetaObject::invokeMethod(messages_.get(), [this] { boxes_->Serve(); }, Qt::QueuedConnection);
    });
}

GuiPlatform::~GuiPlatform()
{
    boxes_.reset();
    messages_.reset();
}

MessageAnswer GuiPlatform::ShowQtMessageBox(const platform::MessageBoxRequest& request)
{
    // Without a caption of its own, a box is titled with the program's name.
    const QString caption =
        request.caption.empty() ? QCoreApplication::applicationName() : QString::fromLatin1(request.caption.c_str());
    QMessageBox box(IconOf(request.icon), caption, DisplayText(request.text), ButtonsOf(request.buttons),
                    QApplication::activeWindow());
    return AnswerOf(box.exec(), request.buttons);
}

platform::MessageBoxQueue::Presenter GuiPlatform::PresenterFromEnvironment()
{
    const char* boxes = std::getenv("PELAGOR_BOXES");
    if (boxes != nullptr && std::string(boxes) == "stderr")
        return &GuiPlatform::WriteToStandardError;
    return {};
}

MessageAnswer GuiPlatform::WriteToStandardError(const platform::MessageBoxRequest& request)
{
    std::fprintf(stderr, "%s\n", request.text.c_str());
    return platform::DefaultAnswer(request.buttons);
}
