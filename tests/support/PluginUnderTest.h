#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"
#include "plugin/frame/ParsedFieldRec.h"
#include "plugin/frame/PluginExports.h"

namespace testsupport {

struct DecodedField {
    int32_t id;
    bool hasText;
    std::string text;
    bool operator==(const DecodedField&) const = default;
};

struct Decoded {
    PARSED_DATA data;
    std::vector<DecodedField> fields; // the records the buffer holds
    std::vector<int32_t> Ids() const
    {
        std::vector<int32_t> ids;
        for (const DecodedField& f : fields)
            ids.push_back(f.id);
        return ids;
    }
    const DecodedField* Find(int32_t id) const
    {
        for (const DecodedField& f : fields)
            if (f.id == id)
                return &f;
        return nullptr;
    }
    std::string Text(int32_t id) const
    {
        const DecodedField* f = Find(id);
        return f != nullptr ? f->text : "<missing>";
    }
};

// Payload bytes a hex dump shows: two digits each, padding is blank.
inline int DumpedBytes(const std::string& hex)
{
    return static_cast<int>(std::count_if(hex.begin(), hex.end(), [](char c) {
               return std::isxdigit(static_cast<unsigned char>(c)) != 0;
           })) / 2;
}

// A plug-in loaded from the build tree the way the main program loads it.
class PluginUnderTest {
public:
    explicit PluginUnderTest(const std::string& path)
    {
        if (!library_.Load(path))
            throw std::runtime_error("cannot load " + path + ": " + library_.ErrorText());
        parsePacket = Resolve<ParsePacketFn>("ParsePacket");
        setPacketLength = Resolve<SetPacketLengthFn>("SetPacketLength");
        setProtocolVersion = Resolve<SetProtocolVersionFn>("SetProtocolVersion");
        setChipType = Resolve<SetChipTypeFn>("SetChipType");
    }

    // Decodes record into a field buffer of exactly capacity bytes.
    Decoded Decode(const std::vector<uint8_t>& record, int capturedLength, int capacity = 4096,
                   double clockMultiplier = 1.0, const PARSED_DATA* before = nullptr)
    {
        setPacketLength(capacity);
        // 0xEE bytes read as a negative text length: the walk ends after the last record written.
        buffer_.assign(static_cast<size_t>(capacity > 0 ? capacity : 0), '\xEE');
        Decoded result{};
        if (before != nullptr)
            result.data = *before;
        result.data.fieldBuffer = buffer_.data();
        parsePacket(record.data(), &result.data, clockMultiplier, capturedLength);
        int32_t held = std::min(result.data.bytesUsed, capacity);
        ParsedFieldCursor cursor(buffer_.data(), held);
        while (auto field = cursor.Next())
            result.fields.push_back({field->fieldId, field->hasText, std::string(field->text)});
        return result;
    }

    const std::vector<char>& Buffer() const { return buffer_; }
    platform::DynamicLibrary& Library() { return library_; }

    ParsePacketFn parsePacket = nullptr;
    SetPacketLengthFn setPacketLength = nullptr;
    SetProtocolVersionFn setProtocolVersion = nullptr;
    SetChipTypeFn setChipType = nullptr;

private:
    template <typename Fn>
    Fn Resolve(const char* name)
    {
        Fn fn = library_.Function<Fn>(name);
        if (fn == nullptr)
            throw std::runtime_error(std::string("missing export ") + name);
        return fn;
    }

    platform::DynamicLibrary library_;
    std::vector<char> buffer_;
};

} // namespace testsupport
