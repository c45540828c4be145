#include "gui/render/fonts.h"

#include "gui/render/fontfinder.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <list>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

namespace {

constexpr std::array<FontTableEntry, kFontCount> fontTable{{
    {"Arial", 12, true},
    {"Arial", 18, false},
    {"Arial", 14, false},
    {"Arial", 12, false},
    {"Arial", 11, false},
    {"Small Fonts", 9, false},
    {"Symbol", 13, false},
}};

// Heights beyond this are drawn at this height.
constexpr int32_t kMaxHeight = 512;

// Editors may draw on several UI threads (a host may give each plug-in window its own), and
// they share the font table, the faces (one per face and weight, resized for every height) and
// the glyph caches; FreeType allows one thread at a time on a face. Held for the length of one
// lookup or one text operation.
std::mutex& fontLock() {
    static std::mutex lock;
    return lock;
}

class FaceLibrary {
public:
    static FaceLibrary& instance() {
        static FaceLibrary library;
        return library;
    }
    ~FaceLibrary() {
        for (auto& [key, face] : faces) {
            if (face != nullptr) {
                FT_Done_Face(face);
            }
        }
        if (library != nullptr) {
            FT_Done_FreeType(library);
        }
    }
    FaceLibrary(const FaceLibrary&) = delete;
    FaceLibrary& operator=(const FaceLibrary&) = delete;

    // A loaded face for the table face and weight, or null when nothing can be loaded.
    FT_Face face(std::string_view name, bool bold) {
        const auto key = std::make_pair(std::string(name), bold);
        if (auto found = faces.find(key); found != faces.end()) {
            return found->second;
        }
        FT_Face loaded = load(findFontFile(name, bold, false));
        if (loaded == nullptr) {
            loaded = load(findFontFile(name, false, true));
        }
        faces.emplace(key, loaded);
        return loaded;
    }

private:
    FaceLibrary() {
        if (FT_Init_FreeType(&library) != 0) {
            library = nullptr;
        }
    }

    FT_Face load(std::optional<FontFile> file) {
        if (library == nullptr || !file) {
            return nullptr;
        }
        FT_Face face = nullptr;
        if (file->bytes.empty()) {
            return FT_New_Face(library, file->path.c_str(), file->index, &face) == 0 ? face
                                                                                     : nullptr;
        }
        // FreeType reads a face from memory where it lies, for as long as the face lives.
        const std::vector<unsigned char>& bytes = faceBytes.emplace_back(std::move(file->bytes));
        return FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()),
                                  file->index, &face) == 0
                   ? face
                   : nullptr;
    }

    FT_Library library = nullptr;
    std::map<std::pair<std::string, bool>, FT_Face> faces;
    // The files of the faces read from memory; a list, so that they never move.
    std::list<std::vector<unsigned char>> faceBytes;
};

} // namespace

const FontTableEntry& fontTableEntry(int32_t id) {
    return fontTable[id >= 0 && id < kFontCount ? id : 0];
}

struct Typeface::Glyph {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t rows = 0;
    int32_t advance = 0;
    std::vector<uint8_t> coverage;
};

struct Typeface::Impl {
    FT_Face face;
    int32_t height;
    std::map<unsigned char, Glyph> glyphs;
};

Typeface::Typeface(std::unique_ptr<Impl> impl) : impl(std::move(impl)) {
    FT_Face face = this->impl->face;
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(this->impl->height));
    ascent_ = static_cast<int32_t>((face->size->metrics.ascender + 32) >> 6);
    descent_ = static_cast<int32_t>((-face->size->metrics.descender + 32) >> 6);
}

Typeface::~Typeface() = default;

Typeface* Typeface::get(int32_t id, int32_t height, bool normalWeight) {
    const std::lock_guard lock(fontLock());
    static std::map<std::tuple<int32_t, int32_t, bool>, std::unique_ptr<Typeface>> fonts;
    const FontTableEntry& entry = fontTableEntry(id);
    const bool bold = entry.bold && !normalWeight;
    const int32_t pixels = std::clamp(height, 1, kMaxHeight);
    const auto key = std::make_tuple(id >= 0 && id < kFontCount ? id : 0, pixels, bold);
    if (auto found = fonts.find(key); found != fonts.end()) {
        return found->second.get();
    }
    FT_Face face = FaceLibrary::instance().face(entry.face, bold);
    if (face == nullptr) {
        return nullptr;
    }
    auto impl = std::make_unique<Impl>(Impl{face, pixels, {}});
    auto font = std::unique_ptr<Typeface>(new Typeface(std::move(impl)));
    return fonts.emplace(key, std::move(font)).first->second.get();
}

const Typeface::Glyph& Typeface::glyph(unsigned char character) {
    if (auto found = impl->glyphs.find(character); found != impl->glyphs.end()) {
        return found->second;
    }
    Glyph glyph;
    FT_Face face = impl->face;
    // Texts are 8-bit Latin-1; the face is shared between heights, so set ours first.
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(impl->height));
    if (FT_Load_Char(face, character, FT_LOAD_RENDER) == 0) {
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.advance = static_cast<int32_t>((slot->advance.x + 32) >> 6);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.buffer != nullptr) {
            glyph.width = static_cast<int32_t>(bitmap.width);
            glyph.rows = static_cast<int32_t>(bitmap.rows);
            glyph.coverage.resize(static_cast<size_t>(glyph.width) * glyph.rows);
            for (int32_t y = 0; y < glyph.rows; ++y) {
                const uint8_t* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
                std::copy(row, row + glyph.width,
                          glyph.coverage.begin() + static_cast<ptrdiff_t>(y) * glyph.width);
            }
        }
    }
    return impl->glyphs.emplace(character, std::move(glyph)).first->second;
}

int32_t Typeface::textWidth(std::string_view text) {
    const std::lock_guard lock(fontLock());
    int32_t width = 0;
    for (char c : text) {
        width += glyph(static_cast<unsigned char>(c)).advance;
    }
    return width;
}

namespace {

uint32_t blend(uint32_t under, uint32_t over, uint32_t coverage) {
    uint32_t result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t a = (under >> shift) & 0xff;
        const uint32_t b = (over >> shift) & 0xff;
        result |= ((b * coverage + a * (255 - coverage) + 127) / 255) << shift;
    }
    return result;
}

} // namespace

void Typeface::drawText(Surface& surface, std::string_view text, int32_t x, int32_t baseline,
                        const Rect& clip, uint32_t colour) {
    const std::lock_guard lock(fontLock());
    const Rect bounds{std::max(clip.left, 0), std::max(clip.top, 0),
                      std::min(clip.right, surface.width()),
                      std::min(clip.bottom, surface.height())};
    int32_t penX = x;
    for (char c : text) {
        const Glyph& g = glyph(static_cast<unsigned char>(c));
        const int32_t originX = penX + g.left;
        const int32_t originY = baseline - g.top;
        for (int32_t row = 0; row < g.rows; ++row) {
            const int32_t py = originY + row;
            if (py < bounds.top || py >= bounds.bottom) {
                continue;
            }
            for (int32_t column = 0; column < g.width; ++column) {
                const int32_t px = originX + column;
                const uint32_t coverage = g.coverage[static_cast<size_t>(row) * g.width + column];
                if (coverage == 0 || px < bounds.left || px >= bounds.right) {
                    continue;
                }
                surface.setPixel(px, py, blend(surface.pixel(px, py), colour, coverage));
            }
        }
        penX += g.advance;
    }
}
