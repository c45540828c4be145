// A drawing context whose surface is a picture in memory, copied to another context when done.
#pragma once

#include "gui/drawcontext.h"

class OffscreenContext : public DrawContext {
public:
    // A width x height picture, all in `background`.
    OffscreenContext(ViewHolder* holder, int32_t width, int32_t height, Colour background);

    // Copies the destRect-sized block at srcOffset to destRect's top-left corner on destination.
    void copyTo(DrawContext* destination, const Rect& destRect, Point srcOffset);

private:
    Surface picture;
};
