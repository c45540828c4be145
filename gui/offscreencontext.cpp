#include "gui/offscreencontext.h"

OffscreenContext::OffscreenContext(ViewHolder* holder, int32_t width, int32_t height,
                                   Colour background)
    : DrawContext(holder, nullptr, nullptr), picture(width, height) {
    surface = &picture;
    setFillColour(background);
    setFrameColour(background);
    fillRect({0, 0, width, height});
    drawRect({0, 0, width, height});
}

void OffscreenContext::copyTo(DrawContext* destination, const Rect& destRect, Point srcOffset) {
    Surface* target = destination != nullptr ? destination->getSurface() : nullptr;
    if (target != nullptr) {
        copyBlock(picture, srcOffset, *target, destRect);
    }
}
