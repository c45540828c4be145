#include "editor/conversions.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace conversions {
namespace {

constexpr int32_t kControllerOff = 128;
constexpr int32_t kHighestController = 127;
constexpr double kControllerStep = 0.0078125;
constexpr int kTextCapacity = 7;

bool isDigit(char character) {
    return character >= '0' && character <= '9';
}

} // namespace

void scaledIntegerText(float value, char* text) {
    std::snprintf(text, kTextCapacity, "%d", static_cast<int32_t>(value * 127.0));
}

void gainText(float value, char* text) {
    std::snprintf(text, kTextCapacity, "%2.2f", (value - 1.0) * 24.0);
}

void controllerText(float value, char* text) {
    const auto number = static_cast<int32_t>(value * 128.0);
    if (number == kControllerOff) {
        std::strcpy(text, "OFF");
    } else {
        std::snprintf(text, kTextCapacity, "%d", number);
    }
}

float parseController(const char* text) {
    if (text == nullptr || !isDigit(text[0])) {
        return 1.0f;
    }
    int32_t number = 0;
    // Stops as soon as the number leaves the controller range, so long digit runs cannot
    // overflow.
    for (const char* digit = text; isDigit(*digit); ++digit) {
        number = number * 10 + (*digit - '0');
        if (number > kHighestController) {
            return 1.0f;
        }
    }
    return static_cast<float>(number * kControllerStep);
}

} // namespace conversions
