#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace testsupport {

// A folder of its own under the temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "pelagor-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& relative) const { return (path_ / relative).string(); }

    // Writes bytes to the relative path, making its folders.
    std::string Write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << bytes;
        if (!out)
            throw std::runtime_error("cannot write " + file.string());
        return file.string();
    }

    // A symbolic link at the relative path to target, making its folders.
    std::string Link(const std::string& relative, const std::string& target) const
    {
        std::filesystem::path link = path_ / relative;
        std::filesystem::create_directories(link.parent_path());
        std::filesystem::create_symlink(target, link);
        return link.string();
    }

private:
    std::filesystem::path path_;
};

} // namespace testsupport
