// The pixels of every drawing operation, on a surface without a display.
#include "gui/drawcontext.h"
#include "gui/platform/headless/headless.h"
#include "pixels.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr uint32_t kPaper = 0x102030;
constexpr uint32_t kWhite = 0xffffff;
constexpr uint32_t kBlack = 0x000000;

class Drawing : public ::testing::Test {
protected:
    void TearDown() override { dumpIfFailed(surface); }

    std::string area(const Rect& r, uint32_t ink) const { return picture(surface, r, ink); }
    int32_t count(uint32_t ink) const {
        int32_t n = 0;
        for (int32_t y = 0; y < surface.height(); ++y) {
            for (int32_t x = 0; x < surface.width(); ++x) {
                n += surface.pixel(x, y) == ink ? 1 : 0;
            }
        }
        return n;
    }

    Surface surface{40, 40, kPaper};
    DrawContext context{nullptr, &surface, nullptr};
};

TEST_F(Drawing, FreshContextDrawsWhiteOutlinesAndTextAndBlackFills) {
    EXPECT_EQ(context.getFrameColour(), WhiteColour);
    EXPECT_EQ(context.getFontColour(), WhiteColour);
    EXPECT_EQ(context.getFillColour(), BlackColour);
    EXPECT_EQ(context.getLineWidth(), 1);
    EXPECT_EQ(context.getLineStyle(), LineSolid);
    context.drawRect({2, 2, 8, 8});
    context.fillRect({2, 2, 8, 8});
    EXPECT_EQ(surface.pixel(2, 2), kWhite);
    EXPECT_EQ(surface.pixel(5, 5), kBlack);
}

TEST_F(Drawing, FillRectPaintsTheInsideOfTheOutline) {
    context.fillRect({10, 10, 20, 20});
    EXPECT_EQ(count(kBlack), 9 * 9);
    EXPECT_EQ(inkedArea(surface, kPaper), (Rect{11, 11, 20, 20}));
}

TEST_F(Drawing, DrawRectPaintsBothEdgeColumnsAndRowsInclusive) {
    context.drawRect({10, 10, 20, 20});
    EXPECT_EQ(count(kWhite), 4 * 10);
    for (int32_t i = 10; i <= 20; ++i) {
        EXPECT_EQ(surface.pixel(i, 10), kWhite) << i;
        EXPECT_EQ(surface.pixel(i, 20), kWhite) << i;
        EXPECT_EQ(surface.pixel(10, i), kWhite) << i;
        EXPECT_EQ(surface.pixel(20, i), kWhite) << i;
    }
}

TEST_F(Drawing, LineExcludesItsEndPixelAndMovesThePosition) {
    context.moveTo({2, 2});
    context.lineTo({6, 2});
    context.lineTo({6, 5});
    context.moveTo({1, 8});
    context.lineTo({4, 11});
    context.moveTo({9, 9});
    context.lineTo({9, 9});
    EXPECT_EQ(area({0, 0, 8, 12}, kWhite), "........\n"
                                           "........\n"
                                           "..#####.\n"
                                           "......#.\n"
                                           "......#.\n"
                                           "........\n"
                                           "........\n"
                                           "........\n"
                                           ".#......\n"
                                           "..#.....\n"
                                           "...#....\n"
                                           "........\n");
    EXPECT_EQ(surface.pixel(9, 9), kPaper);
}

TEST_F(Drawing, ShallowLineRoundsHalfStepsTowardItsStart) {
    context.moveTo({0, 0});
    context.lineTo({8, 2});
    context.moveTo({8, 6});
    context.lineTo({0, 4});
    EXPECT_EQ(area({0, 0, 9, 7}, kWhite), "###......\n"
                                          "...####..\n"
                                          ".......#.\n"
                                          ".........\n"
                                          ".#.......\n"
                                          "..####...\n"
                                          "......###\n");
}

TEST_F(Drawing, DottedPenPaintsThreeAndSkipsThreeAcrossJoints) {
    context.setLineStyle(LineDotted);
    context.moveTo({0, 0});
    context.lineTo({10, 0});
    context.lineTo({10, 4});
    EXPECT_EQ(area({0, 0, 12, 4}, kWhite), "###...###...\n"
                                           "............\n"
                                           "..........#.\n"
                                           "..........#.\n");
}

