// Runs plughost's editor commands with a chosen environment and reads back their pictures.
#pragma once

#include "tests/host/test_plughost_support.h"

#include <png.h>

#include <array>
#include <optional>

namespace plughost_test {

struct Picture {
    using Rgb = std::array<int, 3>;
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    Rgb at(int x, int y) const {
        const auto offset = static_cast<size_t>((y * width + x) * 3);
        return {rgb[offset], rgb[offset + 1], rgb[offset + 2]};
    }
};

inline std::optional<Picture> readPng(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        ADD_FAILURE() << path << ": " << image.message;
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGB;
    Picture picture{static_cast<int>(image.width), static_cast<int>(image.height),
                    std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
    if (png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr) == 0) {
        ADD_FAILURE() << path << ": " << image.message;
        return std::nullopt;
    }
    return picture;
}

struct CommandRun {
    int exitCode;
    std::string output; // stdout
    std::string errors; // stderr
};

class EditorCommandTest : public PlughostTest {
protected:
    // Runs plughost under `env ENVIRONMENT` (e.g. "-u DISPLAY").
    CommandRun run(const std::string& environment,
                   const std::vector<std::string>& arguments) const {
        std::string command = "env " + environment + " " + quoted(PLUGHOST_PATH);
        for (const std::string& argument : arguments) {
            command += " " + quoted(argument);
        }
        const auto output = folder.parent_path() / (folder.filename().string() + ".stdout");
        const auto errors = folder.parent_path() / (folder.filename().string() + ".stderr");
        const int status = std::system(
            (command + " >" + quoted(output.string()) + " 2>" + quoted(errors.string())).c_str());
        CommandRun result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(output),
                          readText(errors)};
        std::filesystem::remove(output);
        std::filesystem::remove(errors);
        return result;
    }

    // Also without a scale of the user's: the editor is photographed at 1x.
    CommandRun withoutDisplay(const std::vector<std::string>& arguments) const {
        return run("-u DISPLAY -u GLIDEFILTER_SCALE", arguments);
    }
};

} // namespace plughost_test
