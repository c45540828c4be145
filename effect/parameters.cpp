#include "effect/parameters.h"

#include <cstdio>
#include <cstring>

void writeControllerNumber(int32_t number, char* text) {
    if (number == kControllerOff) {
        std::strcpy(text, "OFF");
    } else {
        std::snprintf(text, kControllerTextSize, "%d", number);
    }
}
