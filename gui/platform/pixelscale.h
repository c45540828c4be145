// Whole-number enlargement for high-density screens. The toolkit keeps drawing at 1x; a platform
// window shows every pixel as a factor x factor block and maps the pointer back, so that every
// control behaves as it does at 1x.
#pragma once

#include "gui/geometry.h"
#include "gui/platform/editbox.h"
#include "gui/render/surface.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

class PixelScale {
public:
    static constexpr int32_t kLargest = 4;

    // Factors outside 1..kLargest become the nearest of them.
    explicit PixelScale(int32_t factor = 1);

    int32_t factor() const { return by; }
    int32_t up(int32_t length) const;
    // The window pixels that show the pixels of `area`.
    Rect up(const Rect& area) const;
    // The edit box over a 1x area: placed and sized in window pixels, its text enlarged.
    EditBoxLayout up(const EditBoxLayout& layout) const;
    // The 1x pixel that shows window pixel `where`; rounds down, so that points left of or above
    // the window stay outside it.
    Point down(Point where) const;
    // Writes `area` of `source` enlarged into `target` (factor times source's size) and returns the
    // window pixels written. Only the area is touched, so presenting a small change stays cheap.
    Rect enlarge(const Surface& source, const Rect& area, Surface& target) const;

private:
    int32_t by;
};

// The scale GLIDEFILTER_SCALE asks for: a whole number from 1 to PixelScale::kLargest; 0 when the
// text is absent or anything else.
int32_t scaleSetting(const char* text);
// The editor's scale: GLIDEFILTER_SCALE when it holds a scale, else the host's (0: none), else
// what the desktop asks for, asked only then.
template <typename DesktopScale>
int32_t chosenScale(int32_t hostScale, DesktopScale desktopScale) {
    const int32_t chosen = scaleSetting(std::getenv("GLIDEFILTER_SCALE"));
    if (chosen != 0) {
        return chosen;
    }
    return hostScale != 0 ? hostScale : desktopScale();
}
// The scale a screen of `dpi` dots per inch asks for: dpi rounded to a multiple of 96, half up,
// from 1 to PixelScale::kLargest; 1 when dpi is not a positive number.
int32_t scaleFromDpi(double dpi);
// The scale a desktop's X resources (as the resource manager holds them, one "name: value" a
// line) ask for: Xft.dpi rounded to a multiple of 96, half up, at most PixelScale::kLargest; 1
// when there is no such resource or its value cannot be read.
int32_t scaleFromResources(std::string_view resources);
