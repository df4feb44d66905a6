#include "gui/FileDialog.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include "platform/PathText.h"
#include "platform/ProgramFolder.h"

namespace {

namespace fs = std::filesystem;

FileDialogHandler& Handler()
{
    static FileDialogHandler handler;
    return handler;
}

std::string& LastFolder()
{
    static std::string folder;
    return folder;
}

std::string& Tree()
{
    static std::string tree = [] {
        std::string folder = platform::ProgramFolder();
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        const size_t cut = platform::LastPathSeparator(folder);
        return cut == std::string::npos ? std::string() : folder.substr(0, cut);
    }();
    return tree;
}

std::string ToBytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

QString FromBytes(const std::string& text)
{
    return QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

fs::path Canonical(const std::string& path)
{
    std::error_code ignored;
    fs::path canonical = fs::weakly_canonical(fs::path(platform::ToNativePath(path)), ignored);
    return canonical.empty() ? fs::path(platform::ToNativePath(path)).lexically_normal() : canonical;
}

bool IsFolder(const std::string& path)
{
    std::error_code ignored;
    return !path.empty() && fs::is_directory(fs::path(platform::ToNativePath(path)), ignored);
}

std::string HomeFolder()
{
    return ToBytes(QDir::homePath());
}

std::string FolderOf(const std::string& path)
{
    const size_t cut = platform::LastPathSeparator(path);
    if (cut == std::string::npos)
        return std::string();
    return cut == 0 ? std::string("/") : path.substr(0, cut);
}

// A handler answers as the dialog would: a default extension is its to add.
std::string Run(QWidget* parent, FileDialogRequest request)
{
    std::string chosen;
    if (Handler()) {
        chosen = Handler()(request);
    } else {
        QFileDialog dialog(parent, FromBytes(request.caption), FromBytes(request.startFolder),
                           FromBytes(request.filter));
        if (request.kind == FileDialogKind::Open) {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::ExistingFile);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDefaultSuffix(FromBytes(request.defaultExtension));
            if (!request.confirmOverwrite)
                dialog.setOption(QFileDialog::DontConfirmOverwrite);
        }
        // Qt's default size cuts the size and date columns.
        dialog.resize(820, 500);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = ToBytes(dialog.selectedFiles().constFirst());
    }
    if (!chosen.empty()) {
        const std::string folder = FolderOf(chosen);
        if (!folder.empty())
            LastFolder() = folder;
    }
    return chosen;
}

} // namespace

std::string QtFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t bar = filter.find('|'); bar != std::string::npos; bar = filter.find('|', start)) {
        parts.push_back(filter.substr(start, bar - start));
        start = bar + 1;
    }
    parts.push_back(filter.substr(start));

    std::string qt;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string description = parts[i];
        const std::string& patternList = parts[i + 1];
        if (description.empty() && patternList.empty())
            break; // the closing "||"
        // "*.*" means every file; on this system it would only match names with a dot.
        std::string patterns;
        size_t from = 0;
        for (;;) {
            const size_t semicolon = patternList.find(';', from);
            std::string pattern = patternList.substr(from, semicolon == std::string::npos ? std::string::npos
                                                                                          : semicolon - from);
            if (pattern == "*.*")
                pattern = "*";
            if (!pattern.empty())
                patterns += (patterns.empty() ? "" : " ") + pattern;
            if (semicolon == std::string::npos)
                break;
            from = semicolon + 1;
        }
        // The description's own pattern list gives way to the patterns Qt matches with.
        const size_t open = description.rfind('(');
        if (open != std::string::npos && !description.empty() && description.back() == ')')
            description.erase(open);
        while (!description.empty() && description.back() == ' ')
            description.pop_back();
        std::string entry = description.empty() ? patterns : description + " (" + patterns + ")";
        qt += (qt.empty() ? "" : ";;") + entry;
    }
    return qt;
}

void SetProgramTree(const std::string& folder)
{
    Tree() = folder;
}

const std::string& ProgramTree()
{
    return Tree();
}

bool IsInProgramTree(const std::string& path)
{
    if (Tree().empty() || path.empty())
        return false;
    const fs::path tree = Canonical(Tree());
    const fs::path candidate = Canonical(path);
    auto t = tree.begin();
    auto c = candidate.begin();
    for (; t != tree.end(); ++t, ++c) {
        if (t->empty())
            continue; // the empty last element of a path ending in '/'
        if (c == candidate.end() || *t != *c)
            return false;
    }
    return true;
}

std::string DialogStartFolder(FileDialogKind kind, const std::string& startFolder)
{
    const std::string home = HomeFolder();
    for (const std::string& folder : {startFolder, LastFolder(), home}) {
        if (!IsFolder(folder))
            continue;
        if (kind == FileDialogKind::Save && IsInProgramTree(folder))
            continue;
        return platform::ToNativePath(folder);
    }
    return home;
}

const std::string& LastDialogFolder()
{
    return LastFolder();
}

void SetLastDialogFolder(const std::string& folder)
{
    LastFolder() = folder;
}

std::string GetOpenFileName(QWidget* parent, const std::string& caption, const std::string& filter,
                            const std::string& startFolder)
{
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.caption = caption;
    request.filter = QtFileFilter(filter);
    request.startFolder = DialogStartFolder(FileDialogKind::Open, startFolder);
    return Run(parent, std::move(request));
}

std::string GetSaveFileName(QWidget* parent, const std::string& caption, const std::string& filter,
                            const std::string& defaultExtension, const std::string& startFolder,
                            bool confirmOverwrite)
{
    FileDialogRequest request;
    request.kind = FileDialogKind::Save;
    request.caption = caption;
    request.filter = QtFileFilter(filter);
    request.defaultExtension = defaultExtension;
    request.startFolder = DialogStartFolder(FileDialogKind::Save, startFolder);
    request.confirmOverwrite = confirmOverwrite;
    return Run(parent, std::move(request));
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler)
{
    FileDialogHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}
