// The fixed-width texts of the frame's value-to-text tools.
#include "frame/valuetext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

std::string floatText(double value) {
    char text[valuetext::kTextCapacity + 8];
    std::memset(text, 'x', sizeof text);
    valuetext::formatFloat(value, text);
    return text;
}

std::string longText(int32_t value) {
    char text[valuetext::kTextCapacity + 8];
    valuetext::formatLong(value, text);
    return text;
}

struct FloatCase {
    double value;
    const char* text;
};

} // namespace

TEST(ValueText, FloatDigitsAreTruncatedIntoEightCharacters) {
    const FloatCase cases[] = {
        {0.0, "0.000000"},
        {1.5, "1.500000"},
        {-3.25, "-3.25000"},
        {-0.5, "-0.50000"},
        {10.0, "10.00000"},
        {44100.0, "44100.00"},
        {1234567.0, "1234567."},
        {static_cast<double>(0.7f), "0.699999"},
        {static_cast<double>(2.9999998f), "2.999999"},
        {-0.0, "0.000000"},
        {static_cast<double>(99999999.0f), " Huge!  "},
        {-9999999.5, " Huge!  "},
        {1e30, " Huge!  "},
        {-1e30, " Huge!  "},
    };
    for (const FloatCase& example : cases) {
        EXPECT_EQ(floatText(example.value), example.text) << example.value;
    }
}

// The classic digit loop would drop the leading digit of these; every digit is kept instead.
TEST(ValueText, IntegerPartsThatFillTheWidthKeepEveryDigit) {
    EXPECT_EQ(floatText(12345678.0), "12345678");
    EXPECT_EQ(floatText(99999998.0), "99999998");
    EXPECT_EQ(floatText(-1234567.0), "-1234567");
    EXPECT_EQ(floatText(-9999999.0), "-9999999");
}

TEST(ValueText, EveryFloatTextIsEightCharacters) {
    for (double value = -2e7; value < 2e8; value = value * -3.7 + 0.123) {
        EXPECT_EQ(floatText(value).size(), 8u) << value;
        if (value > -1e-3 && value < 1e-3) {
            break;
        }
    }
    EXPECT_EQ(floatText(std::nan("")).size(), 8u);
}

TEST(ValueText, LongTextsAreRightAlignedInSeven) {
    EXPECT_EQ(longText(42), "     42");
    EXPECT_EQ(longText(-5), "     -5");
    EXPECT_EQ(longText(12345678), "12345678");
    EXPECT_EQ(longText(99999999), "99999999");
    EXPECT_EQ(longText(-9999999), "-9999999");
    EXPECT_EQ(longText(100000000), " Huge!  ");
    EXPECT_EQ(longText(-10000000), " Huge!  ");
}
