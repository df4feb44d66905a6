#include "gui/panels/RegisterFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/PathText.h"

namespace {

constexpr char kExtension[] = ".prs";
constexpr size_t kExtensionLength = sizeof kExtension - 1;

int CompareWithoutCase(const std::string& a, const std::string& b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const int ca = std::tolower(static_cast<unsigned char>(a[i]));
        const int cb = std::tolower(static_cast<unsigned char>(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

std::string PluginFolderOf(const std::string& pluginPath)
{
    const size_t cut = platform::LastPathSeparator(pluginPath);
    if (cut == std::string::npos)
        return std::string();
    std::string folder = platform::ToNativePath(pluginPath.substr(0, cut));
    // An absolute path already names the folder; "General" is cut only from a path that is
    // meant relative to the program folder.
    if (!folder.empty() && folder[0] != '/') {
        const size_t general = folder.find("General/");
        if (general != std::string::npos)
            folder = folder.substr(general + 8);
    }
    return folder;
}

std::string RegisterFolderOf(const std::string& path)
{
    std::string folder = platform::ToNativePath(path);
    if (path.size() > 1 && path.find(kExtension, 1) != std::string::npos) {
        const size_t cut = platform::LastPathSeparator(folder);
        folder = cut == std::string::npos ? std::string(".") : (cut == 0 ? std::string("/") : folder.substr(0, cut));
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder.empty() ? std::string(".") : folder;
}

std::string JoinFolder(const std::string& folder, const std::string& name)
{
    if (folder.empty())
        return name;
    if (platform::IsPathSeparator(folder.back()))
        return platform::ToNativePath(folder) + name;
    return platform::ToNativePath(folder) + "/" + name;
}

std::vector<std::string> ListRegisterFiles(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entries(fs::path(platform::ToNativePath(folder)), error);
    if (error)
        return names;
    for (const fs::directory_entry& entry : entries) {
        std::error_code ignored;
        if (!entry.is_regular_file(ignored))
            continue;
        const std::string name = entry.path().filename().string();
        if (name.size() > kExtensionLength && name.compare(name.size() - kExtensionLength, kExtensionLength, kExtension) == 0)
            names.push_back(name.substr(0, name.size() - kExtensionLength));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int order = CompareWithoutCase(a, b);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}
