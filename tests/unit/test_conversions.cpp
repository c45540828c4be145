// The editor's read-out texts and the controller-number parser.
#include "editor/conversions.h"

#include <gtest/gtest.h>

#include <string>

using namespace conversions;

namespace {

template <typename Conversion>
std::string textOf(Conversion conversion, float value) {
    char text[256] = {};
    conversion(value, text);
    return text;
}

} // namespace

TEST(Conversions, ReadOutsShowScaledValues) {
    EXPECT_EQ(textOf(scaledIntegerText, 0.0f), "0");
    EXPECT_EQ(textOf(scaledIntegerText, 0.5f), "63");
    EXPECT_EQ(textOf(scaledIntegerText, 0.1f), "12");
    EXPECT_EQ(textOf(scaledIntegerText, 1.0f), "127");
    EXPECT_EQ(textOf(gainText, 0.0f), "-24.00");
    EXPECT_EQ(textOf(gainText, 0.5f), "-12.00");
    EXPECT_EQ(textOf(gainText, 1.0f), "0.00");
    EXPECT_EQ(textOf(gainText, 0.9999f), "-0.00");
}

TEST(Conversions, ControllerTextShowsOffForTheLastStep) {
    EXPECT_EQ(textOf(controllerText, 1.0f), "OFF");
    EXPECT_EQ(textOf(controllerText, 0.5546875f), "71");
    EXPECT_EQ(textOf(controllerText, 0.999f), "127");
    EXPECT_EQ(textOf(controllerText, 0.0f), "0");
}

TEST(Conversions, TypedControllerNumbers) {
    const std::pair<const char*, float> cases[] = {
        {"64", 0.5f},
        {"0", 0.0f},
        {"127", 127 * 0.0078125f},
        {"12abc", 12 * 0.0078125f},
        {"007", 7 * 0.0078125f},
        {"200", 1.0f},
        {"128", 1.0f},
        {"abc", 1.0f},
        {"", 1.0f},
        {"-5", 1.0f},
        {" 5", 1.0f},
        {"99999999999999999999", 1.0f},
        {"0000000000000000000000000042", 42 * 0.0078125f},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(parseController(text), value) << '"' << text << '"';
    }
    EXPECT_EQ(parseController(nullptr), 1.0f);
}

TEST(Conversions, EveryParsedNumberShowsAsItsCanonicalText) {
    for (int number = 0; number < 128; ++number) {
        const std::string typed = std::to_string(number);
        EXPECT_EQ(textOf(controllerText, parseController(typed.c_str())), typed);
    }
}
