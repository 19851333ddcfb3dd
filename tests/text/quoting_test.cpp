// Texts quoted in messages, and integers in decimal.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "text/numbers.hpp"
#include "text/quoting.hpp"

namespace rp {
namespace {

TEST(Quoting, Quoted) {
    const struct {
        std::string text;
        std::size_t limit;
        const char* shown;
    } cases[] = {
        {"optimal", 200, "\"optimal\""},
        {"", 10, "\"\""},
        {std::string("a\0b", 3), 10, "\"a\\x00b\""},
        {"tab\there", 10, "\"tab\\x09here\""},
        {"say \"hi\" \\o/", 40, "\"say \\x22hi\\x22 \\x5co/\""},
        {"\x7f\xc3\xa9", 10, "\"\\x7f\\xc3\\xa9\""},
        {"abcdef", 3, "\"abc\"..."},
        {"abc", 3, "\"abc\""},
    };
    for (const auto& c : cases) EXPECT_EQ(quoted(c.text, c.limit), c.shown) << c.text;
}

TEST(Quoting, QuotedName) {
    EXPECT_EQ(quotedName("g1"), "'g1'");
    EXPECT_EQ(quotedName(std::string("a\0b", 3)), "'a\\x00b'");
    EXPECT_EQ(quotedName("a\x7f\xc3\xa9'\"\\"), "'a\\x7f\xc3\xa9'\"\\'") << "only control bytes are escaped";
    EXPECT_EQ(quotedName(std::string(60, 'x')), "'" + std::string(60, 'x') + "'");
    EXPECT_EQ(quotedName(std::string(61, 'x')), "'" + std::string(60, 'x') + "...'");
}

TEST(Numbers, AppendInteger) {
    std::string text = "n=";
    appendInteger(text, 0);
    text += ' ';
    appendInteger(text, -42);
    text += ' ';
    appendInteger(text, std::numeric_limits<std::int64_t>::min());
    text += ' ';
    appendInteger(text, std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(text, "n=0 -42 -9223372036854775808 18446744073709551615");
}

}  // namespace
}  // namespace rp
