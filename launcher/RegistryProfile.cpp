#include "launcher/RegistryProfile.h"

#include <cstdint>
#include <utility>

#include "platform/RegistryKey.h"

RegistryProfile::RegistryProfile(std::string company, std::string application, platform::RegistryRoot root)
    : root_(std::move(root)), company_(std::move(company)), application_(std::move(application))
{
}

std::string RegistryProfile::SectionKey(std::string_view section) const
{
    return "Software\\" + company_ + "\\" + application_ + "\\" + std::string(section);
}

int RegistryProfile::GetProfileInt(std::string_view section, std::string_view entry, int defaultValue) const
{
    platform::RegistryKey key;
    if (key.Open(root_, SectionKey(section)) != platform::kRegistryOk)
        return defaultValue;
    uint32_t value = 0;
    if (key.QueryDword(entry, value) != platform::kRegistryOk)
        return defaultValue;
    return static_cast<int>(value);
}

bool RegistryProfile::WriteProfileInt(std::string_view section, std::string_view entry, int value) const
{
    platform::RegistryKey key;
    if (key.Create(root_, SectionKey(section)) != platform::kRegistryOk)
        return false;
    return key.SetDword(entry, static_cast<uint32_t>(value)) == platform::kRegistryOk;
}
