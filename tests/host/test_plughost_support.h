// Runs the plughost program on the built plug-in and reads back what it wrote.
#pragma once

#include "tests/host/plugin_fixture.h"

#include <sndfile.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace plughost_test {

inline std::string builtPluginPath() {
    return GLIDEFILTER_PLUGIN_PATH;
}

struct Outcome {
    int exitCode;
    std::string errors; // what plughost wrote on stderr
    std::string output; // and on stdout
};

inline std::string quoted(const std::string& argument) {
    std::string text = "'";
    for (char c : argument) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Interleaved samples and the file's description.
struct Audio {
    int channels = 0;
    int sampleRate = 0;
    int format = 0;
    std::vector<float> samples;

    int64_t frames() const { return static_cast<int64_t>(samples.size()) / channels; }
    float at(int64_t frame, int channel) const {
        return samples[static_cast<size_t>(frame * channels + channel)];
    }
};

inline Audio readAudio(const std::filesystem::path& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    if (file == nullptr) {
        return {};
    }
    Audio audio{info.channels, info.samplerate, info.format,
                std::vector<float>(static_cast<size_t>(info.frames * info.channels))};
    EXPECT_EQ(sf_readf_float(file, audio.samples.data(), info.frames), info.frames);
    sf_close(file);
    return audio;
}

inline void writeAudio(const std::filesystem::path& path, const Audio& audio) {
    SF_INFO info{};
    info.channels = audio.channels;
    info.samplerate = audio.sampleRate;
    info.format = audio.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path << ": " << sf_strerror(nullptr);
    EXPECT_EQ(sf_writef_float(file, audio.samples.data(), audio.frames()), audio.frames());
    sf_close(file);
}

// Bright, repeatable input: white noise at half scale.
inline Audio noise(int channels, int sampleRate, int64_t frames,
                   int format = SF_FORMAT_WAV | SF_FORMAT_FLOAT) {
    std::mt19937 generator(7);
    std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
    Audio audio{channels, sampleRate, format, {}};
    for (int64_t i = 0; i < frames * channels; ++i) {
        audio.samples.push_back(sample(generator));
    }
    return audio;
}

// A scratch folder per test, removed afterwards.
class PlughostTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "plughost-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::filesystem::path file(const std::string& name) const { return folder / name; }

    // `environment`, e.g. "VST_PATH=/x", is added to plughost's.
    Outcome plughost(const std::vector<std::string>& arguments,
                     const std::string& environment = "") const {
        std::string command = "env " + environment + " " + quoted(PLUGHOST_PATH);
        for (const std::string& argument : arguments) {
            command += " " + quoted(argument);
        }
        const auto errors = file(".stderr");
        const auto output = file(".stdout");
        const int status = std::system(
            (command + " 2>" + quoted(errors.string()) + " >" + quoted(output.string())).c_str());
        Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(errors),
                        readText(output)};
        std::filesystem::remove(errors);
        std::filesystem::remove(output);
        return outcome;
    }

    // The names in the folder, hidden temporaries included.
    std::vector<std::string> contents() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path folder;
};

} // namespace plughost_test
