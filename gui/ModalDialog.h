#pragma once

#include <functional>

class QDialog;

// The main window runs its modal dialogs through here, so that tests can answer a dialog in
// place of a user, without a nested event loop. GUI thread only.
using ModalDialogHandler = std::function<int(QDialog& dialog)>;

// What the dialog's modal run returns (its exec()), or the handler's answer when one is set.
int RunModalDialog(QDialog& dialog);

// Installs handler (an empty one: the dialogs run modally again); returns the one before.
ModalDialogHandler SetModalDialogHandler(ModalDialogHandler handler);
