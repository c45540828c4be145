// The biquad of both channels and its glide: the coefficients, which the channels share, each
// channel's history, and the cutoff row and resonance step that move one step at a time toward
// their targets. A plain value: only the audio loop changes the one it owns, and it keeps the
// history in registers for a block.
#pragma once

#include "effect/filtertables.h"
#include "effect/stereo.h"

#include <cstdint>

class Filter {
public:
    // Each channel's history side by side, as the audio loop keeps it for a block. Its values
    // are always what the float fields hold, so a block computes exactly what a loop over the
    // fields would.
    struct History {
        Stereo x1, x2, y1, y2;
    };

    // The coefficients are float values, kept in both lanes as the frames use them.
    struct Coefficients {
        Stereo b0, b1, b2, a1, a2;
    };

    // One frame of both channels through the biquad, summed in this order; the history moves
    // on.
    static Stereo apply(History& history, const Coefficients& coefficients, Stereo x) {
        const Stereo y = output(history, coefficients, x);
        advance(history, x, roundedToFloat(y));
        return y;
    }

    // The same frame with the shortest feedback path (see roundedToFloatQuickly).
    static Stereo applyQuickly(History& history, const Coefficients& coefficients, Stereo x) {
        const Stereo y = output(history, coefficients, x);
        advance(history, x, roundedToFloatQuickly(y));
        return y;
    }

    History history() const { return {lanesOf(x1), lanesOf(x2), lanesOf(y1), lanesOf(y2)}; }
    void keepHistory(const History& history) {
        keep(x1, history.x1);
        keep(x2, history.x2);
        keep(y1, history.y1);
        keep(y2, history.y2);
    }

    // Moves the cutoff row and the resonance step one step toward their targets and computes
    // their coefficients from the table; resonanceFactor weighs the resonance step in the Q. The
    // frames use them once takeStep puts them in place: the caller starts the divisions early,
    // and they are done when due. They go to the set not in use, so taking them copies nothing.
    // A step that lands on the row, step and factor of the coefficients in use computes nothing:
    // they would come out the same.
    void prepareStep(int32_t cutoffTarget, int32_t resonanceTarget, const CoefficientRow* table,
                     double resonanceFactor) {
        constexpr double kSqrt2 = 1.414213562373095;
        cutoffRow = stepToward(cutoffRow, cutoffTarget);
        resonanceStep = stepToward(resonanceStep, resonanceTarget);
        const Source source{&table[cutoffRow], resonanceStep, resonanceFactor};
        if (source == sources[inUse]) {
            prepared = inUse;
            return;
        }
        const double q = resonanceStep * resonanceFactor + kSqrt2;
        const CoefficientRow& row = *source.row;
        const double alpha = row.sinW / q;
        const double n = 1.0 / (1.0 + alpha);
        // Two terms to a vector: the same products and roundings in fewer instructions.
        const Stereo a1b0 = roundedToFloat(Stereo{row.a1, row.b0} * n);
        const Stereo b1b2 = roundedToFloat(Stereo{row.b1, row.b2} * n);
        prepared = 1 - inUse;
        sources[prepared] = source;
        coefficientSets[prepared] = {.b0 = both(a1b0[1]),
                                     .b1 = both(b1b2[0]),
                                     .b2 = both(b1b2[1]),
                                     .a1 = both(a1b0[0]),
                                     .a2 = asFloat((1.0 - alpha) * n)};
    }
    void takeStep() { inUse = prepared; }
    const Coefficients& coefficients() const { return coefficientSets[inUse]; }
    // New tables may hold other values at the rows the coefficients came from.
    void forgetCoefficientSources() { sources[0] = sources[1] = Source{}; }

    // A program's start: the glide jumps to this row and step; the coefficients follow at the
    // next step.
    void startAt(int32_t row, int32_t step) {
        cutoffRow = row;
        resonanceStep = step;
    }
    int32_t getCutoffRow() const { return cutoffRow; }
    int32_t getResonanceStep() const { return resonanceStep; }

    void clearHistory();
    // Keeps the feedback path out of denormal arithmetic once the input has fallen silent.
    void flushDenormalHistory();

    // What a float field keeps of the value, in both lanes.
    static Stereo asFloat(double value) { return both(static_cast<float>(value)); }

private:
    static Stereo output(const History& history, const Coefficients& coefficients, Stereo x) {
        const auto& [x1, x2, y1, y2] = history;
        const auto& [b0, b1, b2, a1, a2] = coefficients;
        return b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2 + b0 * x;
    }
    static void advance(History& history, Stereo x, Stereo roundedY) {
        history.x2 = history.x1;
        history.x1 = x;
        history.y2 = history.y1;
        history.y1 = roundedY;
    }

    // What a set of coefficients was computed from.
    struct Source {
        const CoefficientRow* row = nullptr;
        int32_t resonanceStep = 0;
        double resonanceFactor = 0.0;
        bool operator==(const Source&) const = default;
    };

    // Until its first step a filter passes its input unchanged.
    Coefficients coefficientSets[2] = {{both(1.0), both(0.0), both(0.0), both(0.0), both(0.0)}, {}};
    Source sources[2];
    int32_t inUse = 0;
    int32_t prepared = 0;
    float x1[2] = {}, x2[2] = {}, y1[2] = {}, y2[2] = {};
    int32_t cutoffRow = 0;
    int32_t resonanceStep = 1;

    static Stereo lanesOf(const float (&channels)[2]) { return Stereo{channels[0], channels[1]}; }
    static void keep(float (&channels)[2], Stereo lanes) {
        channels[0] = static_cast<float>(lanes[0]);
        channels[1] = static_cast<float>(lanes[1]);
    }
    static int32_t stepToward(int32_t current, int32_t target) {
        if (current < target) {
            return current + 1;
        }
        return current > target ? current - 1 : current;
    }
};
