#include "frame/valuetext.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace valuetext {
namespace {

constexpr int kWidth = 8;

int digitOf(double value) {
    return static_cast<int>(std::fmod(value, 10.0));
}

// Builds "digits." right to left, as the digit loop of the classic tool does. Returns the
// count of characters used so far, the optional sign included.
int writeIntegerPart(double magnitude, bool negative, char* text) {
    char scratch[kWidth + 1];
    int end = kWidth;
    scratch[end] = '\0';
    scratch[--end] = '.';
    int count = negative ? 2 : 1;
    double integer = std::floor(magnitude);
    scratch[--end] = static_cast<char>('0' + digitOf(integer));
    integer *= 0.1;
    ++count;
    while (integer >= 1.0 && count < kWidth) {
        scratch[--end] = static_cast<char>('0' + digitOf(integer));
        integer *= 0.1;
        ++count;
    }
    if (negative) {
        scratch[--end] = '-';
    }
    std::strcpy(text, scratch + end);
    return count;
}

void appendFraction(double magnitude, int digits, char* text) {
    double scaled = std::fmod(magnitude, 1.0) * std::pow(10.0, digits);
    char* out = text + std::strlen(text);
    for (int position = digits - 1; position >= 0; --position) {
        int digit = 0;
        if (scaled > 0.0) {
            digit = digitOf(scaled);
            scaled *= 0.1;
        }
        out[position] = static_cast<char>('0' + digit);
    }
    out[digits] = '\0';
}

// Integer parts that leave no room for the point: the whole number, without point, still
// fits the eight characters and shows every digit (the digit loop alone would drop the first).
bool integerFillsWidth(double magnitude, bool negative) {
    return magnitude >= (negative ? 1000000.0 : 10000000.0);
}

} // namespace

void formatFloat(double value, char* text) {
    if (std::isnan(value)) {
        std::strcpy(text, "  NaN   ");
        return;
    }
    const bool negative = value < 0.0;
    const double magnitude = negative ? -value : value;
    if (magnitude > (negative ? 9999999.0 : 99999999.0)) {
        std::strcpy(text, kHuge);
        return;
    }
    if (integerFillsWidth(magnitude, negative)) {
        std::snprintf(text, kTextCapacity, "%s%lld", negative ? "-" : "",
                      static_cast<long long>(std::floor(magnitude)));
        return;
    }
    const int count = writeIntegerPart(magnitude, negative, text);
    if (count < kWidth) {
        appendFraction(magnitude, kWidth - count, text);
    }
}

void formatLong(int32_t value, char* text) {
    if (value >= 100000000 || value < -9999999) {
        std::strcpy(text, kHuge);
        return;
    }
    char scratch[16];
    std::snprintf(scratch, sizeof scratch, "%7d", value);
    scratch[kWidth] = '\0';
    std::strcpy(text, scratch);
}

} // namespace valuetext
