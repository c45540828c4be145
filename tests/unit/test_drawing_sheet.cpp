// One surface with every drawing operation on it, saved as PNG for a person to look at.
#include "gui/bitmap.h"
#include "gui/bitmapref.h"
#include "gui/drawcontext.h"
#include "pixels.h"
#include "resources/resources.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

constexpr const char* kSheetPath = "drawing_operations.png";

void drawSheet(DrawContext& c) {
    c.setFillColour(GreyColour);
    c.fillRect({-1, -1, 240, 160});

    c.setFrameColour(WhiteColour);
    c.drawRect({5, 5, 45, 35});
    c.setFillColour(BlueColour);
    c.fillRect({5, 5, 45, 35});

    c.setFrameColour(YellowColour);
    c.moveTo({55, 5});
    c.lineTo({95, 35});
    c.lineTo({95, 5});
    c.setLineStyle(LineDotted);
    c.setFrameColour(CyanColour);
    c.moveTo({55, 35});
    c.lineTo({90, 10});
    c.setLineStyle(LineSolid);
    c.setLineWidth(3);
    c.setFrameColour(MagentaColour);
    c.moveTo({100, 5});
    c.lineTo({100, 35});
    c.setLineWidth(1);

    const Point zigzag[] = {{110, 35}, {120, 5}, {130, 35}, {140, 5}, {150, 35}};
    c.setFrameColour(GreenColour);
    c.drawPolyline(zigzag, 5);

    const Point star[] = {{180, 5}, {190, 35}, {163, 16}, {197, 16}, {170, 35}};
    c.setFillColour(RedColour);
    c.fillPolygon(star, 5);

    c.setFillColour(GreenColour);
    c.fillEllipse({5, 45, 45, 75});
    c.setFrameColour(WhiteColour);
    c.drawEllipse({5, 45, 45, 75});

    c.setFillColour(YellowColour);
    c.fillArc({55, 45, 95, 85}, {95, 45}, {55, 45});
    c.setFrameColour(RedColour);
    c.drawArc({55, 45, 95, 85}, {55, 85}, {95, 85});

    for (int32_t i = 0; i < 20; ++i) {
        c.setPixel({105 + 2 * i, 45 + i}, WhiteColour);
    }

    c.setFillColour(BlackColour);
    c.setFontColour(GreenColour);
    c.setFont(4);
    c.drawString("63", {150, 45, 181, 54}, true, AlignCentre);
    c.setFont(5);
    c.drawString("-12.00", {185, 45, 216, 54}, true, AlignCentre);
    c.setFontColour(WhiteColour);
    c.setFont(0);
    c.drawString("Cutoff left", {5, 90, 120, 105}, false, AlignLeft);
    c.setFont(1);
    c.drawString("Reso right", {5, 105, 120, 125}, false, AlignRight);
    c.setFont(2);
    c.setFillColour(RedColour);
    c.drawString("Clipped text that runs on", {125, 95, 215, 110}, true, AlignLeft);
    c.setFont(6);
    c.drawString("Symbol", {125, 115, 215, 130}, false, AlignCentre);

    BitmapRef::adopt(new Bitmap(kBitmapKnobFrequency))->draw(&c, {5, 128, 38, 157}, {0, 930});
    BitmapRef::adopt(new Bitmap(kBitmapSwitch))->drawTransparent(&c, {45, 135, 56, 146}, {0, 11});
}

std::vector<unsigned char> readFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DrawingSheet, EveryOperationOnOneSurfaceIsSavedAsPng) {
    Surface surface(225, 160, 0);
    DrawContext context(nullptr, &surface, nullptr);
    drawSheet(context);
    // Spot checks of the operations' own colours.
    EXPECT_EQ(surface.pixel(5, 5), 0xffffffu);
    EXPECT_EQ(surface.pixel(20, 20), 0x0000ffu);
    EXPECT_EQ(surface.pixel(25, 60), 0x00ff00u);
    EXPECT_EQ(surface.pixel(105, 45), 0xffffffu);

    ASSERT_TRUE(writePng(surface, kSheetPath));
    const std::vector<unsigned char> png = readFile(kSheetPath);
    ASSERT_GT(png.size(), 24u);
    const unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), png.begin()));
    // IHDR: width and height, big-endian.
    EXPECT_EQ(png[18] << 8 | png[19], 225);
    EXPECT_EQ(png[22] << 8 | png[23], 160);
}

TEST(DrawingSheet, AFailedWriteLeavesNoFileBehind) {
    Surface surface(4, 4, 0);
    EXPECT_FALSE(writePng(surface, "no-such-directory/picture.png"));
    EXPECT_FALSE(writePng(Surface(), "empty.png"));
    EXPECT_TRUE(readFile("empty.png").empty());
}

} // namespace
