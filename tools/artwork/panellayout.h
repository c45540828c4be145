// Where the editor puts its controls on the 225 x 140 panel, and the picture sizes it expects.
#pragma once

#include <array>
#include <string_view>

namespace artwork {

inline constexpr int kPanelWidth = 225;
inline constexpr int kPanelHeight = 140;

inline constexpr int kKnobFrameWidth = 33;
inline constexpr int kKnobFrameHeight = 30;
// The editor shows 29 rows of each 30-row frame; the last row is never seen.
inline constexpr int kKnobVisibleHeight = 29;
inline constexpr int kKnobFrameCount = 64;

inline constexpr int kSwitchSize = 11;

// Pixel rectangle in panel coordinates. Boxes drawn by the plug-in paint right and bottom too,
// so overlap checks treat both edges as covered.
struct PixelRect {
    int left;
    int top;
    int right;
    int bottom;

    constexpr bool overlaps(const PixelRect& other) const {
        return left <= other.right && other.left <= right && top <= other.bottom &&
               other.top <= bottom;
    }
    constexpr bool contains(const PixelRect& other) const {
        return left <= other.left && other.right <= right && top <= other.top &&
               other.bottom <= bottom;
    }
    constexpr PixelRect grown(int margin) const {
        return {left - margin, top - margin, right + margin, bottom + margin};
    }
};

enum class ControlKind { Knob, Display, Field, Switch };

struct ControlPlace {
    std::string_view name;
    ControlKind kind;
    PixelRect rect;
};

inline constexpr std::array<ControlPlace, 16> kControls{{
    {"frequency knob", ControlKind::Knob, {7, 46, 41, 75}},
    {"resonance knob", ControlKind::Knob, {51, 46, 84, 75}},
    {"smoothness knob", ControlKind::Knob, {94, 46, 127, 75}},
    {"gain knob", ControlKind::Knob, {185, 46, 218, 75}},
    {"frequency display", ControlKind::Display, {8, 79, 39, 88}},
    {"resonance display", ControlKind::Display, {51, 79, 82, 88}},
    {"smoothness display", ControlKind::Display, {94, 79, 125, 88}},
    {"gain display", ControlKind::Display, {185, 79, 216, 88}},
    {"cutoff controller field", ControlKind::Field, {8, 105, 39, 114}},
    {"resonance controller field", ControlKind::Field, {51, 105, 82, 114}},
    {"smoothness controller field", ControlKind::Field, {94, 105, 125, 114}},
    {"low-pass switch", ControlKind::Switch, {137, 54, 148, 65}},
    {"high-pass switch", ControlKind::Switch, {137, 75, 148, 86}},
    {"learn cutoff switch", ControlKind::Switch, {7, 120, 18, 131}},
    {"learn resonance switch", ControlKind::Switch, {50, 120, 61, 131}},
    {"learn smoothness switch", ControlKind::Switch, {94, 120, 105, 131}},
}};

// The three film strips; the resonance and gain knobs share the second.
enum class KnobStrip { Frequency, ResonanceGain, Smoothness };

struct KnobPlace {
    KnobStrip strip;
    PixelRect rect;
    float defaultValue;
};

inline constexpr std::array<KnobPlace, 4> kKnobs{{
    {KnobStrip::Frequency, kControls[0].rect, 0.5f},
    {KnobStrip::ResonanceGain, kControls[1].rect, 0.1f},
    {KnobStrip::Smoothness, kControls[2].rect, 0.1f},
    {KnobStrip::ResonanceGain, kControls[3].rect, 0.5f},
}};

// Frame centre of every knob picture: centred in the 33 x 29 area the editor shows.
inline constexpr double kKnobCentreX = kKnobFrameWidth / 2.0;
inline constexpr double kKnobCentreY = kKnobVisibleHeight / 2.0;

} // namespace artwork
