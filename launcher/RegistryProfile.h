#pragma once

#include <string>
#include <string_view>

#include "platform/RegistryRoot.h"

// An application's per-user profile: values in sections under
// "Software\<company>\<application>\<section>" of the per-user store.
class RegistryProfile {
public:
    RegistryProfile(std::string company, std::string application,
                    platform::RegistryRoot root = platform::RegistryRoot::CurrentUser());

    // The stored DWORD; defaultValue when there is none, or the value is of another type.
    int GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) const;
    // Stores value as a DWORD; false when it could not be stored.
    bool WriteProfileInt(std::string_view section, std::string_view entry, int value) const;

    std::string SectionKey(std::string_view section) const;

private:
    platform::RegistryRoot root_;
    std::string company_;
    std::string application_;
};
