#include "effect/filter.h"

#include <cmath>

namespace {

constexpr double kSmallestNormal = 1.1754943508222875e-38;

} // namespace

void Filter::clearHistory() {
    for (int c = 0; c < 2; ++c) {
        x1[c] = x2[c] = y1[c] = y2[c] = 0.0f;
    }
}

void Filter::flushDenormalHistory() {
    for (int c = 0; c < 2; ++c) {
        if (!(std::fabs(static_cast<double>(y1[c])) > kSmallestNormal)) {
            x1[c] = x2[c] = y1[c] = y2[c] = 0.0f;
        }
    }
}
