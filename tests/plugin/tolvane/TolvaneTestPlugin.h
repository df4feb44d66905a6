#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "plugin/tolvane/TolvaneField.h"
#include "tests/plugin/tolvane/MacFrameBuilder.h"
#include "tests/support/PluginUnderTest.h"

namespace testsupport {

// Tolvane.so, loaded once for the test program.
inline PluginUnderTest& Tolvane()
{
    static PluginUnderTest plugin(TOLVANE_PATH);
    return plugin;
}

// The plug-in's own field names, by id.
inline const char* const* TolvaneFieldNames()
{
    static const auto table = Tolvane().Library().Function<GetFieldIndexTableFn>("GetFieldIndexTable")();
    return table;
}

// A field as a test expects it: its id and its text (nullptr: a field without text).
struct ExpectedField {
    ExpectedField(int32_t fieldId, const char* fieldText)
        : id(fieldId), hasText(fieldText != nullptr), text(fieldText != nullptr ? fieldText : "")
    {
    }
    ExpectedField(int32_t fieldId, std::string fieldText) : id(fieldId), hasText(true), text(std::move(fieldText)) {}

    int32_t id;
    bool hasText;
    std::string text;
};

// text followed by blanks up to width characters.
inline std::string PadTo(std::string text, size_t width)
{
    if (text.size() < width)
        text.append(width - text.size(), ' ');
    return text;
}

// One field of a decoded frame by name, so that a failure shows which fields differ.
struct NamedField {
    std::string name;
    bool hasText;
    std::string text;
    bool operator==(const NamedField&) const = default;
};

inline void PrintTo(const NamedField& f, std::ostream* os)
{
    *os << f.name;
    if (f.hasText)
        *os << " \"" << ::testing::PrintToString(f.text) << "\"";
    else
        *os << " (no text)";
}

inline std::string FieldName(int32_t id)
{
    return id >= 0 && id < kTolvaneFieldCount ? TolvaneFieldNames()[id] : "id " + std::to_string(id);
}

inline std::vector<NamedField> Named(const std::vector<ExpectedField>& fields)
{
    std::vector<NamedField> named;
    for (const ExpectedField& f : fields)
        named.push_back({FieldName(f.id), f.hasText, f.text});
    return named;
}

// The fields of the frame itself: those after the length field and before the footer
// (LQI, RSSI, FCS), which a test checks on its own.
inline std::vector<NamedField> FrameFields(const Decoded& d)
{
    std::vector<NamedField> named;
    const size_t footer = d.fields.size() >= 3 && d.fields.back().id == FI_FCS ? 3 : 0;
    for (size_t i = 4; i + footer < d.fields.size(); ++i)
        named.push_back({FieldName(d.fields[i].id), d.fields[i].hasText, d.fields[i].text});
    return named;
}

// Decodes a frame of the given MAC bytes, complete and with good status bytes.
inline Decoded DecodeMac(const std::vector<uint8_t>& mac, int chip = 0, const PARSED_DATA* before = nullptr,
                         uint8_t rssiByte = 0xE0, uint8_t statusByte = 0x85, int capacity = 8192)
{
    Tolvane().setChipType(chip);
    auto record = MakeMacRecord(5, 0, mac, rssiByte, statusByte);
    return Tolvane().Decode(record, MacLength(record), capacity, 1.0, before);
}

} // namespace testsupport
