// Faces found by fontconfig, with a configuration of our own: the process-wide one belongs to the
// host.
#include "gui/render/fontfinder.h"

#include <fontconfig/fontconfig.h>

#include <memory>

namespace {

struct ConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};

FcConfig* configuration() {
    static const std::unique_ptr<FcConfig, ConfigDeleter> config(FcInitLoadConfigAndFonts());
    return config.get();
}

std::optional<FontFile> match(FcConfig* config, const std::vector<std::string>& families,
                              bool bold) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return std::nullopt;
    }
    for (const std::string& family : families) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (found == nullptr) {
        return std::nullopt;
    }
    std::optional<FontFile> file;
    FcChar8* path = nullptr;
    if (FcPatternGetString(found, FC_FILE, 0, &path) == FcResultMatch) {
        file = FontFile{reinterpret_cast<const char*>(path), 0, {}};
        if (FcPatternGetInteger(found, FC_INDEX, 0, &file->index) != FcResultMatch) {
            file->index = 0;
        }
    }
    FcPatternDestroy(found);
    return file;
}

} // namespace

std::optional<FontFile> findFontFile(std::string_view face, bool bold, bool anyFace) {
    FcConfig* config = configuration();
    if (config == nullptr) {
        return std::nullopt;
    }
    return match(config, anyFace ? std::vector<std::string>{"sans-serif"} : familiesFor(face),
                 bold);
}
