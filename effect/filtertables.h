// The cutoff ladder: 4800 rows from 110 Hz to 7040 Hz, six octaves, for both responses.
#pragma once

#include <cstdint>

struct CoefficientRow {
    float a1;
    float b0;
    float b1;
    float b2;
    float sinW;
};

constexpr int32_t kFilterRows = 4800;
constexpr int32_t kLastFilterRow = kFilterRows - 1;

// Fills row k of both tables for the cutoff 110 Hz x 64^(k/4799) at the given rate.
void fillFilterTables(CoefficientRow* lowpass, CoefficientRow* highpass, float sampleRate);
