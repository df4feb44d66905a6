#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/host/PacketFilter.h"
#include "plugin/frame/ParsedFieldRec.h"

namespace {

// Raw bytes of one field record: the head as given, then exactly the bytes given, so a
// test can write a length that disagrees with the text that follows.
std::string RawRecord(int32_t id, int32_t length, std::string_view bytes)
{
    PARSED_FIELD_REC head{id, length};
    std::string out(sizeof head, '\0');
    std::memcpy(out.data(), &head, sizeof head);
    out.append(bytes);
    return out;
}

// A sound record: the text with its NUL.
std::string Field(int32_t id, std::string_view text)
{
    return RawRecord(id, static_cast<int32_t>(text.size() + 1), std::string(text) + '\0');
}

std::string TextlessField(int32_t id)
{
    return RawRecord(id, 0, {});
}

// A parsed packet whose field buffer holds exactly the given bytes, so AddressSanitizer
// reports any read past them.
class Packet {
public:
    Packet(const std::string& bytes, uint16_t fieldCount)
        : size_(bytes.size()), buffer_(new char[bytes.size()])
    {
        std::memcpy(buffer_.get(), bytes.data(), bytes.size());
        data_.fieldCount = fieldCount;
        data_.bytesUsed = static_cast<int32_t>(bytes.size());
        data_.fieldBuffer = buffer_.get();
    }

    const PARSED_DATA& Data() const { return data_; }
    uint16_t Size() const { return static_cast<uint16_t>(size_); }

private:
    size_t size_;
    std::unique_ptr<char[]> buffer_;
    PARSED_DATA data_{};
};

// The pattern in a heap block of exactly its size, without a NUL after it.
class ExactText {
public:
    explicit ExactText(std::string_view text) : size_(text.size()), bytes_(new char[text.size()])
    {
        std::memcpy(bytes_.get(), text.data(), text.size());
    }
    std::string_view View() const { return {bytes_.get(), size_}; }

private:
    size_t size_;
    std::unique_ptr<char[]> bytes_;
};

REC_FILTER Condition(uint32_t link, uint32_t fieldId, std::string_view values)
{
    REC_FILTER condition{};
    condition.link = link;
    condition.fieldId = fieldId;
    std::memcpy(condition.values, values.data(), values.size());
    return condition;
}

constexpr int32_t kTextId = 7;

// ---- The wildcard matcher, on one field's text ----

struct WildcardCase {
    const char* name;
    std::string pattern;
    std::string text;
    int expect;
};

void PrintTo(const WildcardCase& c, std::ostream* os)
{
    *os << c.name;
}

class FilterWildcard : public ::testing::TestWithParam<WildcardCase> {};

} // namespace

