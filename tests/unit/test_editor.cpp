// The editor's layout and lifecycle on the headless platform: the sixteen controls, their
// configuration and first values, the bitmaps they share, and what opening and closing do.
#include "editor_fixture.h"
#include "pixels.h"

#include <typeinfo>

namespace {

using EditorLayout = EditorFixture;

struct ExpectedView {
    const std::type_info& type;
    Rect size;
    int32_t tag;
    bool listens;
};

TEST_F(EditorLayout, RectIsTheBackgroundsSizeBeforeAnyOpen) {
    EXPECT_NE(effect->getAeffect()->flags & effFlagsHasEditor, 0);
    ERect* rect = nullptr;
    EXPECT_EQ(effect->dispatcher(effEditGetRect, 0, 0, &rect, 0.0f), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 140);
    EXPECT_EQ(rect->right, 225);
    EXPECT_EQ(editor->getFrame(), nullptr);
}

TEST_F(EditorLayout, OpenBuildsSixteenControlsInDrawingOrder) {
    openAndPaint();
    const ExpectedView expected[] = {
        {typeid(ValueDisplay), {8, 79, 39, 88}, 0, false},
        {typeid(ValueDisplay), {51, 79, 82, 88}, 0, false},
        {typeid(ValueDisplay), {94, 79, 125, 88}, 0, false},
        {typeid(ValueDisplay), {185, 79, 216, 88}, 0, false},
        {typeid(TextField), {8, 105, 39, 114}, 5, true},
        {typeid(TextField), {51, 105, 82, 114}, 6, true},
        {typeid(TextField), {94, 105, 125, 114}, 7, true},
        {typeid(FilmstripKnob), {7, 46, 41, 75}, 1, true},
        {typeid(FilmstripKnob), {51, 46, 84, 75}, 2, true},
        {typeid(FilmstripKnob), {94, 46, 127, 75}, 3, true},
        {typeid(FilmstripKnob), {185, 46, 218, 75}, 4, true},
        {typeid(ToggleButton), {137, 54, 148, 65}, 1000, true},
        {typeid(ToggleButton), {137, 75, 148, 86}, 1001, true},
        {typeid(ToggleButton), {7, 120, 18, 131}, 1002, true},
        {typeid(ToggleButton), {50, 120, 61, 131}, 1003, true},
        {typeid(ToggleButton), {94, 120, 105, 131}, 1004, true},
    };
    Frame* frame = editor->getFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->getSize(), (Rect{0, 0, 225, 140}));
    ASSERT_EQ(frame->getViewCount(), 16);
    for (int32_t i = 0; i < 16; ++i) {
        View* view = frame->getView(i);
        auto* control = dynamic_cast<Control*>(view);
        ASSERT_NE(control, nullptr) << i;
        EXPECT_EQ(typeid(*view), expected[i].type) << i;
        EXPECT_EQ(view->getSize(), expected[i].size) << i;
        EXPECT_EQ(control->getTag(), expected[i].tag) << i;
        EXPECT_EQ(control->getListener(), expected[i].listens ? editor : nullptr) << i;
    }
    for (int32_t parameter = kFrequency; parameter <= kGain; ++parameter) {
        EXPECT_EQ(display(parameter)->getStyle(), 0);
        EXPECT_EQ(display(parameter)->getFont(), parameter == kGain ? 5 : 4);
        EXPECT_EQ(knob(parameter)->getMin(), 0.0f);
        EXPECT_EQ(knob(parameter)->getMax(), 1.0f);
        EXPECT_EQ(knob(parameter)->getInset(), 0);
    }
    EXPECT_EQ(knob(kFrequency)->getDefaultValue(), 0.5f);
    EXPECT_EQ(knob(kResonance)->getDefaultValue(), 0.1f);
    EXPECT_EQ(knob(kSmoothness)->getDefaultValue(), 0.1f);
    EXPECT_EQ(knob(kGain)->getDefaultValue(), 0.5f);
    for (int32_t parameter = kCcCutoff; parameter <= kCcSmooth; ++parameter) {
        EXPECT_EQ(field(parameter)->getFont(), 5);
        EXPECT_EQ(field(parameter)->getStyle(), 0);
    }
}

TEST_F(EditorLayout, TheDefaultProgramShowsItsValuesInGreen) {
    openAndPaint();
    const char* readouts[] = {"63", "12", "12", "-12.00"};
    for (int32_t parameter = kFrequency; parameter <= kGain; ++parameter) {
        EXPECT_EQ(knob(parameter)->getValue(), effect->getParameter(parameter));
        EXPECT_EQ(display(parameter)->getValue(), effect->getParameter(parameter));
        expectShows(screen(), display(parameter)->getSize(), readouts[parameter - kFrequency],
                    parameter == kGain ? 5 : 4);
    }
    const char* texts[] = {"71", "OFF", "5"};
    for (int32_t parameter = kCcCutoff; parameter <= kCcSmooth; ++parameter) {
        EXPECT_EQ(text(parameter), texts[parameter - kCcCutoff]);
        EXPECT_EQ(field(parameter)->getValue(), effect->getParameter(parameter));
        expectShows(screen(), field(parameter)->getSize(), texts[parameter - kCcCutoff], 5);
    }
    EXPECT_EQ(toggle(kTagLowPass)->getValue(), 1.0f);
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 0.0f);
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(knob(kFrequency)->frameTop(), 930) << "0.5 shows frame 31";
    dumpIfFailed(screen());
}

TEST_F(EditorLayout, ScreenshotOfTheDefaultState) {
    openAndPaint();
    EXPECT_TRUE(writePng(screen(), GLIDEFILTER_SCREENSHOT_PATH));
}

