// One counted reference on a bitmap, held for as long as the handle holds it: whoever keeps a
// bitmap keeps one of these instead of calling retain and release by hand.
#pragma once

class Bitmap;

class BitmapRef {
public:
    BitmapRef() = default;
    // Takes a reference of its own on `bitmap`, which may be null.
    explicit BitmapRef(Bitmap* bitmap);
    // Takes over the reference that the creator of a new bitmap holds.
    static BitmapRef adopt(Bitmap* created);
    BitmapRef(BitmapRef&& other) noexcept;
    // Gives back the old reference; `other` already holds the new one, so assigning a bitmap to
    // the handle that holds its last reference keeps it alive.
    BitmapRef& operator=(BitmapRef&& other) noexcept;
    BitmapRef(const BitmapRef&) = delete;
    BitmapRef& operator=(const BitmapRef&) = delete;
    ~BitmapRef();

    // Gives the reference back (the last one destroys the bitmap) and holds nothing.
    void reset();
    Bitmap* get() const { return bitmap; }
    Bitmap* operator->() const { return bitmap; }
    explicit operator bool() const { return bitmap != nullptr; }

private:
    Bitmap* bitmap = nullptr;
};
