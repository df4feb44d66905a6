#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Where a tree of keys is kept: one file per key under a folder. A key path such as
// "Software\Korvath\Pelagor\Settings" maps to "software/korvath/pelagor/settings.key":
// - names between '\' become folders, the last one the file "<name>.key";
// - key names compare without regard to ASCII case, so letters are lower-cased; every byte
//   other than a-z, 0-9, '-' and '_' is written %XX (so '/', '.' and '%' never reach the file
//   system as themselves, and no name can end in ".key" or clash with a subkey's folder);
// - refused (no file at all): an empty path, an empty name (leading, trailing or doubled '\'),
//   "." and "..", NUL and other control characters, a name longer than 230 bytes once
//   encoded (a file name must hold it with ".key" and the temporary name beside it).
class RegistryRoot {
public:
    // The current user's keys: $XDG_CONFIG_HOME/pelagor/registry/, else
    // $HOME/.config/pelagor/registry/. No folder at all when neither is known.
    static RegistryRoot CurrentUser();

    // Keys kept under folder (a trailing '/' is added when missing).
    explicit RegistryRoot(std::string folder);

    // With its trailing '/'; empty when there is no folder.
    const std::string& Folder() const { return folder_; }

    // The file of keyPath relative to the folder; nullopt for a refused key path.
    static std::optional<std::string> KeyFileName(std::string_view keyPath);

    // The full path of keyPath's file; nullopt for a refused key path or without a folder.
    std::optional<std::string> KeyFile(std::string_view keyPath) const;

private:
    std::string folder_;
};

} // namespace platform