TEST_F(Drawing, WidePenPaintsASquareAroundEveryPixel) {
    context.setLineWidth(3);
    context.setFrameColour(RedColour);
    context.moveTo({2, 2});
    context.lineTo({5, 2});
    EXPECT_EQ(area({0, 0, 8, 5}, 0xff0000), "........\n"
                                            ".#####..\n"
                                            ".#####..\n"
                                            ".#####..\n"
                                            "........\n");
}

TEST_F(Drawing, PolylineExcludesOnlyTheLastPointAndKeepsThePosition) {
    const Point points[] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}};
    context.moveTo({7, 7});
    context.drawPolyline(points, 4);
    context.lineTo({7, 5});
    EXPECT_EQ(area({0, 0, 8, 8}, kWhite), "........\n"
                                          ".####...\n"
                                          "....#...\n"
                                          "....#...\n"
                                          "..###...\n"
                                          "........\n"
                                          ".......#\n"
                                          ".......#\n");
}

TEST_F(Drawing, PolygonFillsPixelCentresInsideWithoutOutline) {
    context.setFillColour(BlueColour);
    const Point triangle[] = {{0, 0}, {8, 0}, {0, 8}};
    context.fillPolygon(triangle, 3);
    EXPECT_EQ(count(kWhite), 0);
    EXPECT_EQ(area({0, 0, 9, 9}, 0x0000ff), "#######..\n"
                                            "######...\n"
                                            "#####....\n"
                                            "####.....\n"
                                            "###......\n"
                                            "##.......\n"
                                            "#........\n"
                                            ".........\n"
                                            ".........\n");
}

TEST_F(Drawing, PolygonUsesTheAlternateRule) {
    context.setFillColour(BlueColour);
    // One path around a 6 x 6 square and, in the same direction, around the 2 x 2 square in its
    // middle: the winding rule would fill the middle, the alternate rule leaves it out.
    const Point path[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}, {0, 0},
                          {2, 2}, {4, 2}, {4, 4}, {2, 4}, {2, 2}};
    context.fillPolygon(path, 10);
    EXPECT_EQ(area({0, 0, 7, 7}, 0x0000ff), "######.\n"
                                            "######.\n"
                                            "##..##.\n"
                                            "##..##.\n"
                                            "######.\n"
                                            "######.\n"
                                            ".......\n");
}

TEST_F(Drawing, EllipseOutlineTouchesAllFourEdgesOfItsRect) {
    context.drawEllipse({1, 1, 11, 7});
    EXPECT_EQ(area({0, 0, 13, 9}, kWhite), ".............\n"
                                           "....#####....\n"
                                           "..##.....##..\n"
                                           ".#.........#.\n"
                                           ".#.........#.\n"
                                           ".#.........#.\n"
                                           "..##.....##..\n"
                                           "....#####....\n"
                                           ".............\n");
}

