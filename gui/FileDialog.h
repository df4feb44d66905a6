#pragma once

#include <functional>
#include <string>

class QWidget;

// The program's open and save dialogs, behind one seam that tests answer instead of a user.
// Paths are the file system's bytes; a path given may use '\' or '/' between folder names.
//
// Where a dialog starts: the folder given when it exists, else the folder of the last path
// chosen, else the home folder. A save never starts inside the program tree, which is not
// written at run time.

enum class FileDialogKind { Open, Save };

struct FileDialogRequest {
    FileDialogKind kind = FileDialogKind::Open;
    std::string caption;
    std::string filter;           // in Qt's form, as QtFileFilter gives it
    std::string defaultExtension; // without the dot; empty for none
    std::string startFolder;      // the folder the dialog starts in, chosen as above
    bool confirmOverwrite = false;
};

// Answers a request in place of a dialog: the chosen path as the dialog would give it (with
// the default extension added), "" for a cancel.
using FileDialogHandler = std::function<std::string(const FileDialogRequest&)>;

// filter: "Text (*.x)|*.x|All files (*.*)|*.*||". The chosen path, "" when cancelled.
std::string GetOpenFileName(QWidget* parent, const std::string& caption, const std::string& filter,
                            const std::string& startFolder);
// The dialog adds defaultExtension (unless it is empty) to a name typed without one.
std::string GetSaveFileName(QWidget* parent, const std::string& caption, const std::string& filter,
                            const std::string& defaultExtension, const std::string& startFolder,
                            bool confirmOverwrite = false);

// Installs handler (an empty one: the real dialogs again); returns the one installed before.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

// "Text (*.x)|*.x|All files (*.*)|*.*||" as "Text (*.x);;All files (*)".
std::string QtFileFilter(const std::string& filter);

// The program tree; by default the folder above the program's own folder.
void SetProgramTree(const std::string& folder);
const std::string& ProgramTree();
// True when path is the program tree or lies inside it.
bool IsInProgramTree(const std::string& path);

// The folder a dialog of kind starts in for the folder asked for.
std::string DialogStartFolder(FileDialogKind kind, const std::string& startFolder);
// The folder of the last path chosen; "" before the first. Setting it is for tests.
const std::string& LastDialogFolder();
void SetLastDialogFolder(const std::string& folder);
