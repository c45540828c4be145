// Arbitrary typed text through the controller-number parser and back to its canonical text.
#include "editor/conversions.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    const float value = conversions::parseController(typed.c_str());
    if (!(value == 1.0f || (value >= 0.0f && value < 1.0f))) {
        std::abort();
    }
    char text[8];
    conversions::controllerText(value, text);
    if (std::strlen(text) > 6) {
        std::abort();
    }
    return 0;
}
