#include "gui/render/fontfinder.h"

std::vector<std::string> familiesFor(std::string_view face) {
    if (face == "Arial") {
        return {"Arial", "Liberation Sans", "sans-serif"};
    }
    if (face == "Small Fonts") {
        // Hinted and clear at 9 pixels.
        return {"DejaVu Sans", "sans-serif"};
    }
    if (face == "Symbol") {
        return {"Symbol", "OpenSymbol", "Standard Symbols PS", "sans-serif"};
    }
    return {std::string(face), "sans-serif"};
}
