#include "app/eight_bit_text.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* utf8;
    std::string expected;
};

TEST(EightBitText, KeepsLatin1AndDropsTheRestAndMalformedBytes) {
    const TextCase cases[] = {
        {"plain ~`", "plain ~`"},
        {"caf\xc3\xa9 \xc3\xbf", "caf\xe9 \xff"}, // U+00E9, U+00FF
        {"\xe2\x82\xac"
         "5",
         "5"},                      // the euro sign is not 8-bit
        {"\xf0\x9f\x98\x80!", "!"}, // nor an emoji
        {"\xc0\x80x", "x"},         // an overlong NUL
        {"\xc1\xbfy", "y"},         // an overlong DEL
        {"\x80\xbfz", "z"},         // continuation bytes alone
        {"\xc3", ""},               // cut short at the end
        {"\xc3"
         "a",
         "a"},            // cut short by a character
        {"\xff\xfe", ""}, // no UTF-8 at all
        {"", ""},
    };
    for (const TextCase& c : cases) EXPECT_EQ(eightBitText(c.utf8), c.expected) << c.utf8;
    EXPECT_EQ(eightBitText(nullptr), "");
}

} // namespace
