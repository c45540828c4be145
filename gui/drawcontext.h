// The drawing state and the drawing operations of one paint, redraw or mouse dispatch.
#pragma once

#include "gui/geometry.h"
#include "gui/render/raster.h"
#include "gui/render/surface.h"

#include <cstdint>

class PlatformWindow;
class Typeface;
class ViewHolder;

class DrawContext {
public:
    // `holder` is the frame the context draws for; `surface` may be null (an offscreen context sets
    // its own); `window` answers the mouse queries and may be null.
    DrawContext(ViewHolder* holder, Surface* surface, PlatformWindow* window);
    virtual ~DrawContext() = default;
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    void setLineStyle(int32_t style);
    void setLineWidth(int32_t width);
    void setFrameColour(Colour colour);
    // Also the background of opaque text.
    void setFillColour(Colour colour);
    void setFontColour(Colour colour);
    // An id outside 0..6 means 0; size 0 means the table's height for the id.
    void setFont(int32_t id, int32_t size = 0);

    int32_t getLineStyle() const { return lineStyle; }
    int32_t getLineWidth() const { return lineWidth; }
    Colour getFrameColour() const { return frameColour; }
    Colour getFillColour() const { return fillColour; }
    Colour getFontColour() const { return fontColour; }
    int32_t getFontSize() const { return fontSize; }

    void moveTo(Point p);
    // With the pen to p, p itself excluded; p becomes the current position.
    void lineTo(Point p);
    // Connected segments through the points; the current position is left alone.
    void drawPolyline(const Point* points, int32_t count);
    // Alternate rule, no outline.
    void fillPolygon(const Point* points, int32_t count);
    // Outline through the four corners: paints r.outlined()'s border.
    void drawRect(const Rect& r);
    // r.insideOutline(): the inside of the drawRect outline.
    void fillRect(const Rect& r);
    void drawEllipse(const Rect& r);
    void fillEllipse(const Rect& r);
    // Counter-clockwise from the ray through start to the ray through end.
    void drawArc(const Rect& r, Point start, Point end);
    void fillArc(const Rect& r, Point start, Point end);
    void setPixel(Point p, Colour colour);
    // One line, vertically centred in r and clipped to it.
    void drawString(const char* text, const Rect& r, bool opaque, int32_t align);

    // The live button and modifier word (MouseBits).
    int32_t getMouseButtons() const;
    // The live pointer position in the window's pixels.
    Point getMouseLocation() const;

    ViewHolder* getHolder() const { return holder; }
    Surface* getSurface() const { return surface; }
    PlatformWindow* getWindow() const { return window; }

protected:
    Surface* surface;
    PlatformWindow* window;
    ViewHolder* holder;

private:
    raster::Pen pen() const;
    Typeface* currentFont() const;

    int32_t fontSize = 0;
    Colour fontColour = WhiteColour;
    int32_t lineWidth = 1;
    Colour frameColour = WhiteColour;
    Colour fillColour = BlackColour;
    int32_t lineStyle = LineSolid;
    Typeface* font = nullptr;
    Point position;
    raster::DashPhase dashPhase;
};
