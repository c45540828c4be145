// Fixed-width texts for host parameter displays: at most 8 characters and a terminator.
#pragma once

#include <cstdint>

namespace valuetext {

constexpr int kTextCapacity = 9;
constexpr const char* kMinusInfinity = "  -oo   ";
constexpr const char* kHuge = " Huge!  ";

// Sign, integer digits, point and as many fraction digits as fit, every digit truncated.
void formatFloat(double value, char* text);
// Right-aligned in seven characters, cut after eight.
void formatLong(int32_t value, char* text);

} // namespace valuetext
