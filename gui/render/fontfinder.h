// Where the toolkit's fonts come from: the system's own way of finding a face's file (fontconfig
// on Linux, the font folder on Windows). FreeType reads what this finds.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A face's file by its path, or its bytes where the system hands out those instead.
struct FontFile {
    std::string path;
    int index = 0;
    std::vector<unsigned char> bytes;
};

// The families that stand for a font table face, best first, ending with the generic "sans-serif"
// (which a system may know by another name).
std::vector<std::string> familiesFor(std::string_view face);

// The file of the closest installed face for a font table face (see fonts.h) at the weight; with
// `anyFace` the system's default sans face instead. Empty when there is none.
std::optional<FontFile> findFontFile(std::string_view face, bool bold, bool anyFace);
