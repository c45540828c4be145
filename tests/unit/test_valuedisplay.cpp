// The value display: its texts, the box and edge pixels, the shadow, and which setters mark it
// for redraw.
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/drawcontext.h"
#include "gui/valuedisplay.h"
#include "pixels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr Rect kArea{4, 3, 44, 19};
constexpr uint32_t kPaper = 0x406080;

class ValueDisplayTest : public ::testing::Test {
protected:
    void TearDown() override { dumpIfFailed(surface); }

    // What the default box with `text` in it looks like, painted by hand.
    Surface expectedDefault(const char* text) {
        Surface expected(50, 24, kPaper);
        DrawContext painter(nullptr, &expected, nullptr);
        painter.setFillColour(BlackColour);
        painter.fillRect(kArea);
        painter.setFrameColour(BlackColour);
        painter.drawRect(kArea);
        painter.setFont(3, 0);
        painter.setFontColour(WhiteColour);
        painter.drawString(text, kArea, false, AlignCentre);
        return expected;
    }
    bool same(const Surface& a, const Surface& b) {
        return std::equal(a.data(), a.data() + 50 * 24, b.data());
    }

    Surface surface{50, 24, kPaper};
    DrawContext context{nullptr, &surface, nullptr};
};

TEST_F(ValueDisplayTest, WithoutACallbackTheValueIsPrintedWithTwoDecimals) {
    ValueDisplay display(kArea, nullptr, 0);
    for (const auto& [value, text] : {std::pair{0.5f, "0.50"}, std::pair{12.345f, "12.35"},
                                      std::pair{0.0f, "0.00"}, std::pair{-3.0f, "-3.00"}}) {
        display.setValue(value);
        display.draw(&context);
        EXPECT_TRUE(same(surface, expectedDefault(text))) << text;
        EXPECT_EQ(display.getOldValue(), value);
    }
}

TEST_F(ValueDisplayTest, TheDefaultBoxIsBlackWithABlackOutlineAndWhiteCentredText) {
    ValueDisplay display(kArea, nullptr, 0);
    display.setValue(0.5f);
    display.draw(&context);
    for (int32_t x = kArea.left; x <= kArea.right; ++x) {
        EXPECT_EQ(surface.pixel(x, kArea.top), 0u);
        EXPECT_EQ(surface.pixel(x, kArea.bottom), 0u);
    }
    for (int32_t y = kArea.top; y <= kArea.bottom; ++y) {
        EXPECT_EQ(surface.pixel(kArea.left, y), 0u);
        EXPECT_EQ(surface.pixel(kArea.right, y), 0u);
    }
    EXPECT_EQ(surface.pixel(kArea.right + 1, kArea.top), kPaper);
    // Inside the box: black, and the text in white, centred.
    Surface inside(kArea.width() - 1, kArea.height() - 1, 0xdeadbe);
    copyBlock(surface, {kArea.left + 1, kArea.top + 1}, inside,
              {0, 0, inside.width(), inside.height()});
    const Rect text = inkedArea(inside, 0);
    ASSERT_GT(text.width(), 10);
    EXPECT_LE(std::abs(text.left - (inside.width() - text.right)), 2);
    EXPECT_LE(std::abs(text.top - (inside.height() - text.bottom)), 3);
    uint32_t brightest = 0;
    for (int32_t y = 0; y < inside.height(); ++y) {
        for (int32_t x = 0; x < inside.width(); ++x) {
            const uint32_t pixel = inside.pixel(x, y);
            EXPECT_EQ(pixel, (pixel & 0xff) * 0x010101u) << "white blended over black is grey";
            brightest = std::max(brightest, pixel & 0xff);
        }
    }
    EXPECT_GT(brightest, 0xc0u);
}

TEST_F(ValueDisplayTest, TheConverterWritesTheTextIntoAnEmptyBuffer) {
    ValueDisplay display(kArea, nullptr, 0);
    static float seenValue = 0.0f;
    static bool emptyOnEntry = false;
    display.setValueConverter([](float value, char* text) {
        seenValue = value;
        emptyOnEntry = text[0] == '\0';
        strcpy(text, "0.50");
    });
    display.setValue(0.25f);
    display.draw(&context);
    EXPECT_EQ(seenValue, 0.25f);
    EXPECT_TRUE(emptyOnEntry);
    EXPECT_TRUE(same(surface, expectedDefault("0.50")));
    // One that fills the whole buffer without a terminator is cut at 255 characters.
    display.setValueConverter([](float, char* text) { memset(text, 'x', kDisplayTextSize); });
    display.draw(&context);
}

