#include "tools/artwork/bmpwriter.h"

#include <stdexcept>

namespace artwork {

namespace {

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kPaletteEntries = 256;
constexpr int32_t kPixelsPerMetre = 2835; // 72 dots per inch

void putU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value & 0xff));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xff));
}

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    putU16(out, value & 0xffff);
    putU16(out, value >> 16);
}

uint32_t paddedRowSize(int width, int bitsPerPixel) {
    return ((static_cast<uint32_t>(width) * static_cast<uint32_t>(bitsPerPixel) + 31) / 32) * 4;
}

std::vector<uint8_t> headers(int width, int height, int bitsPerPixel, uint32_t paletteEntries) {
    const uint32_t paletteSize = paletteEntries * 4;
    const uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + paletteSize;
    const uint32_t imageSize = paddedRowSize(width, bitsPerPixel) * static_cast<uint32_t>(height);
    std::vector<uint8_t> out;
    out.reserve(pixelOffset + imageSize);
    out.push_back('B');
    out.push_back('M');
    putU32(out, pixelOffset + imageSize);
    putU32(out, 0); // two reserved words
    putU32(out, pixelOffset);
    putU32(out, kInfoHeaderSize);
    putU32(out, static_cast<uint32_t>(width));
    putU32(out, static_cast<uint32_t>(height)); // positive: rows bottom-up
    putU16(out, 1);                             // planes
    putU16(out, static_cast<uint32_t>(bitsPerPixel));
    putU32(out, 0); // no compression
    putU32(out, imageSize);
    putU32(out, kPixelsPerMetre);
    putU32(out, kPixelsPerMetre);
    putU32(out, paletteEntries);
    putU32(out, 0); // all colours important
    return out;
}

void padRow(std::vector<uint8_t>& out, size_t rowStart, uint32_t rowSize) {
    while (out.size() - rowStart < rowSize) {
        out.push_back(0);
    }
}

} // namespace

std::vector<uint8_t> encodeBmp24(const RgbImage& image) {
    std::vector<uint8_t> out = headers(image.width, image.height, 24, 0);
    const uint32_t rowSize = paddedRowSize(image.width, 24);
    for (int y = image.height - 1; y >= 0; --y) {
        const size_t rowStart = out.size();
        for (int x = 0; x < image.width; ++x) {
            const uint32_t rgb = image.at(x, y);
            out.push_back(static_cast<uint8_t>(blueOf(rgb)));
            out.push_back(static_cast<uint8_t>(greenOf(rgb)));
            out.push_back(static_cast<uint8_t>(redOf(rgb)));
        }
        padRow(out, rowStart, rowSize);
    }
    return out;
}

std::vector<uint8_t> encodeBmp8(const IndexedImage& image) {
    if (image.palette.size() > kPaletteEntries) {
        throw std::runtime_error("palette holds more than 256 colours");
    }
    std::vector<uint8_t> out = headers(image.width, image.height, 8, kPaletteEntries);
    for (uint32_t entry = 0; entry < kPaletteEntries; ++entry) {
        const uint32_t rgb = entry < image.palette.size() ? image.palette[entry] : 0;
        out.push_back(static_cast<uint8_t>(blueOf(rgb)));
        out.push_back(static_cast<uint8_t>(greenOf(rgb)));
        out.push_back(static_cast<uint8_t>(redOf(rgb)));
        out.push_back(0);
    }
    const uint32_t rowSize = paddedRowSize(image.width, 8);
    for (int y = image.height - 1; y >= 0; --y) {
        const size_t rowStart = out.size();
        for (int x = 0; x < image.width; ++x) {
            out.push_back(image.indices[static_cast<size_t>(y) * image.width + x]);
        }
        padRow(out, rowStart, rowSize);
    }
    return out;
}

} // namespace artwork
