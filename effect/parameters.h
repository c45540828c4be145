// The effect's parameters: their indices and names, and what a parameter value of 0..1 (or a MIDI
// data byte) means in the units the filter, the host's displays and the editor work in.
#pragma once

#include "effect/filtertables.h"

#include <cstdint>

enum ParameterIndex : int32_t {
    kFilterType = 0,
    kFrequency,
    kResonance,
    kSmoothness,
    kGain,
    kCcCutoff,
    kCcRezo,
    kCcSmooth,
    kNumParams,
};

// What a parameter is: an on/off switch of two named positions, a continuous value, or a
// controller number (0..127, or 128 for none).
enum class ParameterKind { toggle, continuous, controller };

// The unit a host shows beside a parameter's value.
enum class ParameterUnit { none, percent, decibels };

// A value with a name of its own: a switch's positions, a controller parameter's "off".
struct NamedValue {
    float units;
    const char* label;
};

// Everything about a parameter that a plug-in describes to its hosts. A value 0..1 maps linearly
// onto minimum..maximum in the parameter's units, which hosts display and ports carry.
struct ParameterInfo {
    const char* symbol;
    const char* name;
    ParameterKind kind;
    ParameterUnit unit;
    double minimum;
    double maximum;
    // Program 0's value 0..1, every program's until the host changes it.
    float programDefault;
    // Shown as a whole number, truncated, instead of with two decimals.
    bool wholeNumbers;
    // Up to two; an empty label ends the list.
    NamedValue named[2];
};

inline constexpr ParameterInfo kParameters[kNumParams] = {
    {"type",
     "Flt.type",
     ParameterKind::toggle,
     ParameterUnit::none,
     0.0,
     1.0,
     0.0f,
     true,
     {{0.0f, "LPF"}, {1.0f, "HPF"}}},
    {"frequency",
     "Frequency",
     ParameterKind::continuous,
     ParameterUnit::percent,
     0.0,
     100.0,
     0.5f,
     false,
     {}},
    {"resonance",
     "Reso/BW",
     ParameterKind::continuous,
     ParameterUnit::percent,
     0.0,
     100.0,
     0.1f,
     false,
     {}},
    {"smoothness",
     "Smoothness",
     ParameterKind::continuous,
     ParameterUnit::none,
     0.0,
     100.0,
     0.1f,
     true,
     {}},
    {"gain",
     "Gain",
     ParameterKind::continuous,
     ParameterUnit::decibels,
     -24.0,
     0.0,
     0.5f,
     false,
     {}},
    {"cc_cutoff",
     "CC Cutoff",
     ParameterKind::controller,
     ParameterUnit::none,
     0.0,
     128.0,
     0.5546875f,
     true,
     {{128.0f, "OFF"}}},
    {"cc_rezo",
     "CC Rezo",
     ParameterKind::controller,
     ParameterUnit::none,
     0.0,
     128.0,
     1.0f,
     true,
     {{128.0f, "OFF"}}},
    {"cc_smooth",
     "CC Smooth",
     ParameterKind::controller,
     ParameterUnit::none,
     0.0,
     128.0,
     0.0390625f,
     true,
     {{128.0f, "OFF"}}},
};

// Not-a-number compares false with 0.0 and becomes 0.0.
constexpr float clampedUnit(float value) {
    if (!(value >= 0.0f)) {
        return 0.0f;
    }
    return value > 1.0f ? 1.0f : value;
}

constexpr bool isControllerParameter(int32_t index) {
    return index >= 0 && index < kNumParams && kParameters[index].kind == ParameterKind::controller;
}

// A controller parameter holds a controller number n as n/128; 128 (the value 1.0) is "off".
constexpr int32_t kHighestController = 127;
constexpr int32_t kControllerOff = 128;
constexpr double kControllerStep = 1.0 / 128.0;

constexpr int32_t controllerNumber(float value) {
    return static_cast<int32_t>(value * 128.0);
}

constexpr float controllerValue(int32_t number) {
    return static_cast<float>(number * kControllerStep);
}

// What a parameter holds for a value a host gives: clamped to 0..1, a controller parameter's
// rounded down to a whole controller number. A switch keeps the value it was given, which its
// host reads back.
constexpr float storedValue(int32_t index, float value) {
    value = clampedUnit(value);
    return isControllerParameter(index) ? controllerValue(controllerNumber(value)) : value;
}

// A value 0..1 in the parameter's units.
constexpr double unitsOfValue(int32_t index, float value) {
    const ParameterInfo& info = kParameters[index];
    return value * (info.maximum - info.minimum) + info.minimum;
}

// The value 0..1 that a value in the parameter's units means (a port's, a command line's):
// outside the range clamped, not a number the low end; a switch at its nearer position, a
// controller parameter at the nearest whole controller number.
float valueOfUnits(int32_t index, double units);

// A value as a host's display shows it in the parameter's units: a switch's position by name,
// "OFF" for a controller parameter without a controller. Writes at most kParameterTextSize
// characters with the terminator.
constexpr int32_t kParameterTextSize = 24;
void writeDisplayText(int32_t index, float value, char* text);

// A controller number as the host's display and the editor's fields show it, "OFF" for
// kControllerOff; writes at most kControllerTextSize characters with the terminator.
constexpr int32_t kControllerTextSize = 4;
void writeControllerNumber(int32_t number, char* text);

// Gain in decibels: 0..1 is -24..0 dB.
constexpr double gainDecibels(float value) {
    return unitsOfValue(kGain, value);
}

// The editor's knob read-outs: 0..127, kReadoutSteps steps over the range.
constexpr int32_t kReadoutSteps = 127;
constexpr int32_t readoutNumber(float value) {
    return static_cast<int32_t>(value * static_cast<double>(kReadoutSteps));
}

// The cutoff row of a frequency value: the knob reaches rows 0..4095 of the ladder.
constexpr int32_t cutoffRowOf(float frequency) {
    return static_cast<int32_t>(frequency * 4095.0);
}

// The resonance step of a resonance value: 1..128.
constexpr int32_t resonanceStepOf(float resonance) {
    return static_cast<int32_t>(resonance * 127.0 + 1.0);
}

// A controller's data byte 0..127 as a resonance step: 0 is taken as 1, the lowest step.
constexpr int32_t resonanceStepOfData(int32_t data) {
    return data == 0 ? 1 : data;
}

// A controller's data byte 0..127 as a cutoff row: the whole ladder.
constexpr int32_t cutoffRowOfData(int32_t data) {
    return data * kLastFilterRow / 127;
}

// A note's cutoff row: notes 45..105 (others are taken as the nearest), 80 rows a note. The
// ladder has 4799 / 6 = 799.8 rows an octave, so a note is a tenth of an octave, not a
// semitone, and the 60 notes span the six octaves (105 reaches the last row).
constexpr int32_t kLowestNote = 45;
constexpr int32_t kHighestNote = 105;
constexpr int32_t cutoffRowOfNote(int32_t note) {
    constexpr int32_t kRowsPerNote = 80;
    const int32_t clamped = note < kLowestNote    ? kLowestNote
                            : note > kHighestNote ? kHighestNote
                                                  : note;
    const int32_t row = (clamped - kLowestNote) * kRowsPerNote;
    return row > kLastFilterRow ? kLastFilterRow : row;
}

// A controller's data byte 0..127 as a smoothness of 0..1; 1/127 rounded to float, as the
// effect has always computed it.
constexpr double smoothnessOfData(int32_t data) {
    return data * static_cast<double>(0.007874015718698502f);
}
