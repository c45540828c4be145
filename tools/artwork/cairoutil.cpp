#include "tools/artwork/cairoutil.h"

#include <cmath>
#include <stdexcept>

namespace artwork {

namespace {

double channel(uint32_t rgb, int shift) {
    return static_cast<double>((rgb >> shift) & 0xff) / 255.0;
}

void checkSurface(cairo_surface_t* surface) {
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error(cairo_status_to_string(cairo_surface_status(surface)));
    }
}

} // namespace

Surface makeSurface(int width, int height) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    checkSurface(surface.get());
    return surface;
}

Context makeContext(const Surface& surface) {
    Context context(cairo_create(surface.get()));
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) {
        throw std::runtime_error(cairo_status_to_string(cairo_status(context.get())));
    }
    return context;
}

void setSource(cairo_t* context, uint32_t rgb, double alpha) {
    cairo_set_source_rgba(context, channel(rgb, 16), channel(rgb, 8), channel(rgb, 0), alpha);
}

void addColourStop(cairo_pattern_t* pattern, double offset, uint32_t rgb, double alpha) {
    cairo_pattern_add_color_stop_rgba(pattern, offset, channel(rgb, 16), channel(rgb, 8),
                                      channel(rgb, 0), alpha);
}

void fillCircle(cairo_t* context, double centreX, double centreY, double radius,
                cairo_pattern_t* pattern) {
    cairo_arc(context, centreX, centreY, radius, 0, 2 * M_PI);
    cairo_set_source(context, pattern);
    cairo_fill(context);
    cairo_pattern_destroy(pattern);
}

void selectLabelFont(cairo_t* context, double pixelSize, bool bold) {
    cairo_select_font_face(context, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(context, pixelSize);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(context, options);
    cairo_font_options_destroy(options);
}

Surface toSurface(const RgbImage& image) {
    Surface surface = makeSurface(image.width, image.height);
    cairo_surface_flush(surface.get());
    unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            row[x] = 0xff000000u | image.at(x, y);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

} // namespace artwork
