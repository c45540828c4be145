// The bitmap file reader takes any bytes without reading outside them; a picture it accepts is
// fully readable.
#include "gui/bmp.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto picture = readBmp({data, size});
    if (picture) {
        uint32_t sum = 0;
        for (int32_t y = 0; y < picture->height(); ++y) {
            for (int32_t x = 0; x < picture->width(); ++x) {
                sum += picture->pixel(x, y);
            }
        }
        static volatile uint32_t sink;
        sink = sum;
    }
    return 0;
}
