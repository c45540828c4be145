// Text placement, clipping and colour, measured without depending on glyph shapes: opaque text
// paints its cell box, whose position shows the alignment and centring.
#include "gui/drawcontext.h"
#include "gui/render/fonts.h"
#include "pixels.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kPaper = 0x000000;
constexpr uint32_t kCell = 0x0000ff;

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        context.setFillColour(BlueColour);
        context.setFontColour(YellowColour);
        context.setFont(3);
    }
    void TearDown() override { dumpIfFailed(surface); }

    Rect cellOf(const char* text, const Rect& r, int32_t align) {
        context.drawString(text, r, true, align);
        return inkedArea(surface, kPaper);
    }

    Surface surface{120, 40, kPaper};
    DrawContext context{nullptr, &surface, nullptr};
};

TEST_F(Text, LeftAlignmentIndentsByOnePixelAndOddValuesActLikeIt) {
    const Rect r{10, 5, 110, 35};
    EXPECT_EQ(cellOf("00", r, AlignLeft).left, 11);
    Surface other(120, 40, kPaper);
    DrawContext otherContext(nullptr, &other, nullptr);
    otherContext.setFillColour(BlueColour);
    otherContext.setFontColour(YellowColour);
    otherContext.setFont(3);
    otherContext.drawString("00", r, true, 7);
    EXPECT_EQ(picture(other, {0, 0, 120, 40}, kCell), picture(surface, {0, 0, 120, 40}, kCell));
}

TEST_F(Text, RightAlignmentEndsAtTheRightEdge) {
    EXPECT_EQ(cellOf("00", {10, 5, 110, 35}, AlignRight).right, 110);
}

TEST_F(Text, CentredTextHasEqualMarginsAndIsVerticallyCentred) {
    const Rect r{10, 5, 110, 35};
    const Rect cell = cellOf("000", r, AlignCentre);
    EXPECT_LE(std::abs((cell.left - r.left) - (r.right - cell.right)), 1);
    EXPECT_LE(std::abs((cell.top - r.top) - (r.bottom - cell.bottom)), 1);
    Typeface* font = Typeface::get(3, 12);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(cell.height(), font->cellHeight());
    EXPECT_EQ(cell.width(), font->textWidth("000"));
}

TEST_F(Text, GlyphsAreBlendedInTheFontColourOnlyInsideTheRect) {
    context.setFont(1);
    const Rect r{20, 10, 40, 20};
    context.drawString("MMMMMMMM", r, false, AlignLeft);
    const Rect inked = inkedArea(surface, kPaper);
    EXPECT_GE(inked.left, r.left);
    EXPECT_LE(inked.right, r.right);
    EXPECT_GE(inked.top, r.top);
    EXPECT_LE(inked.bottom, r.bottom);
    bool fullCoverage = false;
    for (int32_t y = 0; y < surface.height(); ++y) {
        for (int32_t x = 0; x < surface.width(); ++x) {
            const Colour c = toColour(surface.pixel(x, y));
            // Yellow blended over black: red and green equal, no blue.
            EXPECT_EQ(c.red, c.green);
            EXPECT_EQ(c.blue, 0);
            fullCoverage = fullCoverage || surface.pixel(x, y) == 0xffff00;
        }
    }
    EXPECT_TRUE(fullCoverage);
}

TEST_F(Text, TransparentTextLeavesTheBackgroundBetweenGlyphs) {
    context.drawString("0 0", {10, 5, 110, 35}, false, AlignLeft);
    for (int32_t y = 0; y < surface.height(); ++y) {
        for (int32_t x = 0; x < surface.width(); ++x) {
            EXPECT_NE(surface.pixel(x, y), kCell);
        }
    }
}

TEST_F(Text, FontIdsOutsideTheTableMeanBoldArial12) {
    context.setFont(9, 0);
    EXPECT_EQ(context.getFontSize(), 12);
    context.drawString("Hello", {0, 0, 120, 20}, false, AlignLeft);
    Surface bold(120, 40, kPaper);
    DrawContext boldContext(nullptr, &bold, nullptr);
    boldContext.setFontColour(YellowColour);
    boldContext.setFont(0, 0);
    boldContext.drawString("Hello", {0, 0, 120, 20}, false, AlignLeft);
    EXPECT_EQ(picture(surface, {0, 0, 120, 20}, 0xffff00),
              picture(bold, {0, 0, 120, 20}, 0xffff00));

    Surface regular(120, 40, kPaper);
    DrawContext regularContext(nullptr, &regular, nullptr);
    regularContext.setFontColour(YellowColour);
    regularContext.setFont(3, 0);
    regularContext.drawString("Hello", {0, 0, 120, 20}, false, AlignLeft);
    EXPECT_NE(picture(regular, {0, 0, 120, 20}, 0xffff00),
              picture(bold, {0, 0, 120, 20}, 0xffff00));
}

TEST_F(Text, SizeZeroTakesTheTablesHeightAndOtherSizesKeepTheFace) {
    context.setFont(4, 0);
    EXPECT_EQ(context.getFontSize(), 11);
    context.setFont(4, 20);
    EXPECT_EQ(context.getFontSize(), 20);
    context.setFont(5, 0);
    EXPECT_EQ(context.getFontSize(), 9);
    Typeface* large = Typeface::get(4, 20);
    Typeface* small = Typeface::get(4, 11);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_GT(large->cellHeight(), small->cellHeight());
}

TEST_F(Text, EveryTableFaceLoadsAndAnUnknownFaceFallsBack) {
    for (int32_t id = 0; id < kFontCount; ++id) {
        Typeface* font = Typeface::get(id, fontTableEntry(id).height);
        ASSERT_NE(font, nullptr) << id;
        EXPECT_GT(font->textWidth("Cutoff"), 0) << id;
        EXPECT_GT(font->cellHeight(), 0) << id;
    }
    EXPECT_EQ(fontTableEntry(-1).face, fontTableEntry(0).face);
}

TEST_F(Text, TextWithoutAChosenFontStillDrawsAndNullTextDrawsNothing) {
    DrawContext fresh(nullptr, &surface, nullptr);
    fresh.drawString(nullptr, {0, 0, 120, 40}, true, AlignLeft);
    EXPECT_EQ(inkedArea(surface, kPaper), Rect{});
    fresh.drawString("8", {0, 0, 120, 40}, false, AlignLeft);
    EXPECT_NE(inkedArea(surface, kPaper), Rect{});
}

} // namespace
