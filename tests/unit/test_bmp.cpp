// The bitmap file reader on good files of both depths and orders, and on broken ones.
#include "bmp_builder.h"
#include "gui/render/bmp.h"
#include "resources/embedded.h"
#include "resources/resources.h"

#include <gtest/gtest.h>

namespace {

void expectGradient24(const Surface& picture) {
    for (int32_t y = 0; y < picture.height(); ++y) {
        for (int32_t x = 0; x < picture.width(); ++x) {
            EXPECT_EQ(picture.pixel(x, y), static_cast<uint32_t>(x * 0x10 + y * 0x1000 + 0x5))
                << x << ", " << y;
        }
    }
}

TEST(BmpReader, Reads24BitPicturesInBothRowOrders) {
    for (int32_t height : {3, -3}) {
        const auto picture = readBmp(makeBmp({.width = 5, .height = height}));
        ASSERT_TRUE(picture) << height;
        EXPECT_EQ(picture->width(), 5);
        EXPECT_EQ(picture->height(), 3);
        expectGradient24(*picture);
    }
}

TEST(BmpReader, Reads8BitPicturesThroughTheirPalette) {
    for (int32_t height : {2, -2}) {
        const auto picture = readBmp(makeBmp({.width = 3, .height = height, .bits = 8}));
        ASSERT_TRUE(picture) << height;
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < 3; ++x) {
                EXPECT_EQ(picture->pixel(x, y), static_cast<uint32_t>(x + 4 * y) * 0x010101u);
            }
        }
    }
}

TEST(BmpReader, IndexPastAShortPaletteReadsAsBlack) {
    // Indices 0 to 6 are used; the palette holds only 4 entries.
    const auto picture =
        readBmp(makeBmp({.width = 3, .height = 2, .bits = 8, .paletteEntries = 4}));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixel(2, 0), 0x020202u);
    EXPECT_EQ(picture->pixel(1, 1), 0u);
}

TEST(BmpReader, RefusesOtherFormats) {
    EXPECT_FALSE(readBmp(makeBmp({.bits = 32})));
    EXPECT_FALSE(readBmp(makeBmp({.bits = 16})));
    EXPECT_FALSE(readBmp(makeBmp({.bits = 4})));
    EXPECT_FALSE(readBmp(makeBmp({.bits = 8, .compression = 1})));
    EXPECT_FALSE(readBmp(makeBmp({.bits = 8, .paletteEntries = 257})));
    EXPECT_FALSE(readBmp(makeBmp({.width = 0})));
    EXPECT_FALSE(readBmp(makeBmp({.height = 0})));
}

TEST(BmpReader, RefusesBrokenHeadersWithoutReadingPastTheEnd) {
    const std::vector<unsigned char> good = makeBmp({.width = 5, .height = 3});
    auto broken = good;
    broken[0] = 'X';
    EXPECT_FALSE(readBmp(broken));
    broken = good;
    putU32(broken, 14, 12); // the old core header
    EXPECT_FALSE(readBmp(broken));
    broken = good;
    putU32(broken, 10, 0xfffffff0u); // pixels beyond the file
    EXPECT_FALSE(readBmp(broken));
    broken = good;
    putU32(broken, 18, static_cast<uint32_t>(-5)); // a negative width
    EXPECT_FALSE(readBmp(broken));
    broken = good;
    putU32(broken, 22, 0x80000000u); // the height that has no positive counterpart
    EXPECT_FALSE(readBmp(broken));
    broken = good;
    putU32(broken, 18, 0x7fffffffu); // rows far longer than the file
    EXPECT_FALSE(readBmp(broken));
    broken = good;
    putU32(broken, 14, 0xffffffffu); // an info header longer than the file
    EXPECT_FALSE(readBmp(broken));
    auto palette = makeBmp({.bits = 8});
    putU32(palette, 10, 54 + 16); // pixels overlapping the palette
    EXPECT_FALSE(readBmp(palette));
}

TEST(BmpReader, RefusesEveryTruncationOfAGoodFile) {
    for (uint16_t bits : {uint16_t{8}, uint16_t{24}}) {
        const std::vector<unsigned char> good = makeBmp({.width = 5, .height = 3, .bits = bits});
        ASSERT_TRUE(readBmp(good));
        for (size_t length = 0; length < good.size(); ++length) {
            EXPECT_FALSE(readBmp({good.data(), length})) << bits << " bits, " << length;
        }
    }
}

TEST(BmpReader, TheEmbeddedEditorBitmapsHaveTheirSizes) {
    struct Expected {
        int id;
        int32_t width;
        int32_t height;
    };
    for (const Expected& e :
         {Expected{kBitmapBackground, 225, 140}, Expected{kBitmapSwitch, 11, 22},
          Expected{kBitmapKnobFrequency, 33, 1920}, Expected{kBitmapKnobResonanceGain, 33, 1920},
          Expected{kBitmapKnobSmoothness, 33, 1920}}) {
        const auto picture = readBmp(findEmbeddedResource(e.id));
        ASSERT_TRUE(picture) << e.id;
        EXPECT_EQ(picture->width(), e.width) << e.id;
        EXPECT_EQ(picture->height(), e.height) << e.id;
    }
    EXPECT_TRUE(findEmbeddedResource(205).empty());
}

} // namespace
