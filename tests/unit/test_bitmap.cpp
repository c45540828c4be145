// Bitmaps: loading by id, plain and transparent drawing, reference counts, offscreen contexts.
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/drawcontext.h"
#include "gui/offscreencontext.h"
#include "pixels.h"
#include "resources/resources.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

constexpr uint32_t kPaper = 0x203040;

// A 4 x 90 strip whose pixel (x, y) is 0x00yyxx (never white).
Surface strip() {
    Surface picture(4, 90);
    for (int32_t y = 0; y < 90; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            picture.setPixel(x, y, static_cast<uint32_t>(y << 8 | x));
        }
    }
    return picture;
}

class Bitmaps : public ::testing::Test {
protected:
    void SetUp() override { alive = Bitmap::liveCount(); }
    void TearDown() override {
        dumpIfFailed(surface);
        EXPECT_EQ(Bitmap::liveCount(), alive) << "a bitmap outlived its references";
    }

    int32_t alive = 0;
    Surface surface{20, 40, kPaper};
    DrawContext context{nullptr, &surface, nullptr};
};

TEST_F(Bitmaps, EmbeddedIdsLoadAndAMissingIdIsEmpty) {
    const BitmapRef background = BitmapRef::adopt(new Bitmap(kBitmapBackground));
    EXPECT_EQ(background->getWidth(), 225);
    EXPECT_EQ(background->getHeight(), 140);
    // Only the low 16 bits of the id count.
    EXPECT_EQ(BitmapRef::adopt(new Bitmap(0x10000 + kBitmapKnobSmoothness))->getHeight(), 1920);

    const BitmapRef missing = BitmapRef::adopt(new Bitmap(999));
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    missing->draw(&context, {0, 0, 10, 10}, {0, 0});
    missing->drawTransparent(&context, {0, 0, 10, 10}, {0, 0});
    EXPECT_EQ(inkedArea(surface, kPaper), Rect{});
    const BitmapRef another(missing.get());
    EXPECT_EQ(missing->getRefCount(), 2);
}

TEST_F(Bitmaps, DrawCopiesTheBlockAtTheOffset) {
    const BitmapRef bitmap = BitmapRef::adopt(new Bitmap(strip()));
    bitmap->draw(&context, {5, 2, 9, 32}, {0, 30});
    for (int32_t y = 0; y < 30; ++y) {
        for (int32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(surface.pixel(5 + x, 2 + y), static_cast<uint32_t>((30 + y) << 8 | x));
        }
    }
    EXPECT_EQ(inkedArea(surface, kPaper), (Rect{5, 2, 9, 32}));
}

TEST_F(Bitmaps, BlocksReachingOutsideThePictureOrTheSurfaceAreCut) {
    const BitmapRef bitmap = BitmapRef::adopt(new Bitmap(strip()));
    bitmap->draw(&context, {18, 35, 28, 55}, {0, 85});
    EXPECT_EQ(inkedArea(surface, kPaper), (Rect{18, 35, 20, 40}));
    EXPECT_EQ(surface.pixel(19, 39), static_cast<uint32_t>(89 << 8 | 1));
    bitmap->draw(&context, {0, 0, 4, 4}, {-2, -2});
    EXPECT_EQ(surface.pixel(2, 2), 0u);
    EXPECT_EQ(surface.pixel(1, 1), kPaper);
    const Rect before = inkedArea(surface, kPaper);
    bitmap->draw(&context, {-2000000000, 0, 2000000000, 40}, {2000000000, -2000000000});
    bitmap->drawTransparent(&context, {0, -2000000000, 20, 2000000000}, {-2000000000, 0});
    EXPECT_EQ(inkedArea(surface, kPaper), before);
}

TEST_F(Bitmaps, TransparentDrawSkipsWhitePixels) {
    Surface white(4, 4, 0xffffff);
    const BitmapRef allWhite = BitmapRef::adopt(new Bitmap(std::move(white)));
    allWhite->drawTransparent(&context, {0, 0, 4, 4}, {0, 0});
    EXPECT_EQ(inkedArea(surface, kPaper), Rect{});

    const BitmapRef noWhite = BitmapRef::adopt(new Bitmap(strip()));
    Surface plain(20, 40, kPaper);
    DrawContext plainContext(nullptr, &plain, nullptr);
    noWhite->draw(&plainContext, {1, 1, 5, 31}, {0, 10});
    noWhite->drawTransparent(&context, {1, 1, 5, 31}, {0, 10});
    EXPECT_EQ(picture(surface, {0, 0, 20, 40}, kPaper), picture(plain, {0, 0, 20, 40}, kPaper));
    for (int32_t y = 0; y < 40; ++y) {
        EXPECT_EQ(surface.pixel(2, y), plain.pixel(2, y));
    }

    Surface checks(2, 2, 0xffffff);
    checks.setPixel(1, 0, 0xff0000);
    checks.setPixel(0, 1, 0xfffffe);
    const BitmapRef mixed = BitmapRef::adopt(new Bitmap(std::move(checks)));
    mixed->drawTransparent(&context, {10, 10, 12, 12}, {0, 0});
    EXPECT_EQ(picture(surface, {10, 10, 12, 12}, kPaper), "#.\n.#\n");
    EXPECT_EQ(mixed->getPicture().pixel(0, 0), 0xffffffu);
}

TEST_F(Bitmaps, TheLastReleaseDestroys) {
    BitmapRef creator = BitmapRef::adopt(new Bitmap(strip()));
    BitmapRef first(creator.get());
    BitmapRef second(creator.get());
    creator.reset();
    EXPECT_EQ(Bitmap::liveCount(), alive + 1);
    first.reset();
    EXPECT_EQ(Bitmap::liveCount(), alive + 1);
    second.reset();
    EXPECT_EQ(Bitmap::liveCount(), alive);
}

TEST_F(Bitmaps, AHandleHoldsOneReferenceUntilItLetsGo) {
    BitmapRef creator = BitmapRef::adopt(new Bitmap(strip()));
    Bitmap* picture = creator.get();
    BitmapRef view(picture);
    EXPECT_EQ(picture->getRefCount(), 2);
    // The handle holding the last reference is given the same bitmap again: it stays alive.
    creator.reset();
    view = BitmapRef(picture);
    EXPECT_EQ(picture->getRefCount(), 1);
    BitmapRef moved(std::move(view));
    EXPECT_FALSE(view); // NOLINT(bugprone-use-after-move): a moved-from handle holds nothing
    EXPECT_EQ(picture->getRefCount(), 1);
    moved = BitmapRef(nullptr);
    EXPECT_EQ(Bitmap::liveCount(), alive);
}

TEST_F(Bitmaps, OffscreenStartsInItsBackgroundAndCopiesBlocks) {
    OffscreenContext offscreen(nullptr, 6, 5, RedColour);
    const Surface& picture = *offscreen.getSurface();
    EXPECT_EQ(::picture(picture, {0, 0, 6, 5}, 0xff0000),
              "######\n######\n######\n######\n######\n");
    offscreen.setPixel({4, 3}, GreenColour);
    offscreen.copyTo(&context, {10, 20, 13, 22}, {2, 2});
    EXPECT_EQ(::picture(surface, {9, 19, 14, 23}, 0xff0000), ".....\n.###.\n.##..\n.....\n");
    EXPECT_EQ(surface.pixel(12, 21), 0x00ff00u);
}

} // namespace
