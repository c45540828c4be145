#include "tools/plughost/files/pictureformat.h"

#include "tools/common/errors.h"
#include "tools/plughost/files/soundformat.h"

#include <algorithm>
#include <array>

namespace plughost {
namespace {

struct NamedFormat {
    PictureFormat format;
    const char* extension;
};
constexpr std::array kExtensions = {NamedFormat{PictureFormat::png, "png"},
                                    NamedFormat{PictureFormat::svg, "svg"},
                                    NamedFormat{PictureFormat::pdf, "pdf"}};

std::string extensionOf(PictureFormat format) {
    return std::find_if(kExtensions.begin(), kExtensions.end(),
                        [format](const NamedFormat& named) { return named.format == format; })
        ->extension;
}

// ".png, .svg or .pdf"
std::string listOf(std::initializer_list<PictureFormat> formats) {
    std::string text;
    size_t listed = 0;
    for (const PictureFormat format : formats) {
        ++listed;
        text += (listed == 1                ? "."
                 : listed == formats.size() ? " or ."
                                            : ", .") +
                extensionOf(format);
    }
    return text;
}

} // namespace

PictureFormat pictureFormatFor(const std::string& path,
                               std::initializer_list<PictureFormat> writable) {
    const std::string extension = lowercaseExtension(path);
    if (extension.empty()) {
        return PictureFormat::png;
    }
    for (const PictureFormat format : writable) {
        if (extensionOf(format) == extension) {
            return format;
        }
    }
    throw UsageError("cannot write " + path + ": plughost writes this picture as " +
                     listOf(writable) + " only");
}

} // namespace plughost
