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

// The same bits as roundedToFloat where the value lies in a normal float's range and not halfway
// between two floats, and far fewer cycles from the value to the result: half a float's last
// place added to the bits rounds the magnitude half up, and the 29 bits a float has not are cut.
// Elsewhere (ties, which a float rounds to even, subnormal and out-of-range values, not a number)
// the bits may differ.
inline Stereo roundedToFloatByBits(Stereo value) {
    constexpr int64_t kDroppedBits = 29;
    const __m128i halfLastPlace = _mm_set1_epi64x(int64_t{1} << (kDroppedBits - 1));
    const __m128i keptBits = _mm_set1_epi64x(~((int64_t{1} << kDroppedBits) - 1));
    const __m128i bits = _mm_add_epi64(_mm_castpd_si128(value), halfLastPlace);
    return _mm_castsi128_pd(_mm_and_si128(bits, keptBits));
}

inline bool sameBits(Stereo a, Stereo b) {
    const __m128i equal = _mm_cmpeq_epi32(_mm_castpd_si128(a), _mm_castpd_si128(b));
    return _mm_movemask_ps(_mm_castsi128_ps(equal)) == 0xF;
}

// The same bits as roundedToFloat, for a recurrence: the result comes by the bits, and the
// conversion, checked off the recurrence's path, stands in where the two differ.
inline Stereo roundedToFloatQuickly(Stereo value) {
    const Stereo rounded = roundedToFloatByBits(value);
    const Stereo converted = roundedToFloat(value);
    if (sameBits(rounded, converted)) [[likely]] {
        return rounded;
    }
    return converted;
}

// Whether both lanes are less than the limit (false where one is not a number).
inline bool bothBelow(Stereo value, Stereo limit) {
    return _mm_movemask_pd(_mm_cmplt_pd(value, limit)) == 3;
}

inline bool bothEqual(Stereo a, Stereo b) {
    return _mm_movemask_pd(_mm_cmpeq_pd(a, b)) == 3;
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
