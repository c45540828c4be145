// The frame without a display: painting, press dispatch, redraw of changed controls, the view
// list, and a window that goes away.
#include "gui/drawcontext.h"
#include "gui/platform/headless/headless.h"
#include "pixels.h"
#include "recording_views.h"

#include <gtest/gtest.h>

namespace {

class GuiFrame : public ::testing::Test {
protected:
    void SetUp() override {
        setPlatform(&platform);
        frame = std::make_unique<Frame>(Rect{0, 0, 60, 40}, nullptr, nullptr);
        window = platform.lastWindow();
    }
    void TearDown() override {
        if (frame != nullptr && window != nullptr) {
            dumpIfFailed(window->screen());
        }
        frame.reset();
        setPlatform(nullptr);
    }

    RecordingView* add(const Rect& r, Colour colour = RedColour) {
        auto* view = new RecordingView(r, colour, &destroyed);
        frame->addView(view);
        return view;
    }
    void press(Point where) {
        window->queuePress(where);
        frame->processEvents();
    }

    HeadlessPlatform platform;
    std::unique_ptr<Frame> frame;
    HeadlessWindow* window = nullptr;
    int destroyed = 0;
};

TEST_F(GuiFrame, PressesOnTheRightAndBottomEdgesHitTheView) {
    RecordingView* view = add({10, 10, 20, 20});
    press({20, 20});
    press({10, 10});
    press({21, 15});
    press({15, 21});
    press({9, 9});
    ASSERT_EQ(view->presses.size(), 2u);
    EXPECT_EQ(view->presses[0], (Point{20, 20}));
    EXPECT_EQ(view->presses[1], (Point{10, 10}));
}

TEST_F(GuiFrame, AtScaleTwoPressesAndThePointerAreMappedBackToTheSurfacesPixels) {
    frame = std::make_unique<Frame>(Rect{0, 0, 60, 40}, nullptr, nullptr, 2);
    window = platform.lastWindow();
    EXPECT_EQ(window->screen().width(), 120);
    EXPECT_EQ(window->screen().height(), 80);
    // The view's pixels 10 to 20 are the window's 20 to 41.
    RecordingView* view = add({10, 10, 20, 20});
    press({41, 41});
    press({20, 20});
    press({42, 30});
    press({30, 42});
    press({19, 19});
    ASSERT_EQ(view->presses.size(), 2u);
    EXPECT_EQ(view->presses[0], (Point{20, 20}));
    EXPECT_EQ(view->presses[1], (Point{10, 10}));
    // A drag reads the live pointer, which may be left of or above the window.
    const DrawContext context(frame.get(), &window->surface(), window);
    window->setMouseLocation({41, 1});
    EXPECT_EQ(context.getMouseLocation(), (Point{20, 0}));
    window->setMouseLocation({-1, -3});
    EXPECT_EQ(context.getMouseLocation(), (Point{-1, -2}));
}

TEST_F(GuiFrame, TheLaterViewWinsInAnOverlap) {
    RecordingView* under = add({0, 0, 30, 30});
    RecordingView* over = add({20, 20, 40, 40});
    press({25, 25});
    press({5, 5});
    EXPECT_EQ(over->presses.size(), 1u);
    EXPECT_EQ(under->presses.size(), 1u);
    EXPECT_EQ(under->presses[0], (Point{5, 5}));
}

TEST_F(GuiFrame, DisabledControlsStillStopTheSearch) {
    RecordingView* under = add({0, 0, 30, 30});
    auto* control = new RecordingControl({0, 0, 30, 30}, nullptr, 1);
    control->setMouseEnabled(false);
    frame->addView(control);
    press({5, 5});
    EXPECT_TRUE(under->presses.empty());
}

TEST_F(GuiFrame, AModalViewTakesEveryPressAndEveryUpdate) {
    RecordingView* normal = add({0, 0, 60, 40});
    auto* modal = new RecordingView({10, 10, 20, 20}, GreenColour, &destroyed);
    ASSERT_TRUE(frame->setModalView(modal));
    RecordingView other({0, 0, 1, 1}, RedColour);
    EXPECT_FALSE(frame->setModalView(&other));
    press({15, 15});
    press({30, 30});
    EXPECT_EQ(modal->presses.size(), 1u);
    EXPECT_TRUE(normal->presses.empty());

    auto* control = new RecordingControl({0, 0, 5, 5}, nullptr, 1);
    frame->addView(control);
    window->queueExpose();
    frame->processEvents();
    EXPECT_EQ(window->screen().pixel(15, 15), 0x00ff00u) << "the modal view is drawn last";
    control->setValue(0.5f);
    const int drawn = control->draws;
    frame->idle();
    EXPECT_EQ(control->draws, drawn);
    EXPECT_TRUE(frame->setModalView(nullptr));
    frame->idle();
    EXPECT_EQ(control->draws, drawn + 1);
    delete modal;
}

TEST_F(GuiFrame, APressOutsideTheEditViewTakesItsFocusThenReachesTheViewUnderIt) {
    RecordingView* field = add({0, 0, 20, 10});
    RecordingView* other = add({30, 30, 50, 39});
    frame->setEditView(field);
    press({20, 10});
    EXPECT_EQ(field->focusLosses, 0);
    EXPECT_EQ(frame->getEditView(), field);
    press({40, 35});
    EXPECT_EQ(field->focusLosses, 1);
    EXPECT_EQ(frame->getEditView(), nullptr);
    EXPECT_EQ(other->presses.size(), 1u);
}

TEST_F(GuiFrame, IdleDrawsNothingBeforeTheFirstPaintThenOnlyChangedControls) {
    auto* first = new RecordingControl({0, 0, 10, 10}, nullptr, 1);
    auto* second = new RecordingControl({20, 0, 30, 10}, nullptr, 2);
    frame->addView(first);
    frame->addView(second);
    frame->idle();
    EXPECT_EQ(first->draws, 0);
    EXPECT_EQ(window->presentCount(), 0);

    window->queueExpose();
    frame->processEvents();
    EXPECT_EQ(first->draws, 1);
    EXPECT_EQ(second->draws, 1);
    EXPECT_EQ(window->presentCount(), 1);
    // Paint draws without updating oldValue (the controls here do not), so both still differ.
    frame->idle();
    EXPECT_EQ(first->draws, 2);
    frame->idle();
    EXPECT_EQ(first->draws, 2);
    EXPECT_EQ(second->draws, 2);

    second->setValue(1.0f);
    frame->idle();
    EXPECT_EQ(first->draws, 2);
    EXPECT_EQ(second->draws, 3);
    EXPECT_EQ(window->presentedAreas().back(), (Rect{20, 0, 31, 11}));
    EXPECT_EQ(window->screen().pixel(25, 5), 0xffffffu);
}

TEST_F(GuiFrame, DrawViewOfAnUnknownViewPaintsTheWholeFrame) {
    RecordingView* listed = add({0, 0, 10, 10});
    RecordingView* second = add({20, 0, 30, 10});
    frame->drawView(listed);
    EXPECT_EQ(listed->draws, 1);
    EXPECT_EQ(second->draws, 0);
    RecordingView stranger({40, 0, 50, 10}, GreenColour);
    frame->drawView(&stranger);
    EXPECT_EQ(stranger.draws, 0);
    EXPECT_EQ(listed->draws, 2);
    EXPECT_EQ(second->draws, 1);
    frame->drawView(nullptr);
    EXPECT_EQ(second->draws, 2);
}

TEST_F(GuiFrame, TheBackgroundIsPaintedFirstAndHeldByReference) {
    const int32_t alive = Bitmap::liveCount();
    // The frame's own reference is the only one left.
    frame->setBackground(BitmapRef::adopt(new Bitmap(Surface(60, 40, 0x123456))).get());
    RecordingView* view = add({10, 10, 20, 20});
    view->redraw();
    EXPECT_EQ(window->screen().pixel(0, 0), 0u) << "a view's redraw paints only the view";
    frame->drawView(nullptr);
    EXPECT_EQ(window->screen().pixel(0, 0), 0x123456u);
    EXPECT_EQ(window->screen().pixel(15, 15), 0xff0000u);
    frame.reset();
    EXPECT_EQ(Bitmap::liveCount(), alive);
}

TEST_F(GuiFrame, TheViewListGrowsKeepsItsOrderAndGivesRemovedViewsBack) {
    std::vector<RecordingView*> added;
    for (int32_t i = 0; i < 25; ++i) {
        added.push_back(add({i, 0, i + 1, 1}));
    }
    ASSERT_EQ(frame->getViewCount(), 25);
    EXPECT_EQ(added[7]->getHolder(), frame.get());
    EXPECT_TRUE(frame->removeView(added[3]));
    EXPECT_TRUE(frame->removeView(added[3]));
    ASSERT_EQ(frame->getViewCount(), 24);
    EXPECT_EQ(frame->getView(2), added[2]);
    EXPECT_EQ(frame->getView(3), added[4]);
    EXPECT_EQ(frame->getView(24), nullptr);
    EXPECT_EQ(destroyed, 0);
    delete added[3];
    frame.reset();
    EXPECT_EQ(destroyed, 25);
}

TEST_F(GuiFrame, DeletingTheFrameCommitsTheEditViewFirst) {
    // Deleted first, it sees whether the field had lost its focus before any view went.
    struct Watcher : View {
        Watcher(RecordingView*& field, int& seen) : View({}), field(field), seen(seen) {}
        ~Watcher() override { seen = field->focusLosses; }
        RecordingView*& field;
        int& seen;
    };
    RecordingView* field = nullptr;
    int lossesBeforeDeletion = -1;
    frame->addView(new Watcher(field, lossesBeforeDeletion));
    field = add({0, 0, 20, 10});
    frame->setEditView(field);
    frame.reset();
    EXPECT_EQ(lossesBeforeDeletion, 1);
}

TEST_F(GuiFrame, AWindowDestroyedFromOutsideStopsAllDrawing) {
    RecordingView* view = add({0, 0, 10, 10});
    window->queueExpose();
    window->queueDestroy();
    window->queuePress({5, 5});
    frame->processEvents();
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getSystemWindow(), nullptr);
    const int presents = window->presentCount();
    const int draws = view->draws;
    frame->idle();
    frame->drawView(nullptr);
    view->redraw();
    window->queuePress({5, 5});
    frame->processEvents();
    EXPECT_EQ(window->presentCount(), presents);
    EXPECT_EQ(view->draws, draws);
    EXPECT_TRUE(view->presses.empty());
}

