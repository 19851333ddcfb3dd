// A variable's value converted to float: the quick path for plain decimal
// texts agrees with the stream conversion wherever it takes a text, and
// declines what it does not take.
#include <gtest/gtest.h>

#include <string>

#include "solution/variable_value.hpp"

namespace rp {
namespace {

TEST(VariableValue, StreamConversion) {
    const struct {
        const char* text;
        bool converts;
        float value;
    } cases[] = {
        {"1", true, 1.0f},        {" 1 ", true, 1.0f},    {"\t-0.5\n", true, -0.5f}, {"1e-12", true, 1e-12f},
        {"0.99999999960000003", true, 1.0f}, {"", false, 0}, {"1x", false, 0}, {"x", false, 0},
        {"1 2", false, 0},        {"+3", true, 3.0f},
    };
    for (const auto& c : cases) {
        float value = -7;
        EXPECT_EQ(convertValue(c.text, value), c.converts) << c.text;
        if (c.converts) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

// Wherever the quick path takes a text, it gives convertValue's float.
TEST(VariableValue, PlainNumbersAgreeWithTheStreamConversion) {
    const char* const texts[] = {"0", "1", "-0", "-1", "7", " 1", "1 ", "0.5", ".5", "5.", "1e3", "1E-3", "-2.5e+2",
                                 "0.99999999960000003", "123456789012", "3.4e38", "1e39", "1e-50", "00012",
                                 "1e", "e1", "+", "-", ".", "1.2.3", "0x10", "inf", "nan", "1,5"};
    std::size_t taken = 0;
    for (const char* text : texts) {
        float quick = -7;
        if (!convertPlainNumber(text, true, quick)) continue;
        ++taken;
        float exact = -9;
        ASSERT_TRUE(convertValue(text, exact)) << text;
        EXPECT_EQ(quick, exact) << text;
    }
    EXPECT_GE(taken, 15u) << "the quick path takes the plain decimal texts";
    float unused = 0;
    for (const char* declined : {"1e", "e1", "+", ".", "1.2.3", "0x10", "inf", "nan", "1,5", "1e39"})
        EXPECT_FALSE(convertPlainNumber(declined, true, unused)) << declined;
}

}  // namespace
}  // namespace rp
