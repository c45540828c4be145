// Both channels side by side in one two-lane vector of doubles: the filter and the limiter run
// the same arithmetic on left and right, so one instruction serves both. Every operation is
// the IEEE double operation of the lane, exactly as the scalar code would compute it.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

using Stereo = double __attribute__((vector_size(16)));
using StereoBits = uint64_t __attribute__((vector_size(16)));

constexpr Stereo both(double value) {
    return Stereo{value, value};
}

// What a 32-bit float field keeps of the value.
inline Stereo roundedToFloat(Stereo value) {
    return _mm_cvtps_pd(_mm_cvtpd_ps(value));
}

inline Stereo magnitude(Stereo value) {
    constexpr uint64_t kSignBit = uint64_t{1} << 63;
    return reinterpret_cast<Stereo>(reinterpret_cast<StereoBits>(value) & ~kSignBit);
}

// Per lane: value where it is less than limit, else limit (also where value is not a number).
inline Stereo limitedTo(Stereo value, Stereo limit) {
    return _mm_min_pd(value, limit);
}

// Lane values 0 .. 2^31 - 1 truncated toward zero, as table indices and as doubles.
struct TruncatedLanes {
    std::size_t left;
    std::size_t right;
    Stereo whole;
};

inline TruncatedLanes truncated(Stereo value) {
    const __m128i whole = _mm_cvttpd_epi32(value);
    const auto packed = static_cast<uint64_t>(_mm_cvtsi128_si64(whole));
    return {static_cast<uint32_t>(packed), packed >> 32, _mm_cvtepi32_pd(whole)};
}

inline Stereo loadFrame(const float* const* channels, int32_t i) {
    return Stereo{channels[0][i], channels[1][i]};
}

inline void storeFrame(float* const* channels, int32_t i, Stereo value) {
    const __m128 rounded = _mm_cvtpd_ps(value);
    _mm_store_ss(channels[0] + i, rounded);
    _mm_store_ss(channels[1] + i, _mm_shuffle_ps(rounded, rounded, 1));
}
