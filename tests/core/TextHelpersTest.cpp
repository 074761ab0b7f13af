#include "text/TextHelpers.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(Find, IsBytewiseAndOneBased)
{
    struct Case {
        std::string needle, text;
        std::int64_t expected;
    };
    const Case cases[] = {
        {"b", "abcb", 2},
        {"abcb", "abcb", 1},
        {"x", "abc", 0},
        {"", "abc", 0},
        {"a", "", 0},
        {"abcd", "abc", 0},
        // A match may begin on the trail byte of a double-byte character.
        {"\xD2\xB3", "\xB5\xD2\xB3", 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Find(c.needle, c.text), c.expected) << c.needle << " in " << c.text;
}

TEST(DeleteAndCopy, ClampToTheText)
{
    struct Case {
        std::int64_t index, count;
        std::string afterDelete, copied;
    };
    const std::int64_t huge = std::numeric_limits<std::int64_t>::max();
    const Case cases[] = {
        {1, 2, "cdef", "ab"},
        {3, 100, "ab", "cdef"},
        {6, 1, "abcde", "f"},
        {7, 1, "abcdef", ""},    // past the end
        {0, 2, "abcdef", "ab"},  // Delete ignores it; Copy counts it as 1
        {-5, 3, "abcdef", "abc"},
        {2, 0, "abcdef", ""},
        {2, -1, "abcdef", ""},
        {2, huge, "a", "bcdef"},
    };
    for (const auto& c : cases) {
        std::string text = "abcdef";
        Delete(text, c.index, c.count);
        EXPECT_EQ(text, c.afterDelete) << c.index << "," << c.count;
        EXPECT_EQ(Copy("abcdef", c.index, c.count), c.copied) << c.index << "," << c.count;
    }
    std::string empty;
    Delete(empty, 1, 1);
    EXPECT_EQ(empty, "");
    EXPECT_EQ(Copy("", 1, 1), "");
}

TEST(ReplaceAll, SkipsOccurrencesOnTrailBytes)
{
    struct Case {
        std::string text, old, replacement, expected;
    };
    const Case cases[] = {
        {"target=\"_blank\"", "blank", "11111", "target=\"_11111\""},
        {"blanket BLANK blankblank", "blank", "11111", "11111et BLANK 1111111111"},
        {"", "blank", "11111", ""},
        // 0xB0 0x62 is one character whose trail byte is "b": no occurrence starts there.
        {"\xB0" "blank", "blank", "11111", "\xB0" "blank"},
        // Two double-byte characters first: the "b" after them is a character start.
        {"\xB0\xA1\xB0\xA1" "blank", "blank", "11111", "\xB0\xA1\xB0\xA1" "11111"},
        // Lead byte then a trail-range "b", then a real occurrence later on.
        {"\xC8" "blank blank", "blank", "11111", "\xC8" "blank 11111"},
        // Search resumes behind the replacement, not inside it.
        {"aaa", "aa", "a", "aa"},
        {"abc", "", "x", "abc"},
        // A lone lead byte at the end takes no trail with it.
        {"x\xB0", "\xB0", "y", "xy"},
        // The occurrence itself may hold double-byte characters.
        {"\xD2\xB3\xD2\xB3", "\xD2\xB3", "P", "PP"},
        // "\xB3\xD2" appears only across two characters.
        {"\xD2\xB3\xD2\xB3", "\xB3\xD2", "X", "\xD2\xB3\xD2\xB3"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.old, c.replacement), c.expected) << c.text;
}

TEST(ReplaceAll, HandlesLongRunsOfDoubleByteText)
{
    std::string chinese;
    for (int i = 0; i < 100000; ++i)
        chinese += "\xD6\xD0";  // 中
    const std::string text = chinese + "blank" + chinese + "\xB0" "blank";
    EXPECT_EQ(ReplaceAll(text, "blank", "11111"), chinese + "11111" + chinese + "\xB0" "blank");
}

TEST(Decimal, WritesSignedDigits)
{
    EXPECT_EQ(Decimal(0), "0");
    EXPECT_EQ(Decimal(12), "12");
    EXPECT_EQ(Decimal(-3), "-3");
    EXPECT_EQ(Decimal(std::numeric_limits<std::int32_t>::min()), "-2147483648");
}

}  // namespace
