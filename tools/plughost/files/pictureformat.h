// Which picture format an output gets: the one its extension names, PNG for a name without one
// (and for standard output).
#pragma once

#include <initializer_list>
#include <string>

namespace plughost {

enum class PictureFormat { png, svg, pdf };

// Throws UsageError naming the extensions of `writable` when the name has another one.
PictureFormat pictureFormatFor(const std::string& path,
                               std::initializer_list<PictureFormat> writable);

} // namespace plughost
