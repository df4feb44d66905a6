// Texts composed piece by piece: the pieces, and the cut where the buffer ends.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/frame/TextWriter.h"

namespace {

struct WriterCase {
    const char* name;
    size_t size;
    std::function<void(TextWriter&)> write;
    const char* text;
};

void PrintTo(const WriterCase& c, std::ostream* os)
{
    *os << c.name;
}

class TextWriterCases : public ::testing::TestWithParam<WriterCase> {};

void Pieces(TextWriter& w)
{
    w.Put("ab").Put(' ').Hex(0x2A, 4).Put('/').Decimal(int32_t{-7}).Put('/').Decimal(3u, 2);
}

} // namespace

TEST_P(TextWriterCases, WritesAndCuts)
{
    const WriterCase& c = GetParam();
    // A guard byte past the buffer shows any write beyond it.
    std::vector<char> buffer(c.size + 1, '#');
    TextWriter writer(buffer.data(), c.size);
    c.write(writer);
    EXPECT_EQ(buffer.back(), '#');
    EXPECT_EQ(writer.View(), c.text);
    EXPECT_EQ(writer.Length(), std::string(c.text).size());
    if (c.size > 0) {
        EXPECT_EQ(std::string(buffer.data()), c.text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Writer, TextWriterCases,
    ::testing::Values(
        WriterCase{"pieces", 64, Pieces, "ab 0x002A/-7/03"},
        WriterCase{"exactly_fitting", 16, Pieces, "ab 0x002A/-7/03"},
        WriterCase{"cut_inside_a_number", 8, Pieces, "ab 0x00"},
        WriterCase{"room_for_the_nul_only", 1, Pieces, ""},
        WriterCase{"no_room_at_all", 0, Pieces, ""},
        WriterCase{"nothing_written_is_empty", 4, [](TextWriter&) {}, ""},
        WriterCase{"hex_of_zero", 8, [](TextWriter& w) { w.Hex(0, 1); }, "0x0"},
        WriterCase{"hex_lower_case", 8, [](TextWriter& w) { w.Hex(0xAB, 2, HexLetters::Lower); }, "0xab"},
        WriterCase{"hex_widest", 19, [](TextWriter& w) { w.Hex(std::numeric_limits<uint64_t>::max(), 16); },
                   "0xFFFFFFFFFFFFFFFF"},
        WriterCase{"hex_width_capped_at_sixteen", 32, [](TextWriter& w) { w.Hex(1, 20); }, "0x0000000000000001"},
        WriterCase{"decimal_extremes", 32,
                   [](TextWriter& w) {
                       w.Decimal(std::numeric_limits<int32_t>::min()).Put(' ').Decimal(
                           std::numeric_limits<int32_t>::max());
                   },
                   "-2147483648 2147483647"},
        WriterCase{"decimal_width_capped_at_ten", 32, [](TextWriter& w) { w.Decimal(5u, 12); }, "0000000005"},
        WriterCase{"pad_to_width", 16, [](TextWriter& w) { w.Put("ab").PadTo(5).Put('|'); }, "ab   |"},
        WriterCase{"pad_shorter_than_text_adds_nothing", 16, [](TextWriter& w) { w.Put("abcdef").PadTo(3); },
                   "abcdef"},
        WriterCase{"pad_cut_by_the_buffer", 4, [](TextWriter& w) { w.Put('a').PadTo(10); }, "a  "},
        WriterCase{"empty_piece", 4, [](TextWriter& w) { w.Put(std::string_view()).Put("x"); }, "x"}),
    [](const auto& info) { return std::string(info.param.name); });
