#include "gui/render/bmp.h"

#include <limits>
#include <vector>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kMaxPaletteEntries = 256;

class Reader {
public:
    explicit Reader(std::span<const unsigned char> bytes) : bytes(bytes) {}

    bool has(size_t offset, size_t length) const {
        return offset <= bytes.size() && length <= bytes.size() - offset;
    }
    uint32_t u32(size_t offset) const {
        return uint32_t{bytes[offset]} | uint32_t{bytes[offset + 1]} << 8 |
               uint32_t{bytes[offset + 2]} << 16 | uint32_t{bytes[offset + 3]} << 24;
    }
    int32_t i32(size_t offset) const { return static_cast<int32_t>(u32(offset)); }
    uint16_t u16(size_t offset) const {
        return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
    }
    unsigned char u8(size_t offset) const { return bytes[offset]; }

private:
    std::span<const unsigned char> bytes;
};

struct Layout {
    int32_t width;
    int32_t height;
    bool topDown;
    uint16_t bitsPerPixel;
    size_t pixelOffset;
    size_t stride;
    std::vector<uint32_t> palette;
};

uint32_t pixelFromBgr(const Reader& in, size_t offset) {
    return uint32_t{in.u8(offset + 2)} << 16 | uint32_t{in.u8(offset + 1)} << 8 | in.u8(offset);
}

std::optional<Layout> readLayout(const Reader& in) {
    if (!in.has(0, kFileHeaderSize + kInfoHeaderSize) || in.u8(0) != 'B' || in.u8(1) != 'M') {
        return std::nullopt;
    }
    const uint32_t infoSize = in.u32(14);
    const int32_t width = in.i32(18);
    const int32_t rawHeight = in.i32(22);
    const uint16_t planes = in.u16(26);
    const uint16_t bits = in.u16(28);
    const uint32_t compression = in.u32(30);
    const uint32_t coloursUsed = in.u32(46);
    if (infoSize < kInfoHeaderSize || !in.has(kFileHeaderSize, infoSize) || planes != 1 ||
        (bits != 8 && bits != 24) || compression != kUncompressed || width <= 0 || rawHeight == 0 ||
        rawHeight == std::numeric_limits<int32_t>::min()) {
        return std::nullopt;
    }
    Layout layout{width,
                  rawHeight < 0 ? -rawHeight : rawHeight,
                  rawHeight < 0,
                  bits,
                  in.u32(10),
                  ((static_cast<size_t>(width) * bits + 31) / 32) * 4,
                  {}};
    if (bits == 8) {
        const uint32_t entries = coloursUsed == 0 ? kMaxPaletteEntries : coloursUsed;
        const size_t paletteOffset = kFileHeaderSize + infoSize;
        if (entries > kMaxPaletteEntries || !in.has(paletteOffset, size_t{entries} * 4) ||
            paletteOffset + size_t{entries} * 4 > layout.pixelOffset) {
            return std::nullopt;
        }
        for (uint32_t i = 0; i < entries; ++i) {
            layout.palette.push_back(pixelFromBgr(in, paletteOffset + size_t{i} * 4));
        }
    }
    const size_t rows = static_cast<size_t>(layout.height);
    if (layout.stride > std::numeric_limits<size_t>::max() / rows ||
        !in.has(layout.pixelOffset, layout.stride * rows)) {
        return std::nullopt;
    }
    return layout;
}

} // namespace

std::optional<Surface> readBmp(std::span<const unsigned char> file) {
    const Reader in(file);
    const std::optional<Layout> layout = readLayout(in);
    if (!layout) {
        return std::nullopt;
    }
    Surface picture(layout->width, layout->height);
    uint32_t* out = picture.data();
    for (int32_t y = 0; y < layout->height; ++y) {
        const int32_t storedRow = layout->topDown ? y : layout->height - 1 - y;
        const size_t row = layout->pixelOffset + static_cast<size_t>(storedRow) * layout->stride;
        for (int32_t x = 0; x < layout->width; ++x) {
            uint32_t value = 0;
            if (layout->bitsPerPixel == 24) {
                value = pixelFromBgr(in, row + static_cast<size_t>(x) * 3);
            } else {
                const unsigned char index = in.u8(row + static_cast<size_t>(x));
                // An index past the palette shows black rather than refusing the picture.
                value = index < layout->palette.size() ? layout->palette[index] : 0;
            }
            *out++ = value;
        }
    }
    picture.takeChanges();
    return picture;
}
