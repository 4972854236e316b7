// Cell texts to integers: half-width and GBK full-width forms, signs, spaces, junk and overflow.
#include "script/text_to_int.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// GBK bytes: full-width digits A3 B0..A3 B9, '+' A3 AB, '-' A3 AD, ideographic space A1 A1.
#define FW_1 "\xA3\xB1"
#define FW_2 "\xA3\xB2"
#define FW_0 "\xA3\xB0"
#define FW_PLUS "\xA3\xAB"
#define FW_MINUS "\xA3\xAD"
#define FW_SPACE "\xA1\xA1"

struct Case {
    std::string text;
    std::int32_t value;
};

TEST(TextToInt, ReadsEveryFormTheListMayHold) {
    const Case cases[] = {
        {"", 0},
        {"0", 0},
        {"123", 123},
        {"-45", -45},
        {"+7", 7},
        {"  \t\r\n 42", 42},
        {"12abc", 12},
        {"12 34", 12},
        {"abc", 0},
        {"-", 0},
        {"+-3", 0},
        {"- 3", 0},
        {"   ", 0},
        {"007", 7},
        {FW_1 FW_2 FW_0, 120},
        {FW_MINUS FW_1, -1},
        {FW_PLUS FW_2, 2},
        {FW_SPACE FW_SPACE "5", 5},
        {"1" FW_2 "3", 123},
        {"-" FW_1 "0", -10},
        {"\xD7\xF3"
         "12",
         0},  // a Chinese character first: not a number
        {"12\xD7\xF3"
         "34",
         12},  // digits end at the first other character
        {"\xA3"
         "5",
         0},           // a lone lead byte is no full-width form
        {"5\xA3", 5},  // a truncated pair at the end
        {"\xA3\xBA"
         "1",
         0},  // A3 BA is the full-width colon, not a digit
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 2147483647},
        {"-2147483649", -2147483647 - 1},
        {"99999999999999999999999", 2147483647},
        {"-99999999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases) EXPECT_EQ(text_to_int(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
