#include "gui/bitmapref.h"

#include "gui/bitmap.h"

#include <utility>

BitmapRef::BitmapRef(Bitmap* bitmap) : bitmap(bitmap) {
    if (bitmap != nullptr) {
        bitmap->retain();
    }
}

BitmapRef BitmapRef::adopt(Bitmap* created) {
    BitmapRef ref;
    ref.bitmap = created;
    return ref;
}

BitmapRef::BitmapRef(BitmapRef&& other) noexcept : bitmap(std::exchange(other.bitmap, nullptr)) {}

BitmapRef& BitmapRef::operator=(BitmapRef&& other) noexcept {
    if (this != &other) {
        reset();
        bitmap = std::exchange(other.bitmap, nullptr);
    }
    return *this;
}

BitmapRef::~BitmapRef() {
    reset();
}

void BitmapRef::reset() {
    if (bitmap != nullptr) {
        std::exchange(bitmap, nullptr)->release();
    }
}
