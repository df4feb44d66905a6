#include "gui/OpenUrl.h"

#include <utility>

#include <QDesktopServices>
#include <QUrl>

namespace {

bool OpenWithDesktop(const QString& address)
{
    // fromUserInput keeps "https:" and "mailto:" addresses and turns a file path into a file URL.
    return QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

OpenUrlHandler& Handler()
{
    static OpenUrlHandler handler = OpenWithDesktop;
    return handler;
}

} // namespace

bool OpenUrl(const QString& address)
{
    return Handler()(address);
}

OpenUrlHandler SetOpenUrlHandler(OpenUrlHandler handler)
{
    OpenUrlHandler previous = std::exchange(Handler(), handler ? std::move(handler) : OpenWithDesktop);
    return previous;
}
