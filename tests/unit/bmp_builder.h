// Builds small Windows bitmap files in memory for the reader's tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct BmpShape {
    int32_t width = 3;
    int32_t height = 2; // negative: stored top-down
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t paletteEntries = 0; // 0 with 8 bits: a full 256-entry palette
};

inline void putU32(std::vector<unsigned char>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

// Pixel (x, y) of the picture (y from the top) is colour 0xRRGGBB = x * 0x10 + y * 0x1000 + 0x5;
// 8-bit pictures use palette index x + 4 * y, and palette entry i is colour i * 0x010101.
inline std::vector<unsigned char> makeBmp(const BmpShape& shape) {
    const int32_t rows = shape.height < 0 ? -shape.height : shape.height;
    const size_t stride = ((static_cast<size_t>(shape.width) * shape.bits + 31) / 32) * 4;
    const uint32_t entries =
        shape.bits == 8 ? (shape.paletteEntries ? shape.paletteEntries : 256) : 0;
    const size_t pixelOffset = 14 + 40 + size_t{entries} * 4;
    std::vector<unsigned char> out(pixelOffset + stride * rows, 0);
    out[0] = 'B';
    out[1] = 'M';
    putU32(out, 2, static_cast<uint32_t>(out.size()));
    putU32(out, 10, static_cast<uint32_t>(pixelOffset));
    putU32(out, 14, 40);
    putU32(out, 18, static_cast<uint32_t>(shape.width));
    putU32(out, 22, static_cast<uint32_t>(shape.height));
    out[26] = 1;
    out[28] = static_cast<unsigned char>(shape.bits);
    putU32(out, 30, shape.compression);
    putU32(out, 46, shape.paletteEntries);
    for (uint32_t i = 0; i < entries; ++i) {
        out[54 + i * 4] = out[55 + i * 4] = out[56 + i * 4] = static_cast<unsigned char>(i);
    }
    for (int32_t y = 0; y < rows; ++y) {
        const int32_t stored = shape.height < 0 ? y : rows - 1 - y;
        unsigned char* row = out.data() + pixelOffset + stride * stored;
        for (int32_t x = 0; x < shape.width; ++x) {
            if (shape.bits == 8) {
                row[x] = static_cast<unsigned char>(x + 4 * y);
            } else if (shape.bits == 24) {
                const uint32_t colour = x * 0x10 + y * 0x1000 + 0x5;
                row[x * 3] = static_cast<unsigned char>(colour);
                row[x * 3 + 1] = static_cast<unsigned char>(colour >> 8);
                row[x * 3 + 2] = static_cast<unsigned char>(colour >> 16);
            }
        }
    }
    return out;
}
