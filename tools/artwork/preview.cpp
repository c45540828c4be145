#include "tools/artwork/preview.h"

#include "editor/panellayout.h"
#include "tools/artwork/cairoutil.h"
#include "tools/artwork/theme.h"
#include "tools/common/png.h"

#include <algorithm>
#include <cmath>

namespace artwork {

using namespace panel;

namespace {

constexpr int kPanelScale = 4;
constexpr int kFrameScale = 6;
constexpr std::array<int, 8> kShownFrames{0, 1, 6, 16, 31, 47, 62, 63};

struct DefaultText {
    size_t control;
    const char* text;
    double pixelSize;
};

// What the editor shows with the first program: read-outs, then controller fields.
constexpr std::array<DefaultText, 7> kDefaultTexts{{
    {4, "63", 11.0},
    {5, "12", 11.0},
    {6, "12", 11.0},
    {7, "-12.00", 9.0},
    {8, "71", 9.0},
    {9, "OFF", 9.0},
    {10, "5", 9.0},
}};

void copyBlock(RgbImage& target, const RgbImage& source, int sourceY, const PixelRect& rect) {
    const int width = std::min(rect.width(), source.width);
    const int height = rect.height();
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            target.at(rect.left + x, rect.top + y) = source.at(x, sourceY + y);
        }
    }
}

const RgbImage& stripFor(const PanelPictures& pictures, KnobStrip strip) {
    return pictures.strips[static_cast<size_t>(strip)];
}

// Black box with a black outline, edges included, and green centred text, as the plug-in paints.
void drawTextBox(cairo_t* cr, const PixelRect& place, const char* text, double pixelSize) {
    const PixelRect box = place.outlined();
    cairo_rectangle(cr, box.left, box.top, box.width(), box.height());
    setSource(cr, 0x000000);
    cairo_fill(cr);
    selectLabelFont(cr, pixelSize, false);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text, &extents);
    const double x = (box.left + box.right) / 2.0 - (extents.x_bearing + extents.width / 2.0);
    const double y = (box.top + box.bottom) / 2.0 - (extents.y_bearing + extents.height / 2.0);
    setSource(cr, theme::kDisplayText);
    cairo_move_to(cr, std::round(x), std::round(y));
    cairo_show_text(cr, text);
}

RgbImage scaled(const RgbImage& image, int factor) {
    Surface source = toSurface(image);
    Surface target = makeSurface(image.width * factor, image.height * factor);
    Context cr = makeContext(target);
    cairo_scale(cr.get(), factor, factor);
    cairo_set_source_surface(cr.get(), source.get(), 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_NEAREST);
    cairo_paint(cr.get());
    return toRgbImage(target.get());
}

RgbImage knobFrameSheet(const PanelPictures& pictures) {
    constexpr int kGap = 2;
    const int columns = static_cast<int>(kShownFrames.size());
    RgbImage sheet(columns * (kKnobFrameWidth + kGap),
                   static_cast<int>(pictures.strips.size()) * (kKnobFrameHeight + kGap));
    std::fill(sheet.pixels.begin(), sheet.pixels.end(), 0x808080u);
    for (size_t row = 0; row < pictures.strips.size(); ++row) {
        for (int column = 0; column < columns; ++column) {
            const int frame = kShownFrames[static_cast<size_t>(column)];
            const int left = column * (kKnobFrameWidth + kGap);
            const int top = static_cast<int>(row) * (kKnobFrameHeight + kGap);
            copyBlock(sheet, pictures.strips[row], frame * kKnobFrameHeight,
                      {left, top, left + kKnobFrameWidth, top + kKnobFrameHeight});
        }
    }
    return sheet;
}

} // namespace

int frameForValue(float value) {
    if (value <= 0.0f) {
        return 0;
    }
    const int span = (kKnobFrameCount - 1) * kKnobFrameHeight;
    const int y = std::min(static_cast<int>(static_cast<float>(span) * value), span);
    return y / kKnobFrameHeight;
}

RgbImage composeDefaultPanel(const PanelPictures& pictures) {
    RgbImage panel = pictures.background;
    for (const Column& column : kColumns) {
        copyBlock(panel, stripFor(pictures, column.strip),
                  frameForValue(column.defaultValue) * kKnobFrameHeight, column.knob);
    }
    for (const ControlPlace& control : kControls) {
        if (control.kind == ControlKind::Switch) {
            const bool lit = control.name == "low-pass switch";
            copyBlock(panel, pictures.switchImage, lit ? kSwitchSize : 0, control.rect);
        }
    }
    Surface surface = toSurface(panel);
    Context context = makeContext(surface);
    for (const DefaultText& shown : kDefaultTexts) {
        drawTextBox(context.get(), kControls[shown.control].rect, shown.text, shown.pixelSize);
    }
    return toRgbImage(surface.get());
}

void writePreviews(const PanelPictures& pictures, const std::string& directory) {
    const RgbImage panel = composeDefaultPanel(pictures);
    writePng(panel, directory + "/preview.png");
    writePng(scaled(panel, kPanelScale), directory + "/preview-4x.png");
    writePng(scaled(knobFrameSheet(pictures), kFrameScale), directory + "/knob-frames.png");
}

} // namespace artwork
