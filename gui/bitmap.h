// A picture from the library's resources, shared by reference count, drawn plainly or with white
// as the transparent colour.
#pragma once

#include "gui/geometry.h"
#include "gui/render/surface.h"

#include <cstdint>
#include <vector>

class DrawContext;

class Bitmap {
public:
    // Loads the resource whose id is the low 16 bits of resourceId; an id the library lacks
    // gives an empty (0 x 0) bitmap that draws nothing. The creator holds the first reference.
    explicit Bitmap(int32_t resourceId);
    // A bitmap of a picture made in memory.
    explicit Bitmap(Surface picture);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    int32_t getRefCount() const { return refCount; }

    int32_t getResourceId() const { return resourceId; }
    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    const Surface& getPicture() const { return picture; }

    // Copies the r.width x r.height block at `offset` in the picture to r's top-left corner.
    void draw(DrawContext* context, const Rect& r, Point offset);
    // As draw, leaving the destination alone where the picture is TransparentColour.
    void drawTransparent(DrawContext* context, const Rect& r, Point offset);

    // Bitmaps alive in the process: lets tests see that every reference was released.
    static int32_t liveCount();

private:
    // References are taken and given back only through BitmapRef.
    friend class BitmapRef;
    void retain() { ++refCount; }
    // The last release destroys the bitmap.
    void release();

    ~Bitmap();
    void copyBlock(DrawContext* context, const Rect& r, Point offset, bool keyed);
    void buildMask();

    int32_t resourceId;
    Surface picture;
    // One entry per picture pixel, set where the picture is transparent; built on first use.
    std::vector<bool> mask;
    int32_t width = 0;
    int32_t height = 0;
    int32_t refCount = 1;
};
