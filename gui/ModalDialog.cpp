#include "gui/ModalDialog.h"

#include <utility>

#include <QDialog>

namespace {

ModalDialogHandler& Handler()
{
    static ModalDialogHandler handler;
    return handler;
}

} // namespace

int RunModalDialog(QDialog& dialog)
{
    if (Handler())
        return Handler()(dialog);
    return dialog.exec();
}

ModalDialogHandler SetModalDialogHandler(ModalDialogHandler handler)
{
    return std::exchange(Handler(), std::move(handler));
}
