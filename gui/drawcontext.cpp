#include "gui/drawcontext.h"

#include "gui/platform/platform.h"
#include "gui/render/fonts.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {
// A context draws text in this table entry until setFont chooses one.
constexpr int32_t kDefaultFontId = 3;
} // namespace

DrawContext::DrawContext(ViewHolder* holder, Surface* surface, PlatformWindow* window)
    : surface(surface), window(window), holder(holder) {}

void DrawContext::setLineStyle(int32_t style) {
    lineStyle = style == LineDotted ? LineDotted : LineSolid;
}

void DrawContext::setLineWidth(int32_t width) {
    lineWidth = width;
}

void DrawContext::setFrameColour(Colour colour) {
    frameColour = colour;
}

void DrawContext::setFillColour(Colour colour) {
    fillColour = colour;
}

void DrawContext::setFontColour(Colour colour) {
    fontColour = colour;
}

void DrawContext::setFont(int32_t id, int32_t size) {
    const int32_t checkedId = id >= 0 && id < kFontCount ? id : 0;
    fontSize = size != 0 ? size : fontTableEntry(checkedId).height;
    // A negative height asks for the same character height.
    font = Typeface::get(checkedId, fontSize < 0 ? -fontSize : fontSize);
}

raster::Pen DrawContext::pen() const {
    return {toPixel(frameColour), lineWidth, lineStyle == LineDotted};
}

Typeface* DrawContext::currentFont() const {
    if (font != nullptr) {
        return font;
    }
    return Typeface::get(kDefaultFontId, fontTableEntry(kDefaultFontId).height);
}

void DrawContext::moveTo(Point p) {
    position = p;
    dashPhase = {};
}

void DrawContext::lineTo(Point p) {
    if (surface != nullptr) {
        raster::line(*surface, position, p, pen(), dashPhase);
    }
    position = p;
}

void DrawContext::drawPolyline(const Point* points, int32_t count) {
    if (points == nullptr || count < 2) {
        return;
    }
    const Point saved = position;
    const raster::DashPhase savedPhase = dashPhase;
    moveTo(points[0]);
    for (int32_t i = 1; i < count; ++i) {
        lineTo(points[i]);
    }
    position = saved;
    dashPhase = savedPhase;
}

void DrawContext::fillPolygon(const Point* points, int32_t count) {
    if (surface != nullptr) {
        raster::fillPolygon(*surface, points, count, toPixel(fillColour));
    }
}

void DrawContext::drawRect(const Rect& r) {
    moveTo({r.left, r.top});
    lineTo({r.right, r.top});
    lineTo({r.right, r.bottom});
    lineTo({r.left, r.bottom});
    lineTo({r.left, r.top});
}

void DrawContext::fillRect(const Rect& r) {
    if (surface != nullptr) {
        surface->fillBlock(r.insideOutline(), toPixel(fillColour));
    }
}

void DrawContext::drawEllipse(const Rect& r) {
    const Point top{r.left + r.width() / 2, r.top};
    drawArc(r, top, top);
}

void DrawContext::fillEllipse(const Rect& r) {
    if (surface != nullptr) {
        raster::fillEllipse(*surface, r.insideOutline(), toPixel(fillColour));
    }
}

void DrawContext::drawArc(const Rect& r, Point start, Point end) {
    if (surface != nullptr) {
        raster::ellipseArc(*surface, r, start, end, pen());
    }
}

void DrawContext::fillArc(const Rect& r, Point start, Point end) {
    if (surface != nullptr) {
        raster::fillPie(*surface, r.insideOutline(), start, end, toPixel(fillColour));
    }
}

void DrawContext::setPixel(Point p, Colour colour) {
    if (surface != nullptr) {
        surface->setPixel(p.h, p.v, toPixel(colour));
    }
}

void DrawContext::drawString(const char* text, const Rect& r, bool opaque, int32_t align) {
    Typeface* face = currentFont();
    if (surface == nullptr || text == nullptr || face == nullptr) {
        return;
    }
    const std::string_view line(text, strnlen(text, 4096));
    const int32_t width = face->textWidth(line);
    int32_t x = r.left + 1;
    if (align == AlignCentre) {
        x = r.left + (r.width() - width) / 2;
    } else if (align == AlignRight) {
        x = r.right - width;
    }
    const int32_t cellTop = r.top + (r.height() - face->cellHeight()) / 2;
    if (opaque) {
        const Rect cells{std::max(x, r.left), std::max(cellTop, r.top),
                         std::min(x + width, r.right),
                         std::min(cellTop + face->cellHeight(), r.bottom)};
        surface->fillBlock(cells, toPixel(fillColour));
    }
    face->drawText(*surface, line, x, cellTop + face->ascent(), r, toPixel(fontColour));
}

int32_t DrawContext::getMouseButtons() const {
    return window != nullptr ? window->mouseButtons() : 0;
}

Point DrawContext::getMouseLocation() const {
    return window != nullptr ? window->mouseLocation() : Point{};
}
