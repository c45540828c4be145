// The bitmap file reader takes any bytes without reading outside them; a picture it accepts is
// whole, and every pixel of it is a plain 24-bit colour.
#include "gui/render/bmp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto picture = readBmp({data, size});
    if (!picture) {
        return 0;
    }
    if (picture->width() <= 0 || picture->height() <= 0) {
        __builtin_trap();
    }
    for (int32_t y = 0; y < picture->height(); ++y) {
        for (int32_t x = 0; x < picture->width(); ++x) {
            if (picture->pixel(x, y) > 0xffffffu) {
                __builtin_trap();
            }
        }
    }
    return 0;
}
