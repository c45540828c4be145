#include "gui/bitmap.h"

#include "gui/drawcontext.h"
#include "gui/render/bmp.h"
#include "resources/embedded.h"

#include <atomic>

namespace {
// Editors on several UI threads make and release bitmaps at once.
std::atomic<int32_t> liveBitmaps{0};
} // namespace

Bitmap::Bitmap(int32_t resourceId) : resourceId(resourceId) {
    ++liveBitmaps;
    if (auto loaded = readBmp(findEmbeddedResource(resourceId & 0xffff))) {
        picture = std::move(*loaded);
        width = picture.width();
        height = picture.height();
    }
}

Bitmap::Bitmap(Surface picture)
    : resourceId(-1), picture(std::move(picture)), width(this->picture.width()),
      height(this->picture.height()) {
    ++liveBitmaps;
}

Bitmap::~Bitmap() {
    --liveBitmaps;
}

int32_t Bitmap::liveCount() {
    return liveBitmaps;
}

void Bitmap::release() {
    if (--refCount == 0) {
        delete this;
    }
}

void Bitmap::draw(DrawContext* context, const Rect& r, Point offset) {
    copyBlock(context, r, offset, false);
}

void Bitmap::drawTransparent(DrawContext* context, const Rect& r, Point offset) {
    if (mask.empty()) {
        buildMask();
    }
    copyBlock(context, r, offset, true);
}

void Bitmap::buildMask() {
    const uint32_t key = toPixel(TransparentColour);
    mask.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < mask.size(); ++i) {
        mask[i] = picture.data()[i] == key;
    }
}

void Bitmap::copyBlock(DrawContext* context, const Rect& r, Point offset, bool keyed) {
    Surface* target = context != nullptr ? context->getSurface() : nullptr;
    if (target != nullptr && width > 0 && height > 0) {
        ::copyBlock(picture, offset, *target, r, keyed ? &mask : nullptr);
    }
}