TEST_F(Drawing, EllipseFillStaysInsideItsOutline) {
    context.setFillColour(GreenColour);
    context.fillEllipse({10, 10, 20, 20});
    EXPECT_EQ(inkedArea(surface, kPaper), (Rect{11, 11, 20, 20}));
    EXPECT_EQ(area({10, 10, 21, 21}, 0x00ff00), "...........\n"
                                                "...#####...\n"
                                                "..#######..\n"
                                                ".#########.\n"
                                                ".#########.\n"
                                                ".#########.\n"
                                                ".#########.\n"
                                                ".#########.\n"
                                                "..#######..\n"
                                                "...#####...\n"
                                                "...........\n");
    Surface outline(40, 40, kPaper);
    DrawContext outlineContext(nullptr, &outline, nullptr);
    outlineContext.drawEllipse({10, 10, 20, 20});
    for (int32_t y = 11; y < 20; ++y) {
        const Rect row = inkedArea(outline, kPaper);
        int32_t first = row.right;
        int32_t last = row.left;
        for (int32_t x = 0; x < 40; ++x) {
            if (outline.pixel(x, y) == kWhite) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
        for (int32_t x = 0; x < 40; ++x) {
            if (surface.pixel(x, y) == 0x00ff00) {
                EXPECT_TRUE(first < x && x < last) << x << ", " << y;
            }
        }
    }
}

TEST_F(Drawing, ArcRunsCounterClockwiseFromStartRayToEndRay) {
    Surface whole(40, 40, kPaper);
    DrawContext wholeContext(nullptr, &whole, nullptr);
    wholeContext.drawEllipse({0, 0, 10, 10});
    // From the ray to the right to the upward ray: the upper-right quarter of the same outline,
    // both rays included.
    context.drawArc({0, 0, 10, 10}, {20, 5}, {5, -20});
    int32_t inQuarter = 0;
    for (int32_t y = 0; y <= 10; ++y) {
        for (int32_t x = 0; x <= 10; ++x) {
            const bool expected = whole.pixel(x, y) == kWhite && x >= 5 && y <= 5;
            EXPECT_EQ(surface.pixel(x, y) == kWhite, expected) << x << ", " << y;
            inQuarter += expected ? 1 : 0;
        }
    }
    EXPECT_GT(inQuarter, 6);
}

TEST_F(Drawing, PieFillsTheWedgeBetweenTheRays) {
    context.setFillColour(YellowColour);
    // From the upward ray counter-clockwise to the ray to the right: all but the upper-right
    // quarter of the filled ellipse; pixels on the rays belong to the wedge.
    context.fillArc({0, 0, 10, 10}, {5, -20}, {20, 5});
    EXPECT_EQ(area({0, 0, 11, 11}, 0xffff00), "...........\n"
                                              "...###.....\n"
                                              "..####.....\n"
                                              ".#####.....\n"
                                              ".#####.....\n"
                                              ".#########.\n"
                                              ".#########.\n"
                                              ".#########.\n"
                                              "..#######..\n"
                                              "...#####...\n"
                                              "...........\n");
    EXPECT_EQ(count(kWhite), 0);
}

TEST_F(Drawing, SetPixelSetsOnePixelAndIgnoresPointsOutside) {
    context.setPixel({3, 4}, MagentaColour);
    context.setPixel({-1, 4}, MagentaColour);
    context.setPixel({40, 40}, MagentaColour);
    EXPECT_EQ(surface.pixel(3, 4), 0xff00ffu);
    EXPECT_EQ(count(0xff00ff), 1);
}

TEST_F(Drawing, FarAwayCoordinatesAreClippedQuickly) {
    context.moveTo({-2000000000, 5});
    context.lineTo({2000000000, 5});
    context.drawEllipse({-2000000000, -2000000000, 2000000000, 2000000000});
    const Point huge[] = {{-2000000000, -2000000000}, {2000000000, 0}, {0, 2000000000}};
    context.fillPolygon(huge, 3);
    // The inside of an outline at the very end of the range is empty, not an overflow.
    constexpr int32_t kLast = std::numeric_limits<int32_t>::max();
    context.fillRect({kLast, kLast, kLast, kLast});
    context.fillEllipse({kLast, kLast, kLast, kLast});
    EXPECT_EQ(surface.pixel(0, 5), kBlack);
    EXPECT_EQ(surface.pixel(39, 5), kBlack);
}

TEST(DrawingMouse, ButtonWordComesFromTheWindowsLiveState) {
    HeadlessPlatform platform;
    struct NoEvents : WindowEvents {
        void windowExposed() override {}
        void windowPressed(Point) override {}
        void windowWheeled(Point, int32_t, int32_t) override {}
        void windowDestroyed() override {}
    } events;
    auto window = platform.openWindow(nullptr, 10, 10, 1, events);
    auto* headless = static_cast<HeadlessWindow*>(window.get());
    DrawContext context(nullptr, &window->surface(), window.get());
    headless->setMouseButtons(ButtonLeft | ModAlt);
    EXPECT_EQ(context.getMouseButtons(), 33);
    headless->setMouseButtons(ButtonLeft | ModAlt | ModShift);
    EXPECT_EQ(context.getMouseButtons(), 41);
    headless->setMouseLocation({7, -3});
    EXPECT_EQ(context.getMouseLocation(), (Point{7, -3}));

    DrawContext windowless(nullptr, &window->surface(), nullptr);
    EXPECT_EQ(windowless.getMouseButtons(), 0);
}

} // namespace