TEST_P(FilterWildcard, MatchesFieldText)
{
    const WildcardCase& c = GetParam();
    Packet packet(Field(kTextId, c.text), 1);
    PacketFilter filter(packet.Size());
    ExactText pattern(c.pattern);
    EXPECT_EQ(filter.MatchField(kTextId, pattern.View(), packet.Data()), c.expect);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FilterWildcard,
    ::testing::Values(
        // Literal values: the text or the pattern running out ends with success.
        WildcardCase{"value_equal", "ABC;", "ABC", 1},
        WildcardCase{"text_cut_short", "ABC;", "AB", 1},
        WildcardCase{"semicolon_meets_blank", "ABC;", "ABC DEF", 1},
        WildcardCase{"word_longer_than_value", "ABC;", "ABCD", 0},
        WildcardCase{"letter_differs", "ABC;", "ABD", 0},
        WildcardCase{"case_sensitive", "abc;", "ABC", 0},
        WildcardCase{"separator_meets_letter", "ABC;", "AB C", 0},
        WildcardCase{"semicolon_in_text_is_literal", "A;B;", "A;B", 1},
        WildcardCase{"second_value", "ABC;DEF;", "ABC DEF", 1},
        WildcardCase{"second_value_after_bar", "ABC;DEF;", "ABC|DEF", 1},
        WildcardCase{"second_value_after_blanks", "ABC;DEF;", "ABC  |DEF", 1},
        WildcardCase{"second_value_first_letter_differs", "ABC;DEF;", "ABC XEF", 0},
        WildcardCase{"second_value_last_letter_differs", "ABC;DEF;", "ABC DEX", 0},
        // '*' skips a word and the separators after it.
        WildcardCase{"star_second_value_blank", "ABC;*;", "ABC XYZ", 1},
        WildcardCase{"star_second_value_bar", "ABC;*;", "ABC|XYZ", 1},
        WildcardCase{"star_alone_any_word", "*;", "anything", 1},
        WildcardCase{"star_alone_many_words", "*;", "A B|C", 1},
        WildcardCase{"star_alone_only_bars", "*;", "||||", 1},
        WildcardCase{"star_alone_empty_text", "*;", "", 1},
        WildcardCase{"star_then_value", "*;DEF;", "ABC DEF", 1},
        WildcardCase{"star_then_value_differs", "*;DEF;", "ABC XYZ", 0},
        WildcardCase{"star_then_value_text_ends", "*;DEF;", "ABC", 1},
        WildcardCase{"star_between_values", "ABC;*;GHI;", "ABC DEF GHI", 1},
        WildcardCase{"star_between_values_differs", "ABC;*;GHI;", "ABC DEF GHX", 0},
        // A '*' that meets a separator takes the separators and the word after them, then
        // resumes with the next value.
        WildcardCase{"star_at_bar_resumes_next_value", "*;DEF;", "|ABC DEF", 1},
        WildcardCase{"star_at_bar_next_value_differs", "*;DEF;", "|ABC XYZ", 0},
        WildcardCase{"star_at_bar_word_is_skipped", "*;ABC;", "|ABC DEF", 0},
        WildcardCase{"star_after_semicolon_at_bars", "ABC;*;GHI;", "ABC ||DEF GHI", 1},
        WildcardCase{"star_after_semicolon_at_bars_differs", "ABC;*;GHI;", "ABC |DEF XYZ", 0},
        WildcardCase{"star_at_bar_many_separators", "*;*;", "| | | |", 1},
        // '?' takes one text character and passes over the pattern character after it.
        WildcardCase{"question_then_equal", "A?xC;", "ABC", 1},
        WildcardCase{"question_then_differs", "A?xC;", "ABD", 0},
        WildcardCase{"question_then_separator", "A?xC;", "AB C", 1},
        WildcardCase{"question_skips_next_pattern_char", "?ZB;", "aB", 1},
        WildcardCase{"question_skipped_char_not_compared", "?ZB;", "aZ", 0},
        WildcardCase{"question_then_blank_and_semicolon", "?x;", "a b", 1},
        WildcardCase{"question_last", "AB?", "ABCD", 1},
        WildcardCase{"question_before_last", "A?x", "AQRS", 1},
        // '\' takes one text character and passes over itself and the next pattern character.
        WildcardCase{"backslash_then_equal", "\\xB;", "aB", 1},
        WildcardCase{"backslash_then_differs", "\\xB;", "aC", 0},
        WildcardCase{"backslash_hides_star", "\\*B;", "xC", 0},
        WildcardCase{"star_unhidden", "*B;", "xC", 1},
        WildcardCase{"backslash_last", "A\\", "AZ", 1},
        // Leading blanks of the text are skipped; a leading bar is not.
        WildcardCase{"leading_blanks", "ABC;", "   ABC", 1},
        WildcardCase{"leading_blanks_then_differs", "ABC;", "  ABD", 0},
        WildcardCase{"leading_bar_kept", "ABC;", "|ABC", 0},
        WildcardCase{"empty_text", "ABC;", "", 1},
        WildcardCase{"blank_text", "ABC;", "    ", 1},
        WildcardCase{"empty_pattern", "", "ABC", 1},
        WildcardCase{"pattern_ends_at_nul", std::string("AB\0X", 4), "ABC", 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Rows of conditions ----

namespace {

// Fields 1..3 of the packet used by the row cases.
std::string RowPacketBytes()
{
    return Field(1, "ALPHA") + Field(2, "BETA") + Field(3, "GAMMA");
}

struct RowCase {
    const char* name;
    std::vector<REC_FILTER> conditions;
    int expect;
};

void PrintTo(const RowCase& c, std::ostream* os)
{
    *os << c.name;
}

class FilterRows : public ::testing::TestWithParam<RowCase> {};

constexpr uint32_t kAnd = kFilterLinkAnd;
constexpr uint32_t kEndRow = kFilterLinkEndRow;
constexpr uint32_t kEndLast = kFilterLinkEndLast;

} // namespace

TEST_P(FilterRows, Evaluate)
{
    const RowCase& c = GetParam();
    Packet packet(RowPacketBytes(), 3);
    PacketFilter filter(packet.Size());
    for (const REC_FILTER& condition : c.conditions)
        filter.AddCondition(condition);
    EXPECT_EQ(filter.Evaluate(packet.Data()), c.expect);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FilterRows,
    ::testing::Values(
        RowCase{"no_conditions", {}, 1},
        RowCase{"single_match", {Condition(kEndLast, 1, "ALPHA;")}, 1},
        RowCase{"single_mismatch", {Condition(kEndLast, 1, "OMEGA;")}, 0},
        // [X1 AND X2] OR [X3]
        RowCase{"x3_only_passes",
                {Condition(kAnd, 1, "NOPE;"), Condition(kEndRow, 2, "NOPE;"),
                 Condition(kEndLast, 3, "GAMMA;")},
                1},
        RowCase{"x1_only_fails",
                {Condition(kAnd, 1, "ALPHA;"), Condition(kEndRow, 2, "NOPE;"),
                 Condition(kEndLast, 3, "NOPE;")},
                0},
        RowCase{"first_row_passes",
                {Condition(kAnd, 1, "ALPHA;"), Condition(kEndRow, 2, "BETA;"),
                 Condition(kEndLast, 3, "NOPE;")},
                1},
        RowCase{"only_middle_row_passes",
                {Condition(kEndRow, 1, "NOPE;"), Condition(kAnd, 2, "BETA;"),
                 Condition(kEndRow, 3, "GAMMA;"), Condition(kEndLast, 1, "NOPE;")},
                1},
        RowCase{"every_row_fails",
                {Condition(kEndRow, 1, "NOPE;"), Condition(kAnd, 2, "BETA;"),
                 Condition(kEndRow, 3, "NOPE;"), Condition(kEndLast, 1, "NOPE;")},
                0},
        RowCase{"row_fails_on_its_last_condition",
                {Condition(kAnd, 1, "ALPHA;"), Condition(kAnd, 2, "BETA;"),
                 Condition(kEndLast, 3, "NOPE;")},
                0},
        // A field the packet does not carry fails its condition and with it the row.
        RowCase{"absent_field_fails_row",
                {Condition(kAnd, 9, "*;"), Condition(kEndRow, 1, "ALPHA;"),
                 Condition(kEndLast, 2, "NOPE;")},
                0},
        RowCase{"absent_field_other_row_passes",
                {Condition(kAnd, 1, "ALPHA;"), Condition(kEndRow, 9, "*;"),
                 Condition(kEndLast, 3, "GAMMA;")},
                1},
        RowCase{"absent_field_alone", {Condition(kEndLast, 9, "*;")}, 0},
        // Links 0 and 2 both join a condition to the next one.
        RowCase{"end_last_joins_like_and",
                {Condition(kEndLast, 1, "ALPHA;"), Condition(kEndLast, 3, "NOPE;")}, 0},
        RowCase{"list_ending_in_and", {Condition(kEndLast, 1, "ALPHA;"), Condition(kAnd, 3, "GAMMA;")},
                1},
        // A list closed by a failing row end leaves an empty last row, which passes.
        RowCase{"failing_row_end_last", {Condition(kEndRow, 1, "NOPE;")}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Finding the field, on sound and broken field buffers ----

namespace {

struct SearchCase {
    const char* name;
    std::string bytes; // the whole field buffer
    uint16_t fieldCount;
    int32_t fieldId;
    std::string pattern;
    int expect;
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.name;
}

class FilterFieldSearch : public ::testing::TestWithParam<SearchCase> {};

} // namespace

TEST_P(FilterFieldSearch, StaysInsideBuffer)
{
    const SearchCase& c = GetParam();
    Packet packet(c.bytes, c.fieldCount);
    PacketFilter filter(packet.Size());
    ExactText pattern(c.pattern);
    EXPECT_EQ(filter.MatchField(static_cast<uint32_t>(c.fieldId), pattern.View(), packet.Data()),
              c.expect);
}

INSTANTIATE_TEST_SUITE_P(
    Records, FilterFieldSearch,
    ::testing::Values(
        SearchCase{"later_record", Field(1, "X") + TextlessField(2) + Field(3, "ABC"), 3, 3, "ABC;", 1},
        SearchCase{"first_with_the_id_decides", Field(3, "ABC") + Field(3, "XYZ"), 2, 3, "XYZ;", 0},
        SearchCase{"negative_id", Field(-1, "ABC"), 1, -1, "ABC;", 1},
        SearchCase{"count_stops_search", Field(1, "X") + Field(3, "ABC"), 1, 3, "ABC;", 0},
        SearchCase{"count_zero", Field(3, "ABC"), 0, 3, "ABC;", 0},
        SearchCase{"count_beyond_records", Field(1, "X") + Field(2, "Y"), 40, 3, "*;", 0},
        SearchCase{"count_beyond_records_partial_head",
                   Field(1, "X") + RawRecord(3, 4, "").substr(0, 5), 9, 3, "*;", 0},
        SearchCase{"head_cut_at_buffer_end", RawRecord(3, 0, "").substr(0, 7), 1, 3, "*;", 0},
        SearchCase{"text_cut_at_buffer_end", RawRecord(3, 10, "ABC"), 1, 3, "ABC;", 0},
        SearchCase{"huge_length_before_target",
                   RawRecord(1, 0x7FFFFFFF, "X") + Field(3, "ABC"), 2, 3, "ABC;", 0},
        SearchCase{"huge_length_on_target", RawRecord(3, 0x7FFFFFFF, std::string("ABC\0", 4)), 1, 3,
                   "ABC;", 0},
        SearchCase{"negative_length_before_target", RawRecord(1, -8, "") + Field(3, "ABC"), 2, 3,
                   "ABC;", 0},
        SearchCase{"negative_length_on_target", RawRecord(3, -1, std::string("ABC\0", 4)), 1, 3,
                   "ABC;", 0},
        SearchCase{"textless_field_is_empty_text", TextlessField(3), 1, 3, "ABC;", 1},
        SearchCase{"textless_field_before_next", TextlessField(3) + Field(4, "XYZ"), 2, 3, "ABC;", 1},
        // A text without its NUL ends at its last byte...
        SearchCase{"text_without_nul_before_next", RawRecord(3, 2, "AB") + Field(4, "ZZ"), 2, 3,
                   "ABC;", 1},
        SearchCase{"text_without_nul_mismatch", RawRecord(3, 2, "AX") + Field(4, "ZZ"), 2, 3,
                   "ABC;", 0},
        // ...but one that runs to the end of the buffer has been cut off there.
        SearchCase{"text_without_nul_at_buffer_end", RawRecord(3, 2, "AB"), 1, 3, "ABC;", 0},
        SearchCase{"pattern_ends_before_buffer_end", RawRecord(3, 2, "AB"), 1, 3, "A", 1},
        SearchCase{"text_nul_is_last_buffer_byte", Field(3, "AB"), 1, 3, "ABC;", 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PacketFilterBounds, NoBufferOrNoCapacity)
{
    Packet packet(Field(3, "ABC"), 1);
    PARSED_DATA noBuffer = packet.Data();
    noBuffer.fieldBuffer = nullptr;
    EXPECT_EQ(PacketFilter(packet.Size()).MatchField(3, "*;", noBuffer), 0);
    EXPECT_EQ(PacketFilter(0).MatchField(3, "*;", packet.Data()), 0);
    // The filter's parsed length bounds the walk, not the bytes the packet claims.
    EXPECT_EQ(PacketFilter(static_cast<uint16_t>(packet.Size() - 1)).MatchField(3, "*;", packet.Data()),
              0);
}

TEST(PacketFilterBounds, PatternStepsStopAtItsEnd)
{
    Packet packet(Field(3, "ABC"), 1);
    PacketFilter filter(packet.Size());
    // Stepping over the character after '?' or '\' must not jump the NUL onto 'Q'.
    filter.AddCondition(Condition(kFilterLinkAnd, 3, std::string_view("A?\0Q", 4)));
    filter.AddCondition(Condition(kFilterLinkEndLast, 3, std::string_view("A\\\0Q", 4)));
    EXPECT_EQ(filter.Evaluate(packet.Data()), 1);
    EXPECT_EQ(filter.MatchField(3, std::string_view("A?\0Q", 4), packet.Data()), 1);
    EXPECT_EQ(filter.MatchField(3, std::string_view("A\\\0Q", 4), packet.Data()), 1);
}

TEST(PacketFilterBounds, ValuesWithoutNul)
{
    const std::string full(sizeof(REC_FILTER::values), 'A');
    Packet longer(Field(3, full + "AAA"), 1);
    Packet differs(Field(3, full.substr(1) + "B"), 1);
    // Exactly sized, so reading past the values array is reported.
    auto condition = std::make_unique<REC_FILTER>(Condition(kFilterLinkEndLast, 3, full));
    for (const auto& [packet, expect] : {std::pair<const Packet*, int>{&longer, 1}, {&differs, 0}}) {
        PacketFilter filter(packet->Size());
        filter.AddCondition(*condition);
        EXPECT_EQ(filter.Evaluate(packet->Data()), expect);
        EXPECT_EQ(filter.MatchField(3, std::string_view(condition->values, sizeof condition->values),
                                    packet->Data()),
                  expect);
    }
}
