// Small text helpers for plughost's messages and its matching of names.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

namespace plughost {

// ASCII letters in lowercase; names and extensions are matched without regard to capitals.
inline std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// "a, b, c": lists in one-line messages.
inline std::string joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : ", ") + item;
    }
    return text;
}

// A number as short as "%g" writes it: "0.5", "44100", "-12".
inline std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace plughost
