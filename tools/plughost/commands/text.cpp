#include "tools/plughost/commands/text.h"

#include <array>
#include <cstdio>
#include <utility>

namespace plughost {
namespace {

// The length of the UTF-8 sequence at `at` and the character it encodes; 0 when it is none.
std::pair<size_t, char32_t> utf8At(const std::string& text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const size_t length = lead < 0x80         ? 1
                          : lead >> 5 == 0x6  ? 2
                          : lead >> 4 == 0xE  ? 3
                          : lead >> 3 == 0x1E ? 4
                                              : 0;
    if (length == 0 || at + length > text.size()) {
        return {0, 0};
    }
    char32_t character = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if (next >> 6 != 0x2) {
            return {0, 0};
        }
        character = character << 6 | (next & 0x3F);
    }
    constexpr std::array<char32_t, 5> kShortest = {0, 0, 0x80, 0x800, 0x10000};
    const bool overlong = character < kShortest[length];
    const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
    return overlong || surrogate || character > 0x10FFFF ? std::pair<size_t, char32_t>{0, 0}
                                                         : std::pair{length, character};
}

std::string hexEscape(const char* prefix, unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%s%0*x", prefix, digits, value);
    return text;
}

} // namespace

std::string printable(const std::string& text) {
    std::string shown;
    for (size_t at = 0; at < text.size();) {
        const auto [length, character] = utf8At(text, at);
        if (length == 0) {
            shown += hexEscape("\\x", static_cast<unsigned char>(text[at]), 2);
            ++at;
            continue;
        }
        if (character == '\n' || character == '\t' || character == '\r') {
            shown += character == '\n' ? "\\n" : character == '\t' ? "\\t" : "\\r";
        } else if (character < 0x20 || character == 0x7F) {
            shown += hexEscape("\\x", static_cast<unsigned>(character), 2);
        } else if (character >= 0x80 && character <= 0x9F) {
            shown += hexEscape("\\u", static_cast<unsigned>(character), 4);
        } else {
            shown += text.substr(at, length);
        }
        at += length;
    }
    return shown;
}

} // namespace plughost
