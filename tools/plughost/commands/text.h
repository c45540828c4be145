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

// The folders of a PATH-like list ("a:b::c"), empty ones left out.
inline std::vector<std::string> splitPathList(const std::string& list) {
    std::vector<std::string> folders;
    std::string rest = list;
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        if (colon != 0) {
            folders.push_back(rest.substr(0, colon));
        }
        rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    }
    return folders;
}

// A number as short as "%g" writes it: "0.5", "44100", "-12".
inline std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The text with control characters escaped (\n, \x1b; \u009b for a C1 control; \xff for a byte
// that is no UTF-8), so that a plug-in's text can neither split a line nor reach the terminal
// as a command.
std::string printable(const std::string& text);

} // namespace plughost
