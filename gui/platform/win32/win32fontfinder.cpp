// Faces on Windows: the font table's faces by their usual file names in the system's font folder;
// where none of them is there (Wine keeps its fonts outside that folder), the file of the first of
// the face's families that GDI has (the same families fontconfig is asked for on Linux, so that the
// same file draws the same pixels), as GDI hands it out; failing those, whatever GDI picks.
#include "gui/render/fontfinder.h"

#include <windows.h>

#include <array>
#include <string>

namespace {

constexpr size_t kFolderLength = MAX_PATH;

// The files to try for a face and weight, best first.
std::vector<std::wstring> fileNamesFor(std::string_view face, bool bold) {
    const std::vector<std::wstring> sans =
        bold ? std::vector<std::wstring>{L"arialbd.ttf", L"LiberationSans-Bold.ttf"}
             : std::vector<std::wstring>{L"arial.ttf", L"LiberationSans-Regular.ttf"};
    if (face == "Small Fonts") {
        // Hinted and clear at 9 pixels, as on Linux where it is there; else Windows's own.
        std::vector<std::wstring> names{L"DejaVuSans.ttf", L"tahoma.ttf"};
        names.insert(names.end(), sans.begin(), sans.end());
        return names;
    }
    if (face == "Symbol") {
        std::vector<std::wstring> names{L"symbol.ttf"};
        names.insert(names.end(), sans.begin(), sans.end());
        return names;
    }
    return sans;
}

std::wstring fontFolder() {
    std::array<wchar_t, kFolderLength> windows{};
    const UINT length = GetWindowsDirectoryW(windows.data(), static_cast<UINT>(windows.size()));
    if (length == 0 || length >= windows.size()) {
        return {};
    }
    return std::wstring(windows.data(), length) + L"\\Fonts\\";
}

// The path in the ANSI code page, as FreeType opens it.
std::string narrowPath(const std::wstring& path) {
    const int size = WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, path.c_str(), -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size) - 1);
    return narrow;
}

std::optional<FontFile> inFontFolder(std::string_view face, bool bold) {
    const std::wstring folder = fontFolder();
    if (folder.empty()) {
        return std::nullopt;
    }
    for (const std::wstring& name : fileNamesFor(face, bold)) {
        const std::wstring path = folder + name;
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return FontFile{narrowPath(path), 0, {}};
        }
    }
    return std::nullopt;
}

HFONT createFont(const std::string& family, bool bold) {
    return CreateFontA(0, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, family.c_str());
}

// The whole file of the font selected into `context`, when GDI hands it out.
std::optional<FontFile> selectedFontFile(HDC context) {
    const DWORD size = GetFontData(context, 0, 0, nullptr, 0);
    if (size == GDI_ERROR || size == 0) {
        return std::nullopt;
    }
    FontFile file{{}, 0, std::vector<unsigned char>(size)};
    if (GetFontData(context, 0, 0, file.bytes.data(), size) != size) {
        return std::nullopt;
    }
    return file;
}

// The file of the face GDI matches to `family`; with `exactly`, only if it is that family and not
// a substitute.
std::optional<FontFile> fromGdi(const std::string& family, bool bold, bool exactly) {
    HFONT font = createFont(family.substr(0, LF_FACESIZE - 1), bold);
    HDC context = CreateCompatibleDC(nullptr);
    std::optional<FontFile> file;
    if (font != nullptr && context != nullptr) {
        HGDIOBJ previous = SelectObject(context, font);
        std::array<char, LF_FACESIZE> chosen{};
        GetTextFaceA(context, static_cast<int>(chosen.size()), chosen.data());
        if (!exactly || lstrcmpiA(chosen.data(), family.c_str()) == 0) {
            file = selectedFontFile(context);
        }
        SelectObject(context, previous);
    }
    if (context != nullptr) {
        DeleteDC(context);
    }
    if (font != nullptr) {
        DeleteObject(font);
    }
    return file;
}

std::optional<FontFile> fromGdiFamilies(std::string_view face, bool bold) {
    for (const std::string& family : familiesFor(face)) {
        if (std::optional<FontFile> file = fromGdi(family, bold, true)) {
            return file;
        }
    }
    return fromGdi(std::string(face), bold, false);
}

} // namespace

std::optional<FontFile> findFontFile(std::string_view face, bool bold, bool anyFace) {
    const std::string_view wanted = anyFace ? "Arial" : face;
    const bool weight = anyFace ? false : bold;
    std::optional<FontFile> file = inFontFolder(wanted, weight);
    return file ? file : fromGdiFamilies(wanted, weight);
}
