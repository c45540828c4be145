// The panel's colours, as 0xRRGGBB.
#pragma once

#include <cstdint>

namespace artwork::theme {

inline constexpr uint32_t kPanelTop = 0x3a3f47;
inline constexpr uint32_t kPanelBottom = 0x202328;
inline constexpr uint32_t kPanelEdgeDark = 0x0b0c0e;
inline constexpr uint32_t kPanelEdgeLight = 0x5a606a;
inline constexpr uint32_t kTitleBand = 0x15171a;

// Flat fill of the recessed group boxes. Every control stands on it, so the knob and switch
// pictures use exactly this colour around their shapes and blend into the panel.
inline constexpr uint32_t kWell = 0x1c1f23;
inline constexpr uint32_t kWellBorder = 0x4a505a;
inline constexpr uint32_t kWellShadow = 0x101215;
inline constexpr uint32_t kSeparator = 0x30343a;

inline constexpr uint32_t kLabel = 0xeef0f3;
inline constexpr uint32_t kLabelDim = 0xbcc3cc;
inline constexpr uint32_t kTitle = 0xffffff;

inline constexpr uint32_t kAccentFrequency = 0xff8f2e;
inline constexpr uint32_t kAccentResonanceGain = 0x3cc6ff;
inline constexpr uint32_t kAccentSmoothness = 0xb98cff;

inline constexpr uint32_t kDisplayText = 0x00ff00;

} // namespace artwork::theme
