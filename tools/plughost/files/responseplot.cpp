#include "tools/plughost/files/responseplot.h"

#include "tools/common/cairoimage.h"
#include "tools/common/errors.h"
#include "tools/common/png.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

namespace plughost {
namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 540;
constexpr double kLeft = 70.0;
constexpr double kRight = 25.0;
constexpr double kTop = 62.0;
constexpr double kBottom = 58.0;
constexpr double kLowestHz = 20.0;
constexpr double kHighestHz = 20000.0;
constexpr double kDbStep = 10.0;
constexpr double kLargestDbSpan = 120.0;
constexpr double kSmallestDbSpan = 40.0;
constexpr const char* kFont = "DejaVu Sans";

struct Rgb {
    double red, green, blue;
};
constexpr Rgb kBackground{1.0, 1.0, 1.0};
constexpr Rgb kMajorGrid{0.80, 0.80, 0.82};
constexpr Rgb kMinorGrid{0.92, 0.92, 0.94};
constexpr Rgb kInk{0.12, 0.12, 0.15};
constexpr Rgb kCurve{0.05, 0.35, 0.75};

struct Labelled {
    double value;
    const char* label;
};
constexpr Labelled kFrequencyTicks[] = {{20, "20"},   {50, "50"},  {100, "100"}, {200, "200"},
                                        {500, "500"}, {1e3, "1k"}, {2e3, "2k"},  {5e3, "5k"},
                                        {1e4, "10k"}, {2e4, "20k"}};

// Maps frequency and decibels onto the plot area.
class Axes {
public:
    Axes(double bottomDb, double topDb) : bottomDb(bottomDb), topDb(topDb) {}
    double x(double hertz) const {
        return kLeft + (kWidth - kLeft - kRight) * std::log(hertz / kLowestHz) /
                           std::log(kHighestHz / kLowestHz);
    }
    double y(double decibels) const {
        return kTop + (kHeight - kTop - kBottom) * (topDb - decibels) / (topDb - bottomDb);
    }
    const double bottomDb;
    const double topDb;
};

// The dB range: whole steps around the curve, at most kLargestDbSpan below its peak.
Axes axesFor(const std::vector<double>& decibels) {
    const auto [lowest, highest] = std::minmax_element(decibels.begin(), decibels.end());
    const double top = kDbStep * std::ceil((*highest + 1.0) / kDbStep);
    double bottom = kDbStep * std::floor(*lowest / kDbStep);
    bottom = std::clamp(bottom, top - kLargestDbSpan, top - kSmallestDbSpan);
    return Axes(bottom, top);
}

void setColour(cairo_t* cr, const Rgb& colour) {
    cairo_set_source_rgb(cr, colour.red, colour.green, colour.blue);
}

void line(cairo_t* cr, double x0, double y0, double x1, double y1) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

// Draws text with its anchor point at (x, y); anchor 0 = left/top, 0.5 = centre, 1 = right/bottom.
void text(cairo_t* cr, const std::string& words, double x, double y, double alignX, double alignY,
          double size, bool bold = false) {
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, words.c_str(), &extents);
    cairo_move_to(cr, x - extents.x_bearing - alignX * extents.width,
                  y - extents.y_bearing - alignY * extents.height);
    cairo_show_text(cr, words.c_str());
}

void drawGrid(cairo_t* cr, const Axes& axes) {
    cairo_set_line_width(cr, 1.0);
    setColour(cr, kMinorGrid);
    for (double decade = 10.0; decade < kHighestHz; decade *= 10.0) {
        for (int multiple = 2; multiple <= 9; ++multiple) {
            const double hertz = decade * multiple;
            if (hertz > kLowestHz && hertz < kHighestHz) {
                line(cr, axes.x(hertz), axes.y(axes.topDb), axes.x(hertz), axes.y(axes.bottomDb));
            }
        }
    }
    setColour(cr, kMajorGrid);
    for (const Labelled& tick : kFrequencyTicks) {
        line(cr, axes.x(tick.value), axes.y(axes.topDb), axes.x(tick.value), axes.y(axes.bottomDb));
    }
    for (double decibels = axes.bottomDb; decibels <= axes.topDb; decibels += kDbStep) {
        line(cr, kLeft, axes.y(decibels), kWidth - kRight, axes.y(decibels));
    }
}

