// Draws the editor's five bitmaps into a resources directory and, when asked, review pictures.
//   artwork <resources-directory> [<preview-directory>]
#include "tools/artwork/background.h"
#include "tools/artwork/bmpwriter.h"
#include "tools/artwork/knobstrip.h"
#include "tools/artwork/ledswitch.h"
#include "tools/artwork/palettequantiser.h"
#include "tools/artwork/preview.h"
#include "tools/artwork/theme.h"
#include "tools/common/pendingoutput.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <exception>
#include <string>

namespace {

using namespace artwork;
using panel::KnobStrip;

void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    writeOutputFile(path, bytes.data(), bytes.size());
}

// Only the group-box fill must survive the palette exactly: it meets the 24-bit panel.
RgbImage writeIndexed(const RgbImage& image, const std::string& path) {
    const IndexedImage indexed = quantise(image, {theme::kWell});
    writeBytes(path, encodeBmp8(indexed));
    std::printf("wrote %s (%d x %d, 8 bits, %zu colours)\n", path.c_str(), image.width,
                image.height, indexed.palette.size());
    return expand(indexed);
}

int run(const std::string& resources, const std::string& previews) {
    PanelPictures pictures;
    pictures.background = drawBackground();
    const std::string backgroundPath = resources + "/background.bmp";
    writeBytes(backgroundPath, encodeBmp24(pictures.background));
    std::printf("wrote %s (%d x %d, 24 bits)\n", backgroundPath.c_str(), pictures.background.width,
                pictures.background.height);

    pictures.switchImage = writeIndexed(drawSwitch(), resources + "/switch.bmp");
    pictures.strips[0] =
        writeIndexed(drawKnobStrip(KnobStrip::Frequency), resources + "/knob_frequency.bmp");
    pictures.strips[1] = writeIndexed(drawKnobStrip(KnobStrip::ResonanceGain),
                                      resources + "/knob_resonance_gain.bmp");
    pictures.strips[2] =
        writeIndexed(drawKnobStrip(KnobStrip::Smoothness), resources + "/knob_smoothness.bmp");

    if (!previews.empty()) {
        writePreviews(pictures, previews);
        std::printf("wrote %s/preview.png, preview-4x.png and knob-frames.png\n", previews.c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <resources-directory> [<preview-directory>]\n", argv[0]);
        return 2;
    }
    int status = 1;
    try {
        status = run(argv[1], argc == 3 ? argv[2] : "");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "artwork: %s\n", error.what());
    }
    // Drops cairo's and fontconfig's caches so that a sanitizer build exits without leaks.
    cairo_debug_reset_static_data();
    FcFini();
    return status;
}
