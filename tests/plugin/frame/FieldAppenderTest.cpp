#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/ParsedFieldRec.h"

namespace {

struct Field {
    int32_t id;
    const char* text; // nullptr: no text
};

struct AppendCase {
    const char* name;
    int32_t capacity;
    std::vector<Field> fields;
    int expectWritten;       // records that must stand in the buffer
    int32_t expectStatus;
    int32_t expectBytesUsed; // counts every field, written or not
};

void PrintTo(const AppendCase& c, std::ostream* os)
{
    *os << c.name;
}

class FieldAppenderCases : public ::testing::TestWithParam<AppendCase> {};

} // namespace

TEST_P(FieldAppenderCases, CapacityRule)
{
    const AppendCase& c = GetParam();
    // One guard byte past the capacity shows any write beyond it.
    std::vector<char> buffer(static_cast<size_t>(std::max(c.capacity, 0)) + 1, '\x5A');
    PARSED_DATA out{};
    out.fieldCount = 77;
    out.bytesUsed = 1234;
    out.fieldBuffer = buffer.data();

    FieldAppender appender(out, c.capacity);
    int written = 0;
    for (const Field& f : c.fields)
        written += appender.AppendField(f.id, f.text) ? 1 : 0;

    EXPECT_EQ(written, c.expectWritten);
    EXPECT_EQ(out.status, c.expectStatus);
    EXPECT_EQ(out.bytesUsed, c.expectBytesUsed);
    EXPECT_EQ(out.fieldCount, c.fields.size());
    EXPECT_EQ(buffer.back(), '\x5A');

    ParsedFieldCursor cursor(buffer.data(), std::min(out.bytesUsed, c.capacity));
    for (int i = 0; i < c.expectWritten; ++i) {
        auto field = cursor.Next();
        ASSERT_TRUE(field.has_value()) << i;
        EXPECT_EQ(field->fieldId, c.fields[i].id);
        EXPECT_EQ(field->hasText, c.fields[i].text != nullptr);
        if (c.fields[i].text != nullptr) {
            EXPECT_EQ(field->text, c.fields[i].text);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Appender, FieldAppenderCases,
    ::testing::Values(
        // "ab" costs 8 + 3, a field without text 8.
        AppendCase{"exactly_fitting", 11 + 8, {{3, "ab"}, {4, nullptr}}, 2, PARSE_OK, 19},
        AppendCase{"one_byte_short", 11 + 8 - 1, {{3, "ab"}, {4, nullptr}}, 1,
                   PARSE_FIELD_BUFFER_FULL, 19},
        AppendCase{"text_less_costs_eight", 8, {{0, nullptr}}, 1, PARSE_OK, 8},
        AppendCase{"empty_text_has_its_nul", 9, {{0, ""}}, 1, PARSE_OK, 9},
        AppendCase{"nothing_fits_capacity_zero", 0, {{0, nullptr}, {1, "x"}}, 0,
                   PARSE_FIELD_BUFFER_FULL, 18},
        // A small record after a failed large one fails too: bytes used only grows.
        AppendCase{"later_small_field_after_overflow", 30,
                   {{1, "0123456789"}, {2, "0123456789"}, {3, nullptr}}, 1,
                   PARSE_FIELD_BUFFER_FULL, 46},
        AppendCase{"negative_capacity", -1, {{1, nullptr}}, 0, PARSE_FIELD_BUFFER_FULL, 8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FieldAppender, ReserveWritesTextInPlace)
{
    std::vector<char> buffer(32);
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();
    FieldAppender appender(out, 32);
    char* text = appender.ReserveField(7, 4);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text, buffer.data() + 8);
    std::memcpy(text, "abc", 4);
    EXPECT_EQ(appender.ReserveField(8, 32 - 12 - 8 + 1), nullptr);
    EXPECT_EQ(out.status, PARSE_FIELD_BUFFER_FULL);

    ParsedFieldCursor cursor(buffer.data(), 12);
    auto field = cursor.Next();
    ASSERT_TRUE(field);
    EXPECT_EQ(field->fieldId, 7);
    EXPECT_EQ(field->text, "abc");
}

TEST(FieldAppender, NoBufferWritesNothing)
{
    PARSED_DATA out{};
    out.fieldBuffer = nullptr;
    FieldAppender appender(out, 4096);
    EXPECT_FALSE(appender.AppendField(0, "1"));
    EXPECT_EQ(out.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(out.fieldCount, 1);
}

TEST(FieldAppender, AppendTextTakesThePieceAndAddsItsNul)
{
    // One guard byte past the capacity shows any write beyond it.
    std::vector<char> buffer(8 + 3 + 8 + 1 + 1, '\x5A');
    PARSED_DATA out{};
    out.fieldBuffer = buffer.data();
    FieldAppender appender(out, static_cast<int32_t>(buffer.size()) - 1);
    // Only the view's characters count, not what follows them in memory.
    EXPECT_TRUE(appender.AppendText(5, std::string_view("abc", 2)));
    EXPECT_TRUE(appender.AppendText(6, std::string_view()));
    EXPECT_FALSE(appender.AppendText(7, "x"));
    EXPECT_EQ(out.status, PARSE_FIELD_BUFFER_FULL);
    EXPECT_EQ(out.bytesUsed, 11 + 9 + 10);
    EXPECT_EQ(buffer.back(), '\x5A');

    ParsedFieldCursor cursor(buffer.data(), 20);
    auto first = cursor.Next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->fieldId, 5);
    EXPECT_EQ(first->text, "ab");
    EXPECT_EQ(buffer[8 + 2], '\0');
    auto second = cursor.Next();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->hasText);
    EXPECT_EQ(second->text, "");
}
