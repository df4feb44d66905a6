#pragma once

#include <string>

namespace platform {

// A shared library loaded at run time (dlopen with RTLD_NOW | RTLD_LOCAL).
// The library is unloaded when the object is destroyed or another one is loaded.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Unloads any library held, then loads path. On failure the error text says why.
    bool Load(const std::string& path);
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }

    // The address of an exported symbol, or nullptr when the library has none of that name.
    void* Symbol(const char* name) const;

    template <typename Fn>
    Fn Function(const char* name) const
    {
        return reinterpret_cast<Fn>(Symbol(name));
    }

    // The loader's text for the last failed Load or Symbol.
    const std::string& ErrorText() const { return error_; }

private:
    void* handle_ = nullptr;
    mutable std::string error_;
};

} // namespace platform