void drawLabels(cairo_t* cr, const Axes& axes, const PlotTexts& texts) {
    setColour(cr, kInk);
    for (const Labelled& tick : kFrequencyTicks) {
        text(cr, tick.label, axes.x(tick.value), kHeight - kBottom + 8.0, 0.5, 0.0, 12.0);
    }
    for (double decibels = axes.bottomDb; decibels <= axes.topDb; decibels += kDbStep) {
        text(cr, std::to_string(static_cast<int>(decibels)), kLeft - 8.0, axes.y(decibels), 1.0,
             0.5, 12.0);
    }
    text(cr, "Frequency (Hz)", (kLeft + kWidth - kRight) / 2.0, kHeight - 8.0, 0.5, 1.0, 13.0);
    cairo_save(cr);
    cairo_translate(cr, 16.0, (kTop + kHeight - kBottom) / 2.0);
    cairo_rotate(cr, -std::numbers::pi / 2.0);
    text(cr, "Magnitude (dB)", 0.0, 0.0, 0.5, 0.5, 13.0);
    cairo_restore(cr);
    text(cr, texts.title, kWidth / 2.0, 10.0, 0.5, 0.0, 16.0, true);
    text(cr, texts.subtitle, kWidth / 2.0, 34.0, 0.5, 0.0, 11.5);
}

void drawCurve(cairo_t* cr, const Axes& axes, const MagnitudeResponse& response) {
    cairo_save(cr);
    cairo_rectangle(cr, kLeft, kTop, kWidth - kLeft - kRight, kHeight - kTop - kBottom);
    cairo_clip(cr);
    setColour(cr, kCurve);
    cairo_set_line_width(cr, 2.0);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const auto& decibels = response.decibels;
    for (size_t i = 0; i < response.frequencies.size(); ++i) {
        // Values far below the range are drawn just below it, so the line leaves the frame.
        const double y = axes.y(std::max(decibels[i], axes.bottomDb - kDbStep));
        if (i == 0) {
            cairo_move_to(cr, axes.x(response.frequencies[i]), y);
        } else {
            cairo_line_to(cr, axes.x(response.frequencies[i]), y);
        }
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

void drawPlot(cairo_surface_t* surface, const MagnitudeResponse& response, const PlotTexts& texts) {
    const std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface),
                                                                     cairo_destroy);
    cairo_t* cr = context.get();
    setColour(cr, kBackground);
    cairo_paint(cr);
    const Axes axes = axesFor(response.decibels);
    drawGrid(cr, axes);
    drawCurve(cr, axes, response);
    setColour(cr, kInk);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, kLeft, kTop, kWidth - kLeft - kRight, kHeight - kTop - kBottom);
    cairo_stroke(cr);
    drawLabels(cr, axes, texts);
}

std::string pngBytes(const MagnitudeResponse& response, const PlotTexts& texts) {
    const Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight),
                          cairo_surface_destroy);
    drawPlot(surface.get(), response, texts);
    return encodePng(toRgbImage(surface.get()));
}

cairo_status_t appendTo(void* bytes, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(bytes)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

// SVG and PDF keep the plot's lines and text as such: sharp at any size, text searchable.
std::string vectorBytes(PictureFormat format, const MagnitudeResponse& response,
                        const PlotTexts& texts) {
    std::string bytes;
    const Surface surface(
        format == PictureFormat::svg
            ? cairo_svg_surface_create_for_stream(appendTo, &bytes, kWidth, kHeight)
            : cairo_pdf_surface_create_for_stream(appendTo, &bytes, kWidth, kHeight),
        cairo_surface_destroy);
    drawPlot(surface.get(), response, texts);
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        throw HostError(std::string("cannot draw the plot: ") +
                        cairo_status_to_string(cairo_surface_status(surface.get())));
    }
    return bytes;
}

} // namespace

void plotResponse(const MagnitudeResponse& response, const PlotTexts& texts, PictureFormat format,
                  PendingOutput& output) {
    output.write(format == PictureFormat::png ? pngBytes(response, texts)
                                              : vectorBytes(format, response, texts));
}

} // namespace plughost
