#include "gui/png.h"

#include <png.h>

#include <cstdio>
#include <vector>

namespace {

// Nothing with a destructor lives in this frame: libpng reports errors by longjmp.
bool encode(FILE* file, int32_t width, int32_t height, const unsigned char* rgb) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < height; ++y) {
        png_write_row(png, rgb + static_cast<size_t>(y) * static_cast<size_t>(width) * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool writePng(const Surface& surface, const std::string& path) {
    if (surface.width() <= 0 || surface.height() <= 0) {
        return false;
    }
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<size_t>(surface.width()) * surface.height() * 3);
    const uint32_t* pixel = surface.data();
    for (size_t i = 0; i < static_cast<size_t>(surface.width()) * surface.height(); ++i) {
        rgb.push_back(static_cast<unsigned char>(pixel[i] >> 16));
        rgb.push_back(static_cast<unsigned char>(pixel[i] >> 8));
        rgb.push_back(static_cast<unsigned char>(pixel[i]));
    }
    const std::string partial = path + ".partial";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool encoded = encode(file, surface.width(), surface.height(), rgb.data());
    const bool closed = std::fclose(file) == 0;
    if (!encoded || !closed || std::rename(partial.c_str(), path.c_str()) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
