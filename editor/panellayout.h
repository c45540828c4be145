// Where the editor puts its controls on the 225 x 140 panel, and the picture sizes it expects.
// The editor, the artwork generator and the artwork tests all read it, so that the panel and its
// pictures cannot disagree; it depends on nothing of the project.
#pragma once

#include <array>
#include <string_view>

namespace panel {

inline constexpr int kPanelWidth = 225;
inline constexpr int kPanelHeight = 140;

inline constexpr int kKnobFrameWidth = 33;
inline constexpr int kKnobFrameHeight = 30;
// The editor shows 29 rows of each 30-row frame; the last row is never seen.
inline constexpr int kKnobVisibleHeight = 29;
inline constexpr int kKnobFrameCount = 64;

// A switch picture holds the off state above the lit one, each this size square.
inline constexpr int kSwitchSize = 11;

// Pixel rectangle in panel coordinates, as the toolkit's Rect: right and bottom lie one past the
// last column and row, so a control's place is its view's size.
struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;

    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    constexpr bool overlaps(const PixelRect& other) const {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    constexpr bool contains(const PixelRect& other) const {
        return left <= other.left && other.right <= right && top <= other.top &&
               other.bottom <= bottom;
    }
    constexpr PixelRect grown(int margin) const {
        return {left - margin, top - margin, right + margin, bottom + margin};
    }
    // What a control placed here may touch: the boxes the plug-in draws are outlined through
    // their corners, which paints the column at right and the row at bottom, and presses there
    // hit every control (Rect::outlined()).
    constexpr PixelRect outlined() const { return {left, top, right + 1, bottom + 1}; }
};

// The three film strips; the resonance and gain knobs share the second.
enum class KnobStrip { Frequency, ResonanceGain, Smoothness };
inline constexpr int kKnobStripCount = 3;

// A knob with its read-out below it.
struct Column {
    KnobStrip strip;
    PixelRect knob;
    PixelRect display;
    float defaultValue;
};

// Left to right: frequency, resonance, smoothness, gain.
inline constexpr std::array<Column, 4> kColumns{{
    {KnobStrip::Frequency, {7, 46, 41, 75}, {8, 79, 39, 88}, 0.5f},
    {KnobStrip::ResonanceGain, {51, 46, 84, 75}, {51, 79, 82, 88}, 0.1f},
    {KnobStrip::Smoothness, {94, 46, 127, 75}, {94, 79, 125, 88}, 0.1f},
    {KnobStrip::ResonanceGain, {185, 46, 218, 75}, {185, 79, 216, 88}, 0.5f},
}};

// The controller-number fields of cutoff, resonance and smoothness.
inline constexpr std::array<PixelRect, 3> kFields{{
    {8, 105, 39, 114},
    {51, 105, 82, 114},
    {94, 105, 125, 114},
}};

constexpr PixelRect switchAt(int left, int top) {
    return {left, top, left + kSwitchSize, top + kSwitchSize};
}

// Low-pass, high-pass, then the learn switches of cutoff, resonance and smoothness.
inline constexpr std::array<PixelRect, 5> kSwitches{{
    switchAt(137, 54),
    switchAt(137, 75),
    switchAt(7, 120),
    switchAt(50, 120),
    switchAt(94, 120),
}};

enum class ControlKind { Knob, Display, Field, Switch };

struct ControlPlace {
    std::string_view name;
    ControlKind kind;
    PixelRect rect;
};

// Every control by name, for the artwork's checks and pictures.
inline constexpr std::array<ControlPlace, 16> kControls{{
    {"frequency knob", ControlKind::Knob, kColumns[0].knob},
    {"resonance knob", ControlKind::Knob, kColumns[1].knob},
    {"smoothness knob", ControlKind::Knob, kColumns[2].knob},
    {"gain knob", ControlKind::Knob, kColumns[3].knob},
    {"frequency display", ControlKind::Display, kColumns[0].display},
    {"resonance display", ControlKind::Display, kColumns[1].display},
    {"smoothness display", ControlKind::Display, kColumns[2].display},
    {"gain display", ControlKind::Display, kColumns[3].display},
    {"cutoff controller field", ControlKind::Field, kFields[0]},
    {"resonance controller field", ControlKind::Field, kFields[1]},
    {"smoothness controller field", ControlKind::Field, kFields[2]},
    {"low-pass switch", ControlKind::Switch, kSwitches[0]},
    {"high-pass switch", ControlKind::Switch, kSwitches[1]},
    {"learn cutoff switch", ControlKind::Switch, kSwitches[2]},
    {"learn resonance switch", ControlKind::Switch, kSwitches[3]},
    {"learn smoothness switch", ControlKind::Switch, kSwitches[4]},
}};

// Frame centre of every knob picture: centred in the 33 x 29 area the editor shows.
inline constexpr double kKnobCentreX = kKnobFrameWidth / 2.0;
inline constexpr double kKnobCentreY = kKnobVisibleHeight / 2.0;

} // namespace panel
