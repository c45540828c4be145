// The toolkit's pixel point, rectangle and colour, with the named colours and input bits.
#pragma once

#include <cstdint>

struct Point {
    int32_t h = 0;
    int32_t v = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

// Right and bottom edges count as inside: a view's rectangle is also its hit area.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    // Saturated, so that far-off rectangles cannot overflow.
    int32_t width() const { return saturate(int64_t{right} - left); }
    int32_t height() const { return saturate(int64_t{bottom} - top); }
    bool contains(Point p) const {
        return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom;
    }
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
