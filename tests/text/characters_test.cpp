// Character classes: every byte value against the class it belongs to.
#include <gtest/gtest.h>

#include <cctype>
#include <clocale>
#include <cstdio>
#include <string>

#include "text/characters.hpp"

namespace rp {
namespace {

TEST(Characters, IsSpaceIsTheCLocalesIsspace) {
    std::setlocale(LC_ALL, "C");
    for (int c = 0; c < 256; ++c) EXPECT_EQ(isSpace(c), std::isspace(c) != 0) << c;
    EXPECT_FALSE(isSpace(EOF));
}

TEST(Characters, ClassesByByte) {
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(isSpaceOrTab(c), c == ' ' || c == '\t') << c;
        EXPECT_EQ(isDigit(c), std::string("0123456789").find(static_cast<char>(c)) != std::string::npos &&
                                  c != 0)
            << c;
    }
    EXPECT_FALSE(isSpaceOrTab(EOF));
    EXPECT_FALSE(isDigit(EOF));
    EXPECT_FALSE(isDigit(static_cast<char>('0' + 128 - 256)));  // a byte above 0x7f as a signed char
}

TEST(Characters, WholeTexts) {
    const struct {
        const char* text;
        bool allDigits;
    } cases[] = {{"", false}, {"0", true}, {"0123456789", true}, {"12a", false}, {" 1", false},
                 {"1 ", false}, {"-1", false}, {"+1", false}, {"1.0", false}, {"\xd9\xa3", false}};
    for (const auto& c : cases) EXPECT_EQ(isAllDigits(c.text), c.allDigits) << c.text;

    EXPECT_TRUE(startsWith("Status: OPTIMAL", "Status:"));
    EXPECT_TRUE(startsWith("abc", ""));
    EXPECT_TRUE(startsWith("abc", "abc"));
    EXPECT_FALSE(startsWith("ab", "abc"));
    EXPECT_FALSE(startsWith("xbc", "abc"));
    EXPECT_FALSE(startsWith("", "a"));
}

}  // namespace
}  // namespace rp
