// The toolkit's pixel point, rectangle and colour, with the named colours and input bits.
#pragma once

#include <cstdint>

struct Point {
    int32_t h = 0;
    int32_t v = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

// Right and bottom lie one past the last column and row: width = right - left, and the pixels of
// a rectangle, the block a copy fills and the clip of text are left <= x < right, top <= y <
// bottom. Outlines are drawn through the corner points themselves, so they also paint the column
// at `right` and the row at `bottom`: that is outlined(), and a view's hit area is the same.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // Saturated, so that far-off rectangles cannot overflow.
    int32_t width() const { return saturate(int64_t{right} - left); }
    int32_t height() const { return saturate(int64_t{bottom} - top); }
    // The pixels an outline through the four corners paints.
    Rect outlined() const {
        return {left, top, saturate(int64_t{right} + 1), saturate(int64_t{bottom} + 1)};
    }
    // The pixels inside that outline, which the fills paint.
    Rect insideOutline() const {
        return {saturate(int64_t{left} + 1), saturate(int64_t{top} + 1), right, bottom};
    }
    // Whether a press at p hits a view of this size: anywhere in outlined(), so a press on the
    // right or bottom edge counts.
    bool hitBy(Point p) const { return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom; }
    friend bool operator==(const Rect&, const Rect&) = default;

private:
    static constexpr int32_t saturate(int64_t value) {
        return static_cast<int32_t>(value < INT32_MIN ? INT32_MIN
                                                      : (value > INT32_MAX ? INT32_MAX : value));
    }
};

// The fourth byte is carried but ignored everywhere, comparisons included.
struct Colour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused = 0;

    friend bool operator==(const Colour& a, const Colour& b) {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
};

inline constexpr Colour WhiteColour{255, 255, 255, 0};
inline constexpr Colour BlackColour{0, 0, 0, 0};
inline constexpr Colour GreyColour{127, 127, 127, 0};
inline constexpr Colour RedColour{255, 0, 0, 0};
inline constexpr Colour GreenColour{0, 255, 0, 0};
inline constexpr Colour BlueColour{0, 0, 255, 0};
inline constexpr Colour YellowColour{255, 255, 0, 0};
inline constexpr Colour CyanColour{0, 255, 255, 0};
inline constexpr Colour MagentaColour{255, 0, 255, 0};
// Pixels of this colour are left out by a bitmap's transparent draw.
inline constexpr Colour TransparentColour{255, 255, 255, 0};

// The bits of getMouseButtons; controls compare the whole word.
enum MouseBits : int32_t {
    ButtonLeft = 1,
    ButtonMiddle = 2,
    ButtonRight = 4,
    ModShift = 8,
    ModControl = 16,
    ModAlt = 32,
};

enum LineStyle : int32_t { LineSolid = 0, LineDotted = 1 };

enum TextAlignment : int32_t { AlignLeft = 0, AlignCentre = 1, AlignRight = 2 };
