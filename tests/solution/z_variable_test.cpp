#include "solution/z_variable.hpp"

#include <gtest/gtest.h>

#include <stdexcept>

namespace rp {
namespace {

TEST(ParseZVariableName, CutsFamilyAndNumbers) {
    const std::vector<std::pair<std::string, CopyAssignment>> cases = {
        {"z_f.3.5", {"f", 3, 5}},
        {"zXfam.03.10", {"fam", 3, 10}},
        {"z_.1.2", {"", 1, 2}},
        {"z_f.1.2.3", {"f", 1, 2}},
        {"z_f.2.9.7", {"f", 2, 9}},
        {"z_f.3x.5y", {"f", 3, 5}},
        {"z_f. 3.\t5", {"f", 3, 5}},
        {"z_f.-3.+5", {"f", -3, 5}},
        {"z_f.2.5e1", {"f", 2, 50}},
        {"z_f.0x10.1", {"f", 16, 1}},
        {"z_f.1e10.1", {"f", INT32_MIN, 1}},
        {"z_f.-1e10.1", {"f", INT32_MIN, 1}},
        {"z_f.inf.nan", {"f", INT32_MIN, INT32_MIN}},
        {"z_f.2147483647.1", {"f", INT32_MIN, 1}},  // rounds up to 2^31 as a float
        {"z_f.-2147483648.1", {"f", INT32_MIN, 1}},
        {"z_f.1e39.1", {"f", INT32_MIN, 1}},  // fine as a double, infinite as a float
        {"z.1.2", {"1.2", 1, 2}},
        {"z_f.9999999.0000000", {"f", 9999999, 0}},
        {"z_f.16777217.33554435", {"f", 16777216, 33554436}},  // nearest floats
        {"z_\xff\x80.1.2", {"\xff\x80", 1, 2}},
    };
    for (const auto& [name, expected] : cases) EXPECT_EQ(parseZVariableName(name), expected) << name;
}

TEST(ParseZVariableName, Failures) {
    struct Case {
        const char* name;
        const char* message;
        bool outOfRange;
    };
    const Case cases[] = {
        {"z", "invalid string position", true},
        {"z_f", "invalid stof argument", false},
        {"zz", "invalid stof argument", false},
        {"z_f.3", "invalid stof argument", false},
        {"z_a.b.1.2", "invalid stof argument", false},
        {"z_f..2", "invalid stof argument", false},
        {"z.", "invalid stof argument", false},
        {"z_f.1e999.2", "stof argument out of range", true},
        {"z_f.1.1e-999", "stof argument out of range", true},
    };
    for (const Case& c : cases) {
        try {
            parseZVariableName(c.name);
            ADD_FAILURE() << c.name << ": no failure";
        } catch (const std::out_of_range& e) {
            EXPECT_TRUE(c.outOfRange) << c.name;
            EXPECT_STREQ(e.what(), c.message) << c.name;
        } catch (const std::invalid_argument& e) {
            EXPECT_FALSE(c.outOfRange) << c.name;
            EXPECT_STREQ(e.what(), c.message) << c.name;
        }
    }
}

TEST(SelectsDecision, LowerCaseZAndAValueInOneToTwo) {
    EXPECT_TRUE(selectsDecision("z_a.1.2", 1.0f));
    EXPECT_TRUE(selectsDecision("z", 1.9999f));
    EXPECT_FALSE(selectsDecision("Z_a.1.2", 1.0f));
    EXPECT_FALSE(selectsDecision(" z_a.1.2", 1.0f));
    EXPECT_FALSE(selectsDecision("", 1.0f));
    EXPECT_FALSE(selectsDecision("z_a.1.2", 0.9999f));
    EXPECT_FALSE(selectsDecision("z_a.1.2", 2.0f));
    EXPECT_FALSE(selectsDecision("z_a.1.2", -1.0f));
    EXPECT_FALSE(selectsDecision("z_a.1.2", std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(selectsDecision("z_a.1.2", std::numeric_limits<float>::infinity()));
}

TEST(ZName, CutAsResolveParalogsCutsThem) {
    const auto cut = cutZName("z_fam.12.3");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->family, "fam");
    EXPECT_EQ(cut->from, 12u);
    EXPECT_EQ(cut->to, 3u);
    for (const char* bad : {"z", "z_", "z_a", "z_a.1", "z_a.1.", "z_a..1", "z_.1.1", "z.a.1.1", "y_a.1.1", "z_a.1.2x",
                            "z_a.1.-2", "z_a. 1.2"})
        EXPECT_FALSE(cutZName(bad)) << bad;
}

}  // namespace
}  // namespace rp