TEST_F(ValueDisplayTest, RaisedAndSunkenEdgesPaintTheTwoColoursOnOppositeSides) {
    for (const int32_t style :
         {int32_t{kRaisedEdge}, int32_t{kSunkenEdge}, kRaisedEdge | kSunkenEdge}) {
        surface = Surface(50, 24, kPaper);
        ValueDisplay display(kArea, nullptr, style);
        display.setBackColour(BlueColour);
        display.setFrameColour(YellowColour);
        display.setValueConverter([](float, char*) {});
        display.draw(&context);
        const uint32_t topLeft = toPixel((style & kRaisedEdge) != 0 ? BlueColour : YellowColour);
        const uint32_t bottomRight =
            toPixel((style & kRaisedEdge) != 0 ? YellowColour : BlueColour);
        for (int32_t x = kArea.left; x <= kArea.right; ++x) {
            EXPECT_EQ(surface.pixel(x, kArea.top), topLeft) << "top " << x;
        }
        for (int32_t y = kArea.top; y <= kArea.bottom; ++y) {
            EXPECT_EQ(surface.pixel(kArea.left, y), topLeft) << "left " << y;
        }
        for (int32_t y = kArea.top + 1; y <= kArea.bottom; ++y) {
            EXPECT_EQ(surface.pixel(kArea.right, y), bottomRight) << "right " << y;
        }
        for (int32_t x = kArea.left + 1; x <= kArea.right; ++x) {
            EXPECT_EQ(surface.pixel(x, kArea.bottom), bottomRight) << "bottom " << x;
        }
        EXPECT_EQ(surface.pixel(kArea.left + 1, kArea.top + 1), toPixel(BlueColour));
        EXPECT_EQ(surface.pixel(kArea.right + 1, kArea.top), kPaper);
        EXPECT_EQ(surface.pixel(kArea.left, kArea.bottom + 1), kPaper);
    }
}

TEST_F(ValueDisplayTest, ShadowTextIsRedOnePixelDownAndRightUnderTheText) {
    ValueDisplay plain(kArea, nullptr, 0);
    plain.setValue(8.0f);
    plain.draw(&context);
    Surface withoutShadow = surface;

    ValueDisplay shadowed(kArea, nullptr, kShadowText);
    shadowed.setValue(8.0f);
    shadowed.draw(&context);
    // Where the two differ is the shadow: reddish, and reaching one pixel further right and down.
    Rect shadow{50, 24, 0, 0};
    for (int32_t y = 0; y < 24; ++y) {
        for (int32_t x = 0; x < 50; ++x) {
            const uint32_t pixel = surface.pixel(x, y);
            if (pixel != withoutShadow.pixel(x, y)) {
                EXPECT_GT(pixel >> 16 & 0xff, pixel >> 8 & 0xff) << x << "," << y;
                shadow = {std::min(shadow.left, x), std::min(shadow.top, y),
                          std::max(shadow.right, x + 1), std::max(shadow.bottom, y + 1)};
            }
        }
    }
    Surface textOnly(50, 24, 0);
    DrawContext painter(nullptr, &textOnly, nullptr);
    painter.setFont(3, 0);
    painter.drawString("8.00", kArea, false, AlignCentre);
    const Rect glyphs = inkedArea(textOnly, 0);
    EXPECT_EQ(shadow.right, glyphs.right + 1);
    EXPECT_EQ(shadow.bottom, glyphs.bottom + 1);
}

TEST_F(ValueDisplayTest, ABackgroundBitmapReplacesTheFillAndOutline) {
    ValueDisplay display(kArea, BitmapRef::adopt(new Bitmap(Surface(60, 40, 0x00aa00))).get(), 0);
    display.setValueConverter([](float, char*) {});
    display.setBackgroundOffset({5, 5});
    display.draw(&context);
    EXPECT_EQ(surface.pixel(kArea.left, kArea.top), 0x00aa00u);
    EXPECT_EQ(surface.pixel(kArea.right - 1, kArea.bottom - 1), 0x00aa00u);
    EXPECT_EQ(surface.pixel(kArea.right, kArea.bottom), kPaper);
}

TEST(ValueDisplaySetters, MarkForRedrawOnlyOnARealChange) {
    ValueDisplay display(kArea, nullptr, 0);
    display.setValue(0.5f);
    const auto marked = [&] { return display.getOldValue() != display.getValue(); };
    const auto settle = [&] { display.setOldValue(display.getValue()); };
    settle();

    display.setFontColour({255, 255, 255, 7});
    EXPECT_FALSE(marked()) << "the fourth byte is ignored";
    display.setFont(3);
    display.setBackColour(BlackColour);
    display.setFrameColour(BlackColour);
    display.setShadowColour(RedColour);
    display.setTextAlignment(AlignCentre);
    EXPECT_FALSE(marked());
    display.setBackgroundOffset({3, 3});
    display.setValueConverter([](float, char*) {});
    EXPECT_FALSE(marked()) << "these two only store";

    const std::function<void()> changes[] = {
        [&] { display.setFont(5); },
        [&] { display.setFontColour(GreyColour); },
        [&] { display.setBackColour(GreyColour); },
        [&] { display.setFrameColour(GreyColour); },
        [&] { display.setShadowColour(GreyColour); },
        [&] { display.setTextAlignment(AlignRight); },
    };
    for (const auto& change : changes) {
        change();
        EXPECT_EQ(display.getOldValue(), 0.5f + 0.1f);
        settle();
    }
}

} // namespace
