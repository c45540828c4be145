// Resource ids of the editor's bitmaps, compiled into the library from the BMP files beside this.
#pragma once

enum ResourceId {
    kBitmapBackground = 200,        // background.bmp: 225 x 140, 24-bit
    kBitmapSwitch = 201,            // switch.bmp: 11 x 22, off state above the lit state
    kBitmapKnobFrequency = 202,     // knob_frequency.bmp: 64 frames of 33 x 30, top to bottom
    kBitmapKnobResonanceGain = 203, // knob_resonance_gain.bmp: same layout
    kBitmapKnobSmoothness = 204,    // knob_smoothness.bmp: same layout
};
