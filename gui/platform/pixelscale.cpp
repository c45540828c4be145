#include "gui/platform/pixelscale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The dpi of a desktop at 1x.
constexpr double kBaseDpi = 96.0;
constexpr std::string_view kDpiResource = "Xft.dpi";

int32_t floorDivide(int32_t value, int32_t by) {
    const int32_t quotient = value / by;
    return value % by < 0 ? quotient - 1 : quotient;
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The value of the last line naming `name` (later lines override earlier ones), or empty.
std::string_view resourceValue(std::string_view resources, std::string_view name) {
    std::string_view value;
    while (!resources.empty()) {
        const size_t end = std::min(resources.find('\n'), resources.size());
        const std::string_view line = resources.substr(0, end);
        resources.remove_prefix(std::min(end + 1, resources.size()));
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && trimmed(line.substr(0, colon)) == name) {
            value = trimmed(line.substr(colon + 1));
        }
    }
    return value;
}

// The whole text as a number of type T, or `otherwise`.
template <typename T>
T number(std::string_view text, T otherwise) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return text.empty() || error != std::errc{} || end != text.data() + text.size() ? otherwise
                                                                                    : value;
}

} // namespace

PixelScale::PixelScale(int32_t factor) : by(std::clamp(factor, 1, kLargest)) {}

int32_t PixelScale::up(int32_t length) const {
    // Saturated: a view may lie anywhere.
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{length} * by, INT32_MIN, INT32_MAX));
}

Rect PixelScale::up(const Rect& area) const {
    return {up(area.left), up(area.top), up(area.right), up(area.bottom)};
}

EditBoxLayout PixelScale::up(const EditBoxLayout& layout) const {
    return {up(layout.area), layout.fontId, layout.scale * by};
}

Point PixelScale::down(Point where) const {
    return {floorDivide(where.h, by), floorDivide(where.v, by)};
}

Rect PixelScale::enlarge(const Surface& source, const Rect& area, Surface& target) const {
    const Rect clipped{std::max(area.left, 0), std::max(area.top, 0),
                       std::min(area.right, source.width()),
                       std::min(area.bottom, source.height())};
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom ||
        target.width() != up(source.width()) || target.height() != up(source.height())) {
        return {};
    }
    const Rect shown = up(clipped);
    for (int32_t y = clipped.top; y < clipped.bottom; ++y) {
        const uint32_t* from = source.data() + static_cast<size_t>(y) * source.width();
        uint32_t* firstRow = target.data() + static_cast<size_t>(y * by) * target.width();
        uint32_t* to = firstRow + shown.left;
        for (int32_t x = clipped.left; x < clipped.right; ++x) {
            to = std::fill_n(to, by, from[x]);
        }
        // The row's copies below it are the same pixels.
        for (int32_t copy = 1; copy < by; ++copy) {
            std::copy(firstRow + shown.left, firstRow + shown.right,
                      firstRow + static_cast<size_t>(copy) * target.width() + shown.left);
        }
    }
    target.markChanged(shown);
    return shown;
}

int32_t scaleSetting(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const int32_t value = number(trimmed(text), 0);
    return value >= 1 && value <= PixelScale::kLargest ? value : 0;
}

int32_t scaleFromResources(std::string_view resources) {
    return scaleFromDpi(number(resourceValue(resources, kDpiResource), 0.0));
}

int32_t scaleFromDpi(double dpi) {
    if (!(dpi > 0.0) || !std::isfinite(dpi)) {
        return 1;
    }
    const double multiple = std::floor(dpi / kBaseDpi + 0.5);
    return static_cast<int32_t>(std::clamp(multiple, 1.0, double{PixelScale::kLargest}));
}