// The window shows the 1x picture enlarged, and a change presents only its own pixels.
TEST_F(EditorLayout, AtEveryScaleTheWindowShowsThe1xPictureWithEveryPixelRepeated) {
    struct Shown {
        Surface opened;
        Surface changed;
        Rect changedArea;
    };
    const auto showAt = [this](int32_t scale) {
        platform.setEditorScale(scale);
        effect->setParameter(kGain, 0.5f);
        openAndPaint();
        Shown shown{screen(), {}, {}};
        effect->setParameter(kGain, 1.0f);
        editor->idle();
        shown.changed = screen();
        shown.changedArea = window()->presentedAreas().back();
        editor->close();
        return shown;
    };
    const Shown plain = showAt(1);
    EXPECT_LT(plain.changedArea.width() * plain.changedArea.height(), 225 * 140 / 8);
    for (const int32_t scale : {2, 3, 4}) {
        const Shown large = showAt(scale);
        EXPECT_EQ(differingPixels(large.opened, enlargedBy(plain.opened, scale)), 0) << scale;
        EXPECT_EQ(differingPixels(large.changed, enlargedBy(plain.changed, scale)), 0) << scale;
        const Rect& area = plain.changedArea;
        EXPECT_EQ(large.changedArea, (Rect{area.left * scale, area.top * scale, area.right * scale,
                                           area.bottom * scale}))
            << scale;
    }
}

TEST_F(EditorLayout, OpeningFollowsTheFilterTypeAtEitherSideOfOneHalf) {
    effect->setParameter(kFilterType, 0.7f);
    openAndPaint();
    EXPECT_EQ(toggle(kTagLowPass)->getValue(), 0.0f);
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 1.0f);
    editor->close();
    effect->setParameter(kFilterType, 0.3f);
    openAndPaint();
    EXPECT_EQ(toggle(kTagLowPass)->getValue(), 1.0f);
    EXPECT_EQ(toggle(kTagHighPass)->getValue(), 0.0f);
}

TEST_F(EditorLayout, ControlsShareTheBitmapsAndCloseReleasesThem) {
    const int32_t alive = Bitmap::liveCount();
    Bitmap* background = FilterEditorInternals::bitmap(*editor, 200);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->getRefCount(), 1);
    openAndPaint();
    EXPECT_EQ(Bitmap::liveCount(), alive + 4);
    EXPECT_EQ(editor->getFrame()->getBackground(), background);
    const std::pair<int32_t, int32_t> counts[] = {{200, 2}, {201, 6}, {202, 2}, {203, 3}, {204, 2}};
    for (auto [id, count] : counts) {
        Bitmap* bitmap = FilterEditorInternals::bitmap(*editor, id);
        ASSERT_NE(bitmap, nullptr) << id;
        EXPECT_EQ(bitmap->getResourceId(), id);
        EXPECT_EQ(bitmap->getRefCount(), count) << id;
    }
    EXPECT_EQ(FilterEditorInternals::bitmap(*editor, 201)->getWidth(), 11);

    editor->close();
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(Bitmap::liveCount(), alive) << "201 to 204 are gone with the controls";
    EXPECT_EQ(background->getRefCount(), 1);
    for (int32_t id = 201; id <= 204; ++id) {
        EXPECT_EQ(FilterEditorInternals::bitmap(*editor, id), nullptr) << id;
    }

    editor->close();
    EXPECT_EQ(Bitmap::liveCount(), alive) << "a second close does nothing";
    EXPECT_EQ(background->getRefCount(), 1);

    openAndPaint();
    EXPECT_EQ(Bitmap::liveCount(), alive + 4) << "201 to 204 are loaded afresh";
    EXPECT_EQ(FilterEditorInternals::bitmap(*editor, 200), background) << "200 is not reloaded";
    EXPECT_EQ(background->getRefCount(), 2);
}

TEST_F(EditorLayout, ReopeningShowsTheCurrentValuesWithTheLearnSwitchesDark) {
    openAndPaint();
    click(toggle(kTagLearnRezo));
    editor->close();
    effect->setParameter(kResonance, 0.75f);
    effect->setParameter(kCcSmooth, 0.25f);
    openAndPaint();
    EXPECT_EQ(knob(kResonance)->getValue(), 0.75f);
    EXPECT_EQ(display(kResonance)->getValue(), 0.75f);
    EXPECT_EQ(text(kCcSmooth), "32");
    EXPECT_EQ(learnSwitches(), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(effect->getLearnedController(), -1) << "learning lives in the effect";
}

TEST_F(EditorLayout, OpeningAnOpenEditorRebuildsItOnce) {
    const int32_t alive = Bitmap::liveCount();
    openAndPaint();
    openAndPaint();
    EXPECT_EQ(editor->getFrame()->getViewCount(), 16);
    EXPECT_EQ(Bitmap::liveCount(), alive + 4);
    EXPECT_EQ(FilterEditorInternals::bitmap(*editor, 201)->getRefCount(), 6);
}

TEST_F(EditorLayout, WithoutADisplayOpenAnswersZeroAndLoadsNothing) {
    const int32_t alive = Bitmap::liveCount();
    HeadlessPlatform displayless;
    displayless.refuseWindows(true);
    setPlatform(&displayless);
    EXPECT_EQ(editor->open(nullptr), 0);
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(Bitmap::liveCount(), alive);
    editor->idle();
    effect->setParameter(kFrequency, 0.2f);
    editor->idle();
}

TEST_F(EditorLayout, DeletingTheEffectWithItsEditorOpenReleasesEveryBitmap) {
    const int32_t before = Bitmap::liveCount();
    openAndPaint();
    effect.reset();
    EXPECT_EQ(Bitmap::liveCount(), before - 1) << "the background went with the editor";
}

} // namespace
