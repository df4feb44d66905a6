#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/frame/ParsedFieldRec.h"

namespace {

void Put(std::vector<char>& buffer, int32_t id, int32_t length, const char* text)
{
    PARSED_FIELD_REC head{id, length};
    const size_t at = buffer.size();
    const size_t textBytes = text != nullptr ? static_cast<size_t>(length) : 0;
    buffer.resize(at + sizeof head + textBytes);
    std::memcpy(buffer.data() + at, &head, sizeof head);
    if (textBytes > 0)
        std::memcpy(buffer.data() + at + sizeof head, text, textBytes);
}

} // namespace

TEST(ParsedFieldCursor, ReadsBackToBackRecords)
{
    std::vector<char> buffer;
    Put(buffer, 1, 3, "ab");
    Put(buffer, 2, 0, nullptr);
    Put(buffer, 3, 1, "");
    ParsedFieldCursor cursor(buffer.data(), static_cast<int32_t>(buffer.size()));
    auto a = cursor.Next();
    auto b = cursor.Next();
    auto c = cursor.Next();
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->text, "ab");
    EXPECT_FALSE(b->hasText);
    EXPECT_TRUE(c->hasText);
    EXPECT_EQ(c->text, "");
    EXPECT_FALSE(cursor.Next());
}

TEST(ParsedFieldCursor, StopsAtRecordsThatDoNotFit)
{
    struct Case {
        const char* name;
        int32_t length;
        int32_t bytesGiven; // of the 8 + 4 the record would take
    };
    for (Case c : {Case{"cut_text", 4, 11}, Case{"cut_head", 4, 7}, Case{"negative_length", -4, 12},
                   Case{"huge_length", 0x7FFFFFFF, 12}}) {
        SCOPED_TRACE(c.name);
        std::vector<char> buffer;
        Put(buffer, 9, c.length, nullptr);
        buffer.resize(12, 'x');
        ParsedFieldCursor cursor(buffer.data(), c.bytesGiven);
        EXPECT_FALSE(cursor.Next());
    }
}
