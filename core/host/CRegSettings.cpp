#include "core/host/CRegSettings.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/RegistryValue.h"

using platform::RegistryKey;
using platform::RegistryStatus;
using platform::RegistryValue;
using platform::kRegistryInvalidHandle;
using platform::kRegistryMoreData;
using platform::kRegistryOk;

CRegSettings::CRegSettings(platform::RegistryRoot root, std::string keyPath)
    : root_(std::move(root)), keyPath_(std::move(keyPath))
{
}

long CRegSettings::Load()
{
    RegistryKey key;
    const RegistryStatus opened = key.Open(root_, keyPath_);
    if (opened != kRegistryOk) {
        ExchangeValues(nullptr, false, true);
        return opened;
    }
    return ExchangeValues(&key, false, false);
}

long CRegSettings::Save()
{
    RegistryKey key;
    const RegistryStatus created = key.Create(root_, keyPath_);
    if (created != kRegistryOk)
        return created;
    return ExchangeValues(&key, true, false);
}

void CRegSettings::AssignText(char* buffer, size_t size, std::string_view text)
{
    const size_t length = std::min({text.find('\0'), text.size(), size - 1});
    std::memcpy(buffer, text.data(), length);
    std::memset(buffer + length, 0, size - length);
}

CRegSettings::ValueExchange::ValueExchange(RegistryKey* key, bool save, bool defaults)
    : key_(key), save_(save), defaults_(defaults)
{
}

bool CRegSettings::ValueExchange::LoadDword(const char* name, uint32_t& value)
{
    if (key_ == nullptr) {
        result_ = kRegistryInvalidHandle;
        return false;
    }
    // Whatever the stored type: the value's bytes, up to 4, little-endian.
    RegistryValue stored;
    result_ = key_->QueryValue(name, 4, stored);
    if (result_ != kRegistryOk)
        return false;
    value = 0;
    for (size_t i = 0; i < stored.data.size(); ++i)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(stored.data[i])) << (8 * i);
    return true;
}

bool CRegSettings::ValueExchange::Write(RegistryStatus status)
{
    result_ = status;
    return result_ == kRegistryOk;
}

void CRegSettings::ValueExchange::Dword(const char* name, uint32_t& value, uint32_t defaultValue)
{
    if (defaults_) {
        value = defaultValue;
    } else if (save_) {
        if (Writing())
            Write(key_ == nullptr ? kRegistryInvalidHandle : key_->SetDword(name, value));
    } else {
        uint32_t loaded = 0;
        value = LoadDword(name, loaded) ? loaded : defaultValue;
    }
}

void CRegSettings::ValueExchange::Dword(const char* name, int32_t& value, int32_t defaultValue)
{
    auto raw = static_cast<uint32_t>(value);
    Dword(name, raw, static_cast<uint32_t>(defaultValue));
    value = static_cast<int32_t>(raw);
}

void CRegSettings::ValueExchange::Bool(const char* name, bool& value, bool defaultValue)
{
    uint32_t raw = value ? 1 : 0;
    Dword(name, raw, defaultValue ? 1 : 0);
    value = raw != 0;
}

void CRegSettings::ValueExchange::String(const char* name, char* buffer, size_t size, const char* defaultValue)
{
    if (defaults_) {
        AssignText(buffer, size, defaultValue);
        return;
    }
    if (save_) {
        if (Writing())
            Write(key_ == nullptr ? kRegistryInvalidHandle
                                  : key_->SetValue(name, platform::RegistryType::Sz, std::string_view(buffer, size)));
        return;
    }
    if (key_ == nullptr) {
        result_ = kRegistryInvalidHandle;
        AssignText(buffer, size, defaultValue);
        return;
    }
    RegistryValue stored;
    result_ = key_->QueryValue(name, size, stored);
    // A full buffer without a zero is one character too long: it could not end.
    if (result_ == kRegistryOk && stored.data.size() == size && stored.data.find('\0') == std::string::npos)
        result_ = kRegistryMoreData;
    if (result_ != kRegistryOk) {
        AssignText(buffer, size, defaultValue);
        return;
    }
    AssignText(buffer, size, stored.data);
}
