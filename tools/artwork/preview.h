// Pictures for reviewing the artwork: the panel as the editor shows it by default, and knob
// frames enlarged. Written next to the build, never committed.
#pragma once

#include "editor/panellayout.h"
#include "tools/common/rgbimage.h"

#include <array>
#include <string>

namespace artwork {

struct PanelPictures {
    RgbImage background;
    RgbImage switchImage;
    std::array<RgbImage, panel::kKnobStripCount>
        strips; // frequency, resonance and gain, smoothness
};

// Frame the editor draws for a value, picked as its film-strip knob does.
int frameForValue(float value);

// The default panel: knobs at their default frames, the low-pass switch lit, and the display
// boxes and fields the plug-in paints with their default texts.
RgbImage composeDefaultPanel(const PanelPictures& pictures);

// Writes preview.png, preview-4x.png and knob-frames.png into the directory.
void writePreviews(const PanelPictures& pictures, const std::string& directory);

} // namespace artwork
