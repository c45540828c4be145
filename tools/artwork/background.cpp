#include "tools/artwork/background.h"

#include "editor/panellayout.h"
#include "tools/artwork/cairoutil.h"
#include "tools/artwork/theme.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace artwork {

using namespace panel;

namespace {

enum class Align { Left, Centre, Right };

struct LabelSpec {
    const char* text;
    double pixelSize;
    Align align;
    double x; // left edge, centre or right edge, as align says
    double baseline;
    uint32_t colour;
};

constexpr double kHeadingSize = 9.0;
constexpr double kRowLabelSize = 8.0;
constexpr double kHeadingBaseline = 41.0;
constexpr double kControllerBaseline = 101.0;
constexpr double kLearnBaseline = 129.0;
constexpr int kLearnLabelGap = 3;

// Centre of each column's knob, display and field, for the headings above them.
constexpr double columnCentre(const PixelRect& knob) {
    return knob.left + kKnobCentreX;
}
constexpr double fieldCentre(const PixelRect& field) {
    const PixelRect painted = field.outlined();
    return (painted.left + painted.right) / 2.0;
}
constexpr double besideSwitch(const PixelRect& sw) {
    return sw.left + kSwitchSize + kLearnLabelGap;
}

constexpr const PixelRect& controlRect(size_t index) {
    return kControls[index].rect;
}

const std::array<LabelSpec, 15> kLabels{{
    {"Glide Filter", 14.0, Align::Left, 9.0, 17.0, theme::kTitle},
    {"RESONANT LP / HP", kRowLabelSize, Align::Right, 216.0, 16.0, theme::kLabelDim},
    {"Cutoff", kHeadingSize, Align::Centre, columnCentre(controlRect(0)), kHeadingBaseline,
     theme::kLabel},
    {"Reso", kHeadingSize, Align::Centre, columnCentre(controlRect(1)), kHeadingBaseline,
     theme::kLabel},
    {"Smooth", kHeadingSize, Align::Centre, columnCentre(controlRect(2)), kHeadingBaseline,
     theme::kLabel},
    {"Gain", kHeadingSize, Align::Centre, columnCentre(controlRect(3)), kHeadingBaseline,
     theme::kLabel},
    {"Type", kHeadingSize, Align::Centre, 155.0, kHeadingBaseline, theme::kLabel},
    {"LP", kRowLabelSize, Align::Left, besideSwitch(controlRect(11)), 63.0, theme::kLabel},
    {"HP", kRowLabelSize, Align::Left, besideSwitch(controlRect(12)), 84.0, theme::kLabel},
    {"CC", kRowLabelSize, Align::Centre, fieldCentre(controlRect(8)), kControllerBaseline,
     theme::kLabelDim},
    {"CC", kRowLabelSize, Align::Centre, fieldCentre(controlRect(9)), kControllerBaseline,
     theme::kLabelDim},
    {"CC", kRowLabelSize, Align::Centre, fieldCentre(controlRect(10)), kControllerBaseline,
     theme::kLabelDim},
    {"Learn", kRowLabelSize, Align::Left, besideSwitch(controlRect(13)), kLearnBaseline,
     theme::kLabelDim},
    {"Learn", kRowLabelSize, Align::Left, besideSwitch(controlRect(14)), kLearnBaseline,
     theme::kLabelDim},
    {"Learn", kRowLabelSize, Align::Left, besideSwitch(controlRect(15)), kLearnBaseline,
     theme::kLabelDim},
}};

// Recessed boxes grouping the three MIDI columns, the filter type, the gain, and the emblem.
constexpr std::array<PixelRect, 4> kGroupBoxes{{
    {3, 27, 132, 137},
    {133, 27, 178, 95},
    {179, 27, 223, 95},
    {133, 97, 223, 137},
}};
constexpr PixelRect kEmblemBox = kGroupBoxes[3];

// Hairlines between the cutoff, resonance and smoothness columns.
constexpr std::array<PixelRect, 2> kSeparators{{
    {45, 31, 46, 133},
    {89, 31, 90, 133},
}};

constexpr int kTitleBandHeight = 23;
constexpr double kBoxCornerRadius = 3.0;
constexpr int kNoiseAmplitude = 2;

std::string describe(const PixelRect& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

void requireClearOfControls(const std::string& what, const PixelRect& rect) {
    if (!PixelRect{0, 0, kPanelWidth, kPanelHeight}.contains(rect)) {
        throw std::logic_error(what + " " + describe(rect) + " leaves the panel");
    }
    for (const ControlPlace& control : kControls) {
        if (rect.overlaps(control.rect.outlined())) {
            throw std::logic_error(what + " " + describe(rect) + " lies under the " +
                                   std::string(control.name));
        }
    }
}

// A box edge must not cut through a control: each control is well inside a box or outside it.
void requireBoxesAroundControls() {
    for (const PixelRect& box : kGroupBoxes) {
        for (const ControlPlace& control : kControls) {
            const PixelRect reach = control.rect.outlined();
            if (box.overlaps(reach) && !box.grown(-2).contains(reach)) {
                throw std::logic_error("the edge of box " + describe(box) + " crosses the " +
                                       std::string(control.name));
            }
        }
    }
    for (const PixelRect& separator : kSeparators) {
        requireClearOfControls("separator", separator);
    }
}

uint32_t blend(uint32_t from, uint32_t to, double t) {
    auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return packRgb(mix(redOf(from), redOf(to)), mix(greenOf(from), greenOf(to)),
                   mix(blueOf(from), blueOf(to)));
}

int noiseAt(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<int>(h % (2 * kNoiseAmplitude + 1)) - kNoiseAmplitude;
}

// Vertical gradient with a fine grain, drawn pixel by pixel so it is exactly reproducible.
void paintPanel(const Surface& surface) {
    RgbImage panel(kPanelWidth, kPanelHeight);
    for (int y = 0; y < kPanelHeight; ++y) {
        const uint32_t base = blend(theme::kPanelTop, theme::kPanelBottom,
                                    static_cast<double>(y) / (kPanelHeight - 1));
        for (int x = 0; x < kPanelWidth; ++x) {
            const int n = noiseAt(x, y);
            auto grain = [n](int c) { return std::clamp(c + n, 0, 255); };
            panel.at(x, y) = packRgb(grain(redOf(base)), grain(greenOf(base)), grain(blueOf(base)));
        }
    }
    Surface painted = toSurface(panel);
    Context cr = makeContext(surface);
    cairo_set_source_surface(cr.get(), painted.get(), 0, 0);
    cairo_paint(cr.get());
}

void drawTitleBand(cairo_t* cr) {
    cairo_pattern_t* band = cairo_pattern_create_linear(0, 0, 0, kTitleBandHeight);
    addColourStop(band, 0.0, theme::kTitleBand, 0.55);
    addColourStop(band, 1.0, theme::kTitleBand, 0.85);
    cairo_rectangle(cr, 0, 0, kPanelWidth, kTitleBandHeight);
    cairo_set_source(cr, band);
    cairo_fill(cr);
    cairo_pattern_destroy(band);

    cairo_set_line_width(cr, 1.0);
    cairo_pattern_t* accent = cairo_pattern_create_linear(0, 0, kPanelWidth, 0);
    addColourStop(accent, 0.0, theme::kAccentFrequency, 0.0);
    addColourStop(accent, 0.15, theme::kAccentFrequency, 0.9);
    addColourStop(accent, 0.55, theme::kAccentResonanceGain, 0.7);
    addColourStop(accent, 1.0, theme::kAccentSmoothness, 0.0);
    cairo_move_to(cr, 0, kTitleBandHeight + 0.5);
    cairo_line_to(cr, kPanelWidth, kTitleBandHeight + 0.5);
    cairo_set_source(cr, accent);
    cairo_stroke(cr);
    cairo_pattern_destroy(accent);
}

void roundedRect(cairo_t* cr, double left, double top, double right, double bottom, double radius) {
    constexpr double kQuarter = M_PI / 2.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, right - radius, top + radius, radius, -kQuarter, 0.0);
    cairo_arc(cr, right - radius, bottom - radius, radius, 0.0, kQuarter);
    cairo_arc(cr, left + radius, bottom - radius, radius, kQuarter, 2 * kQuarter);
    cairo_arc(cr, left + radius, top + radius, radius, 2 * kQuarter, 3 * kQuarter);
    cairo_close_path(cr);
}

// The fill covers the box's pixels; the outline runs along its outermost pixels.
void drawGroupBox(cairo_t* cr, const PixelRect& box) {
    const double left = box.left;
    const double top = box.top;
    const double right = box.right;
    const double bottom = box.bottom;

    roundedRect(cr, left, top + 1, right, bottom + 1, kBoxCornerRadius);
    setSource(cr, theme::kPanelEdgeLight, 0.35);
    cairo_fill(cr);

    roundedRect(cr, left, top, right, bottom, kBoxCornerRadius);
    setSource(cr, theme::kWell);
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip(cr);
    cairo_set_line_width(cr, 1.0);
    setSource(cr, theme::kWellShadow);
    cairo_move_to(cr, left, top + 1.5);
    cairo_line_to(cr, right, top + 1.5);
    cairo_stroke(cr);
    cairo_restore(cr);

    roundedRect(cr, left + 0.5, top + 0.5, right - 0.5, bottom - 0.5, kBoxCornerRadius - 0.5);
    cairo_set_line_width(cr, 1.0);
    setSource(cr, theme::kPanelEdgeDark, 0.9);
    cairo_stroke(cr);
}

void drawSeparators(cairo_t* cr) {
    cairo_set_line_width(cr, 1.0);
    for (const PixelRect& line : kSeparators) {
        cairo_pattern_t* fade = cairo_pattern_create_linear(0, line.top, 0, line.bottom);
        addColourStop(fade, 0.0, theme::kSeparator, 0.0);
        addColourStop(fade, 0.2, theme::kSeparator, 1.0);
        addColourStop(fade, 0.8, theme::kSeparator, 1.0);
        addColourStop(fade, 1.0, theme::kSeparator, 0.0);
        cairo_move_to(cr, line.left + 0.5, line.top);
        cairo_line_to(cr, line.left + 0.5, line.bottom);
        cairo_set_source(cr, fade);
        cairo_stroke(cr);
        cairo_pattern_destroy(fade);
    }
}

// A sunken frame one pixel outside every box the plug-in fills (displays and fields).
void drawBezels(cairo_t* cr) {
    cairo_set_line_width(cr, 1.0);
    for (const ControlPlace& control : kControls) {
        if (control.kind != ControlKind::Display && control.kind != ControlKind::Field) {
            continue;
        }
        const PixelRect box = control.rect.outlined();
        const double left = box.left - 0.5;
        const double top = box.top - 0.5;
        const double right = box.right + 0.5;
        const double bottom = box.bottom + 0.5;
        setSource(cr, theme::kPanelEdgeDark);
        cairo_move_to(cr, left, bottom);
        cairo_line_to(cr, left, top);
        cairo_line_to(cr, right, top);
        cairo_stroke(cr);
        setSource(cr, theme::kWellBorder);
        cairo_move_to(cr, right, top + 1);
        cairo_line_to(cr, right, bottom);
        cairo_line_to(cr, left + 1, bottom);
        cairo_stroke(cr);
    }
}

void drawPanelEdge(cairo_t* cr) {
    cairo_set_line_width(cr, 1.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND); // softened corners
    cairo_rectangle(cr, 0.5, 0.5, kPanelWidth - 1, kPanelHeight - 1);
    setSource(cr, theme::kPanelEdgeDark);
    cairo_stroke(cr);
    setSource(cr, theme::kPanelEdgeLight, 0.5);
    cairo_move_to(cr, 1.5, kPanelHeight - 1);
    cairo_line_to(cr, 1.5, 1.5);
    cairo_line_to(cr, kPanelWidth - 1, 1.5);
    cairo_stroke(cr);
}

// The product's mark: three gliding strokes in the colours of the three MIDI columns. No grid
// and no axes, so that nobody reads it as a live response display.
void drawEmblem(cairo_t* cr) {
    const double left = kEmblemBox.left + 12;
    const double right = kEmblemBox.right - 12;
    const double top = kEmblemBox.top + 7;
    const double bottom = kEmblemBox.bottom - 19;
    constexpr std::array<uint32_t, 3> kStrokeColours = {
        theme::kAccentFrequency, theme::kAccentResonanceGain, theme::kAccentSmoothness};
    constexpr double kStrokeSpacing = 6.0;

    cairo_save(cr);
    cairo_set_line_width(cr, 2.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (size_t stroke = 0; stroke < kStrokeColours.size(); ++stroke) {
        const double offset = kStrokeSpacing * static_cast<double>(stroke);
        const double width = right - left;
        cairo_move_to(cr, left, bottom + offset);
        cairo_curve_to(cr, left + width * 0.5, bottom + offset, left + width * 0.5, top + offset,
                       right, top + offset);
        setSource(cr, kStrokeColours[stroke]);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

PixelRect inkRect(double x, double baseline, const cairo_text_extents_t& extents) {
    return {static_cast<int>(std::floor(x + extents.x_bearing)),
            static_cast<int>(std::floor(baseline + extents.y_bearing)),
            static_cast<int>(std::ceil(x + extents.x_bearing + extents.width)),
            static_cast<int>(std::ceil(baseline + extents.y_bearing + extents.height))};
}

// Draws the label with a drop shadow and answers the pixels it touches.
PixelRect drawLabel(cairo_t* cr, const LabelSpec& label) {
    selectLabelFont(cr, label.pixelSize);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, label.text, &extents);
    double x = label.x;
    if (label.align == Align::Centre) {
        x = label.x - (extents.x_bearing + extents.width / 2.0);
    } else if (label.align == Align::Right) {
        x = label.x - (extents.x_bearing + extents.width);
    }
    x = std::round(x);
    const double baseline = std::round(label.baseline);
    setSource(cr, theme::kPanelEdgeDark, 0.8);
    cairo_move_to(cr, x, baseline + 1);
    cairo_show_text(cr, label.text);
    setSource(cr, label.colour);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, label.text);
    // The shadow reaches one row lower than the glyphs.
    PixelRect ink = inkRect(x, baseline, extents);
    ink.bottom += 1;
    return ink;
}

} // namespace

RgbImage drawBackground() {
    requireBoxesAroundControls();
    Surface surface = makeSurface(kPanelWidth, kPanelHeight);
    paintPanel(surface);
    Context context = makeContext(surface);
    cairo_t* cr = context.get();
    drawTitleBand(cr);
    for (const PixelRect& box : kGroupBoxes) {
        drawGroupBox(cr, box);
    }
    drawSeparators(cr);
    drawBezels(cr);
    drawEmblem(cr);
    drawPanelEdge(cr);

    for (const LabelSpec& label : kLabels) {
        requireClearOfControls("label \"" + std::string(label.text) + "\"", drawLabel(cr, label));
    }
    return toRgbImage(surface.get());
}

} // namespace artwork
