// The toolkit's font table and text rendering through FreeType, with faces found by fontconfig.
#pragma once

#include "gui/geometry.h"
#include "gui/render/surface.h"

#include <cstdint>
#include <memory>
#include <string_view>

struct FontTableEntry {
    const char* face;
    int32_t height;
    bool bold;
};

inline constexpr int32_t kFontCount = 7;

// The entry for id; an id outside 0..6 gives entry 0.
const FontTableEntry& fontTableEntry(int32_t id);

// One face at one character height (pixels), its glyphs rendered once and kept.
class Typeface {
public:
    // The face of table entry `id` at `height` pixels, with the table's weight unless
    // `normalWeight`. Cached for the life of the process; null only when no face at all can be
    // loaded.
    static Typeface* get(int32_t id, int32_t height, bool normalWeight = false);

    ~Typeface();
    Typeface(const Typeface&) = delete;
    Typeface& operator=(const Typeface&) = delete;

    int32_t ascent() const { return ascent_; }
    int32_t descent() const { return descent_; }
    int32_t cellHeight() const { return ascent_ + descent_; }
    int32_t textWidth(std::string_view text);
    // Blends the glyphs in `colour` with the pen at (x, baseline), touching only pixels inside
    // `clip`.
    void drawText(Surface& surface, std::string_view text, int32_t x, int32_t baseline,
                  const Rect& clip, uint32_t colour);

private:
    struct Glyph;
    struct Impl;
    Typeface(std::unique_ptr<Impl> impl);
    const Glyph& glyph(unsigned char character);

    std::unique_ptr<Impl> impl;
    int32_t ascent_ = 0;
    int32_t descent_ = 0;
};
