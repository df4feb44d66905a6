#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/RegistryKey.h"
#include "platform/RegistryRoot.h"
#include "platform/RegistryStatus.h"

// Values kept together under one registry key, loaded and saved as a whole. A subclass lists
// them in ExchangeValues, the one place that knows their names, types and defaults.
class CRegSettings {
protected:
    class ValueExchange;

public:
    // A string value's fixed buffer of N bytes: at most N - 1 characters, zeros after them, so
    // it always ends with a zero however long the text given or loaded.
    template <size_t N>
    class Text {
    public:
        static_assert(N >= 1, "a text needs room for its zero");
        static constexpr size_t kBufferSize = N;

        Text() = default;
        // Keeps the text up to its first zero byte, and at most N - 1 characters of it.
        Text& operator=(std::string_view text)
        {
            CRegSettings::AssignText(buffer_.data(), N, text);
            return *this;
        }

        std::string_view View() const { return std::string_view(buffer_.data()); }
        std::string str() const { return std::string(View()); }
        const char* c_str() const { return buffer_.data(); }
        // The whole buffer, as it is saved.
        std::string_view Bytes() const { return std::string_view(buffer_.data(), N); }
        bool operator==(std::string_view text) const { return View() == text; }

    private:
        friend class CRegSettings::ValueExchange;
        std::array<char, N> buffer_{};
    };

    CRegSettings(platform::RegistryRoot root, std::string keyPath);
    virtual ~CRegSettings() = default;
    CRegSettings(const CRegSettings&) = delete;
    CRegSettings& operator=(const CRegSettings&) = delete;

    // 0; or the open error, every value then holding its default; or the error the value map
    // gives back.
    long Load();
    // 0, or the error of creating the key (nothing written) or of the first failed write.
    long Save();

    const platform::RegistryRoot& Root() const { return root_; }
    const std::string& KeyPath() const { return keyPath_; }

protected:
    // One pass over the value map: defaults mode (key is nullptr) sets every default; save
    // mode writes every value; load mode reads every value.
    virtual long ExchangeValues(platform::RegistryKey* key, bool save, bool defaults) = 0;
    virtual void OnBeforeSave() {}
    virtual void OnAfterLoad() {}

    // Takes the map's values one after the other in the mode of one ExchangeValues pass.
    class ValueExchange {
    public:
        ValueExchange(platform::RegistryKey* key, bool save, bool defaults);

        void Dword(const char* name, int32_t& value, int32_t defaultValue);
        void Dword(const char* name, uint32_t& value, uint32_t defaultValue);
        // Stored as the DWORD 1 or 0; any non-zero DWORD loads as set.
        void Bool(const char* name, bool& value, bool defaultValue);
        // Saved with the whole buffer as its data; a stored value that does not fit the buffer
        // with its zero loads as the default.
        template <size_t N>
        void String(const char* name, Text<N>& value, const char* defaultValue)
        {
            String(name, value.buffer_.data(), N, defaultValue);
        }

        // Save: 0 or the first failed write, after which nothing more was written.
        // Load: the status of the last value read. Defaults: 0.
        long Result() const { return result_; }

    private:
        void String(const char* name, char* buffer, size_t size, const char* defaultValue);
        // Load mode: the DWORD read for name, or nothing with result_ telling why.
        bool LoadDword(const char* name, uint32_t& value);
        // Save mode: false once a write has failed.
        bool Write(platform::RegistryStatus status);
        bool Writing() const { return result_ == platform::kRegistryOk; }

        platform::RegistryKey* key_;
        bool save_;
        bool defaults_;
        long result_ = platform::kRegistryOk;
    };

private:
    static void AssignText(char* buffer, size_t size, std::string_view text);

    platform::RegistryRoot root_;
    std::string keyPath_;
};
