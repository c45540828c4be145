// Pixel-test helpers: pictures of a surface area as text, and PNG dumps of failing surfaces.
#pragma once

#include "gui/render/surface.h"
#include "tools/common/png.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <ostream>
#include <string>

inline void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

inline void PrintTo(const Point& p, std::ostream* out) {
    *out << "(" << p.h << ", " << p.v << ")";
}

// One text row per surface row of `area` (right and bottom exclusive): '#' where the pixel is
// `ink`, '.' where it is anything else.
inline std::string picture(const Surface& surface, const Rect& area, uint32_t ink) {
    std::string text;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) {
            text += surface.pixel(x, y) == ink ? '#' : '.';
        }
        text += '\n';
    }
    return text;
}

// The smallest rectangle (right and bottom exclusive) holding every pixel that is not `empty`.
inline Rect inkedArea(const Surface& surface, uint32_t empty) {
    Rect area{surface.width(), surface.height(), 0, 0};
    for (int32_t y = 0; y < surface.height(); ++y) {
        for (int32_t x = 0; x < surface.width(); ++x) {
            if (surface.pixel(x, y) != empty) {
                area = {std::min(area.left, x), std::min(area.top, y), std::max(area.right, x + 1),
                        std::max(area.bottom, y + 1)};
            }
        }
    }
    return area.right > area.left ? area : Rect{};
}

// How many pixels of two equally sized surfaces differ; -1 when their sizes differ.
inline int differingPixels(const Surface& a, const Surface& b) {
    if (a.width() != b.width() || a.height() != b.height()) {
        return -1;
    }
    int differing = 0;
    for (int32_t y = 0; y < a.height(); ++y) {
        for (int32_t x = 0; x < a.width(); ++x) {
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return differing;
}

// `surface` with every pixel repeated scale x scale times, as a window at that scale shows it.
inline Surface enlargedBy(const Surface& surface, int32_t scale) {
    Surface large(surface.width() * scale, surface.height() * scale);
    for (int32_t y = 0; y < large.height(); ++y) {
        for (int32_t x = 0; x < large.width(); ++x) {
            large.setPixel(x, y, surface.pixel(x / scale, y / scale));
        }
    }
    return large;
}

// Saves the surface with the tools' PNG writer; false (and no file) when it cannot.
inline bool writePng(const Surface& surface, const std::string& path) {
    RgbImage image(surface.width(), surface.height());
    std::transform(surface.data(), surface.data() + image.pixels.size(), image.pixels.begin(),
                   [](uint32_t pixel) { return pixel & 0xffffffu; });
    try {
        writePng(image, path);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Saves the surface as <test name>.png in the working directory when the current test has failed,
// so the picture can be looked at.
inline void dumpIfFailed(const Surface& surface) {
    if (!::testing::Test::HasFailure()) {
        return;
    }
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string path = std::string(test->test_suite_name()) + "." + test->name() + ".png";
    if (writePng(surface, path)) {
        ADD_FAILURE() << "the surface is saved as " << path;
    }
}
