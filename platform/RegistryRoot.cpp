#include "platform/RegistryRoot.h"

#include <cstdlib>

namespace platform {

namespace {

// Leaves room for ".key" and for the temporary name beside it within a file-name component.
constexpr size_t kMaxEncodedNameBytes = 230;

std::optional<std::string> EncodeName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return std::nullopt;
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return std::nullopt;
        if (c >= 'A' && c <= 'Z') {
            encoded += static_cast<char>(c - 'A' + 'a');
        } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    if (encoded.size() > kMaxEncodedNameBytes)
        return std::nullopt;
    return encoded;
}

} // namespace

RegistryRoot RegistryRoot::CurrentUser()
{
    // A relative XDG_CONFIG_HOME is to be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return RegistryRoot(std::string(config) + "/pelagor/registry/");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return RegistryRoot(std::string(home) + "/.config/pelagor/registry/");
    return RegistryRoot(std::string());
}

RegistryRoot::RegistryRoot(std::string folder) : folder_(std::move(folder))
{
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
}

std::optional<std::string> RegistryRoot::KeyFileName(std::string_view keyPath)
{
    std::string file;
    size_t start = 0;
    while (true) {
        const size_t end = keyPath.find('\\', start);
        const std::string_view name = keyPath.substr(start, end == std::string_view::npos ? end : end - start);
        std::optional<std::string> encoded = EncodeName(name);
        if (!encoded)
            return std::nullopt;
        file += *encoded;
        if (end == std::string_view::npos)
            break;
        file += '/';
        start = end + 1;
    }
    return file + ".key";
}

std::optional<std::string> RegistryRoot::KeyFile(std::string_view keyPath) const
{
    std::optional<std::string> name = KeyFileName(keyPath);
    if (!name || folder_.empty())
        return std::nullopt;
    return folder_ + *name;
}

} // namespace platform
