#include "editor/conversions.h"

#include "effect/parameters.h"

#include <cstdint>
#include <cstdio>

namespace conversions {
namespace {

constexpr int kTextCapacity = 7;

bool isDigit(char character) {
    return character >= '0' && character <= '9';
}

} // namespace

void scaledIntegerText(float value, char* text) {
    std::snprintf(text, kTextCapacity, "%d", readoutNumber(value));
}

void gainText(float value, char* text) {
    std::snprintf(text, kTextCapacity, "%2.2f", gainDecibels(value));
}

void controllerText(float value, char* text) {
    writeControllerNumber(controllerNumber(value), text);
}

float parseController(const char* text) {
    if (text == nullptr || !isDigit(text[0])) {
        return controllerValue(kControllerOff);
    }
    int32_t number = 0;
    // Stops as soon as the number leaves the controller range, so long digit runs cannot
    // overflow.
    for (const char* digit = text; isDigit(*digit); ++digit) {
        number = number * 10 + (*digit - '0');
        if (number > kHighestController) {
            return controllerValue(kControllerOff);
        }
    }
    return controllerValue(number);
}

} // namespace conversions
