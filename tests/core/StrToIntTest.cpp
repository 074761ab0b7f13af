#include "text/StrToInt.h"

#include <gtest/gtest.h>

namespace {

TEST(StrToInt, ConvertsIntegerTexts)
{
    struct Case {
        std::string text;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"12", 12},
        {"007", 7},
        {"  12", 12},
        {"+5", 5},
        {"-3", -3},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {"$10", 16},
        {"+$10", 16},
        {"-$10", -16},
        {"x1f", 31},
        {"X1F", 31},
        {"0x1f", 31},
        {"0XfF", 255},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"$7FFFFFFF", 2147483647},
        {"$000000010", 16},
        {"-$FFFFFFFF", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrToInt(c.text), c.expected) << c.text;
}

TEST(StrToInt, RejectsEverythingElseNamingTheText)
{
    const std::string cases[] = {
        "", " ", "-", "+", "+-1", "12 ", "1-2", "1.5", "abc", "0x", "$", "x", "-$", "$G",
        "2147483648", "-2147483649", "99999999999", "$100000000", "\t12", "1e3", "\xD2\xB3",
    };
    for (const auto& text : cases) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), "'" + text + "' is not a valid integer value");
        }
    }
}

}  // namespace