TEST_F(GuiFrame, WithoutAWindowTheFrameIsClosedAndInert) {
    platform.refuseWindows(true);
    Frame closed({0, 0, 10, 10}, nullptr, nullptr);
    EXPECT_FALSE(closed.isOpen());
    auto* view = new RecordingView({0, 0, 5, 5}, RedColour);
    closed.addView(view);
    closed.drawView(nullptr);
    closed.idle();
    closed.processEvents();
    EXPECT_EQ(view->draws, 0);
}

TEST(GuiControl, ChangeDetectionComparesTheValueWithTheLastDrawn) {
    Surface surface(10, 10);
    DrawContext context(nullptr, &surface, nullptr);
    RecordingControl control({0, 0, 5, 5}, nullptr, 3);
    EXPECT_EQ(control.getOldValue(), -1.0f);
    EXPECT_EQ(control.getValue(), 0.0f);
    EXPECT_EQ(control.getDefaultValue(), 0.5f);
    EXPECT_EQ(control.getTag(), 3);
    control.update(&context);
    EXPECT_EQ(control.draws, 1);
    EXPECT_EQ(control.getOldValue(), 0.0f);
    control.setOldValue(0.3f);
    control.setValue(0.3f);
    control.update(&context);
    EXPECT_EQ(control.draws, 1);
    control.setValue(0.4f);
    control.update(&context);
    EXPECT_EQ(control.draws, 2);
    control.setValue(2.0f);
    EXPECT_EQ(control.getValue(), 2.0f);
}

} // namespace
