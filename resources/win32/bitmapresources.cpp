// The editor's bitmaps on Windows: BITMAP resources of the DLL, found by id on the module handle.
// A BITMAP resource is a bitmap file without its 14-byte file header; the header is put back once
// per id, so that callers read the same file bytes as on Linux.
#include "frame/module.h"
#include "resources/embedded.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kInfoHeaderMinimum = 40;
constexpr size_t kMaxPaletteBits = 8;

void putLittleEndian(std::vector<unsigned char>& bytes, size_t at, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
    }
}

uint32_t readLittleEndian(const unsigned char* bytes, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

// Where the pixels start in the resource: after the header and the palette. Zero when the
// resource is too short to say.
size_t pixelOffset(const unsigned char* dib, size_t size) {
    if (size < kInfoHeaderMinimum) {
        return 0;
    }
    const uint32_t headerSize = readLittleEndian(dib, 4);
    const uint32_t bits = readLittleEndian(dib + 14, 2);
    uint32_t colours = readLittleEndian(dib + 32, 4);
    if (colours == 0 && bits <= kMaxPaletteBits) {
        colours = 1u << bits;
    }
    return size_t{headerSize} + size_t{colours} * 4;
}

// The resource's bytes as a bitmap file, or empty when the module holds no such bitmap.
std::vector<unsigned char> bitmapFile(int id) {
    auto* module = static_cast<HMODULE>(moduleHandle);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(2)); // RT_BITMAP
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* dib =
        static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const size_t size = found != nullptr ? SizeofResource(module, found) : 0;
    const size_t pixels = dib != nullptr ? pixelOffset(dib, size) : 0;
    if (pixels == 0) {
        return {};
    }
    std::vector<unsigned char> file(kFileHeaderSize + size);
    file[0] = 'B';
    file[1] = 'M';
    putLittleEndian(file, 2, static_cast<uint32_t>(file.size()), 4);
    putLittleEndian(file, 10, static_cast<uint32_t>(kFileHeaderSize + pixels), 4);
    std::copy(dib, dib + size, file.begin() + kFileHeaderSize);
    return file;
}

} // namespace

std::span<const unsigned char> findEmbeddedResource(int id) {
    // Editors on several UI threads load bitmaps at once; the files live as long as the module.
    static std::mutex lock;
    static std::map<int, std::vector<unsigned char>> files;
    const std::lock_guard guard(lock);
    auto found = files.find(id);
    if (found == files.end()) {
        found = files.emplace(id, bitmapFile(id)).first;
    }
    return found->second;
}
