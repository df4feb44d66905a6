#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace platform {

DynamicLibrary::~DynamicLibrary()
{
    Unload();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_))
{
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool DynamicLibrary::Load(const std::string& path)
{
    Unload();
    dlerror();
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* text = dlerror();
        error_ = text != nullptr ? text : "unknown error";
        return false;
    }
    error_.clear();
    return true;
}

void DynamicLibrary::Unload()
{
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* DynamicLibrary::Symbol(const char* name) const
{
    if (handle_ == nullptr) {
        error_ = "no library loaded";
        return nullptr;
    }
    dlerror();
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
        const char* text = dlerror();
        error_ = text != nullptr ? text : "symbol is null";
    }
    return address;
}

} // namespace platform
