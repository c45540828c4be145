// The committed editor bitmaps: the file formats the plug-in's reader takes, and the picture
// layout the editor relies on (film-strip frames, switch halves, knobs matching the panel).
#include "editor/panellayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using panel::kSwitchSize;
constexpr int kFrameWidth = panel::kKnobFrameWidth;
constexpr int kFrameHeight = panel::kKnobFrameHeight;
constexpr int kVisibleFrameHeight = panel::kKnobVisibleHeight;
constexpr int kFrameCount = panel::kKnobFrameCount;
constexpr int kStripHeight = kFrameCount * kFrameHeight;

std::filesystem::path resourcePath(const std::string& name) {
    return std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "resources" / name;
}

uint32_t readU32(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | (static_cast<uint32_t>(bytes[at + 1]) << 8) |
           (static_cast<uint32_t>(bytes[at + 2]) << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

uint16_t readU16(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

struct Bmp {
    std::vector<uint8_t> bytes;
    int32_t width = 0;
    int32_t height = 0;
    int bitsPerPixel = 0;
    uint32_t pixelOffset = 0;

    size_t rowSize() const { return ((static_cast<size_t>(width) * bitsPerPixel + 31) / 32) * 4; }

    // 0xRRGGBB of the pixel at (x, y), y counted from the top of the picture.
    uint32_t rgb(int x, int y) const {
        const size_t row = pixelOffset + rowSize() * static_cast<size_t>(height - 1 - y);
        size_t colour = row + static_cast<size_t>(x) * 3;
        if (bitsPerPixel == 8) {
            colour = 54 + 4 * static_cast<size_t>(bytes[row + static_cast<size_t>(x)]);
        }
        return (static_cast<uint32_t>(bytes[colour + 2]) << 16) |
               (static_cast<uint32_t>(bytes[colour + 1]) << 8) | bytes[colour];
    }
};

Bmp loadBmp(const std::string& name) {
    std::ifstream file(resourcePath(name), std::ios::binary);
    Bmp bmp;
    bmp.bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (bmp.bytes.size() >= 54) {
        bmp.pixelOffset = readU32(bmp.bytes, 10);
        bmp.width = static_cast<int32_t>(readU32(bmp.bytes, 18));
        bmp.height = static_cast<int32_t>(readU32(bmp.bytes, 22));
        bmp.bitsPerPixel = readU16(bmp.bytes, 28);
    }
    return bmp;
}

double luma(uint32_t rgb) {
    return 0.299 * ((rgb >> 16) & 0xff) + 0.587 * ((rgb >> 8) & 0xff) + 0.114 * (rgb & 0xff);
}

struct FileFormat {
    const char* name;
    int width;
    int height;
    int bitsPerPixel;
};

class ArtworkFile : public testing::TestWithParam<FileFormat> {};

TEST_P(ArtworkFile, IsAnUncompressedBottomUpBitmapOfTheExpectedSizeAndDepth) {
    const FileFormat format = GetParam();
    const Bmp bmp = loadBmp(format.name);
    ASSERT_GE(bmp.bytes.size(), 54u) << format.name << " is missing or truncated";
    EXPECT_EQ(bmp.bytes[0], 'B');
    EXPECT_EQ(bmp.bytes[1], 'M');
    EXPECT_EQ(readU32(bmp.bytes, 2), bmp.bytes.size()) << "file size field";
    EXPECT_EQ(readU32(bmp.bytes, 14), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(bmp.width, format.width);
    EXPECT_EQ(bmp.height, format.height) << "positive height: rows stored bottom-up";
    EXPECT_EQ(readU16(bmp.bytes, 26), 1) << "planes";
    EXPECT_EQ(bmp.bitsPerPixel, format.bitsPerPixel);
    EXPECT_EQ(readU32(bmp.bytes, 30), 0u) << "no compression";

    const uint32_t paletteEntries = format.bitsPerPixel == 8 ? 256 : 0;
    const uint32_t coloursUsed = readU32(bmp.bytes, 46);
    EXPECT_TRUE(coloursUsed == paletteEntries || coloursUsed == 0);
    EXPECT_EQ(bmp.pixelOffset, 54 + 4 * paletteEntries);
    EXPECT_EQ(bmp.bytes.size(), bmp.pixelOffset + bmp.rowSize() * static_cast<size_t>(bmp.height));
}

INSTANTIATE_TEST_SUITE_P(
    EditorBitmaps, ArtworkFile,
    testing::Values(FileFormat{"background.bmp", panel::kPanelWidth, panel::kPanelHeight, 24},
                    FileFormat{"switch.bmp", kSwitchSize, 2 * kSwitchSize, 8},
                    FileFormat{"knob_frequency.bmp", kFrameWidth, kStripHeight, 8},
                    FileFormat{"knob_resonance_gain.bmp", kFrameWidth, kStripHeight, 8},
                    FileFormat{"knob_smoothness.bmp", kFrameWidth, kStripHeight, 8}),
    [](const testing::TestParamInfo<FileFormat>& info) {
        std::string name = info.param.name;
        return name.substr(0, name.find('.'));
    });

// The file of each film strip, in the order of panel::KnobStrip.
const char* const kStripFiles[panel::kKnobStripCount] = {
    "knob_frequency.bmp", "knob_resonance_gain.bmp", "knob_smoothness.bmp"};

bool framesDiffer(const Bmp& strip, int a, int b) {
    for (int y = 0; y < kVisibleFrameHeight; ++y) {
        for (int x = 0; x < kFrameWidth; ++x) {
            if (strip.rgb(x, a * kFrameHeight + y) != strip.rgb(x, b * kFrameHeight + y)) {
                return true;
            }
        }
    }
    return false;
}

// Mean brightness along a ray from the centre of the frame's visible area, where a pointer lies.
double rayBrightness(const Bmp& strip, int frame, double clockwiseFromTop) {
    const double centreX = kFrameWidth / 2.0;
    const double centreY = kVisibleFrameHeight / 2.0;
    double sum = 0.0;
    int count = 0;
    for (double radius = 3.0; radius <= 8.0; radius += 0.5) {
        const int x = static_cast<int>(centreX + radius * std::sin(clockwiseFromTop));
        const int y = static_cast<int>(centreY - radius * std::cos(clockwiseFromTop));
        sum += luma(strip.rgb(x, frame * kFrameHeight + y));
        ++count;
    }
    return sum / count;
}

TEST(ArtworkKnobStrips, EveryFrameMovesThePointerAlongTheSweepFromLowerLeftToLowerRight) {
    const double pi = std::acos(-1.0);
    for (const char* name : kStripFiles) {
        SCOPED_TRACE(name);
        const Bmp strip = loadBmp(name);
        ASSERT_EQ(strip.height, kFrameCount * kFrameHeight);
        for (int frame = 0; frame < kFrameCount; ++frame) {
            if (frame > 0) {
                EXPECT_TRUE(framesDiffer(strip, frame - 1, frame)) << "frame " << frame;
            }
            const double pointer = -0.75 * pi + 1.5 * pi * frame / (kFrameCount - 1);
            const double along = rayBrightness(strip, frame, pointer);
            EXPECT_GT(along, rayBrightness(strip, frame, pointer + pi / 2) + 40.0) << frame;
            EXPECT_GT(along, rayBrightness(strip, frame, pointer - pi / 2) + 40.0) << frame;
        }
    }
}

TEST(ArtworkKnobStrips, FrameCornersMatchThePanelUnderEveryKnob) {
    const Bmp background = loadBmp("background.bmp");
    for (const panel::Column& column : panel::kColumns) {
        const char* file = kStripFiles[static_cast<int>(column.strip)];
        SCOPED_TRACE(file);
        const Bmp strip = loadBmp(file);
        for (int frame = 0; frame < kFrameCount; ++frame) {
            for (int x : {0, kFrameWidth - 1}) {
                for (int y : {0, kVisibleFrameHeight - 1}) {
                    ASSERT_EQ(strip.rgb(x, frame * kFrameHeight + y),
                              background.rgb(column.knob.left + x, column.knob.top + y))
                        << "frame " << frame << " at (" << x << ", " << y << ")";
                }
            }
        }
    }
}

TEST(ArtworkSwitch, ShowsDarkOffAboveAndLitBelowOnThePanelColour) {
    const Bmp image = loadBmp("switch.bmp");
    const Bmp background = loadBmp("background.bmp");
    ASSERT_EQ(image.height, 2 * kSwitchSize);
    double off = 0.0;
    double lit = 0.0;
    for (int y = 0; y < kSwitchSize; ++y) {
        for (int x = 0; x < kSwitchSize; ++x) {
            off += luma(image.rgb(x, y));
            lit += luma(image.rgb(x, y + kSwitchSize));
        }
    }
    EXPECT_GT(lit, off * 1.5);
    for (const panel::PixelRect& place : panel::kSwitches) {
        for (int x : {0, kSwitchSize - 1}) {
            for (int y : {0, kSwitchSize - 1, kSwitchSize, 2 * kSwitchSize - 1}) {
                EXPECT_EQ(image.rgb(x, y),
                          background.rgb(place.left + x, place.top + y % kSwitchSize))
                    << "switch at (" << place.left << ", " << place.top << ")";
            }
        }
    }
}

} // namespace
