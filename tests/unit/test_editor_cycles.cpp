// The editor shown and hidden a thousand times, as users do with a host's plug-in window, with
// the user and the host busy in between and some cycles closed in the middle of an action;
// and the instance closed while its editor is open. Nothing may pile up: no bitmap, no heap
// (LeakSanitizer checks the rest in the sanitizer build), no stale edit box.
#include "editor_fixture.h"

#include <malloc.h>

#include <cstddef>

namespace {

constexpr int kCycles = 1000;
// Cycles before the heap is measured: caches (fonts, glyphs) fill during the first ones.
constexpr int kWarmUpCycles = 50;

size_t heapInUse() {
    return mallinfo2().uordblks;
}

class EditorCycles : public EditorFixture {
protected:
    // What a user or host may be doing when the editor is closed.
    void busyCycle(int cycle) {
        switch (cycle % 6) {
        case 0:
            effect->setParameter(kFrequency, static_cast<float>(cycle % 100) / 100.0f);
            editor->idle();
            break;
        case 1:
            click(toggle(cycle % 12 == 1 ? kTagHighPass : kTagLowPass));
            break;
        case 2: {
            // Closed while the edit box is open and half typed.
            click(field(kCcRezo));
            ASSERT_NE(HeadlessEditBox::current(), nullptr);
            HeadlessEditBox::current()->type("1");
            break;
        }
        case 3:
            click(toggle(kTagLearnSmooth));
            sendController(cycle % 120, 64);
            editor->idle();
            break;
        case 4:
            press({24, 50}, ButtonLeft, {{{30, 48}, ButtonLeft}, {{40, 60}, 0}});
            break;
        default:
            // Closed with changes posted that no idle has shown yet.
            effect->setParameter(kGain, 0.25f);
            effect->setProgram(cycle % 16);
            break;
        }
    }

    void setParameters(const float (&values)[kNumParams]) {
        for (int32_t index = 0; index < kNumParams; ++index) {
            effect->setParameter(index, values[index]);
        }
    }
};

TEST_F(EditorCycles, AThousandOpenCloseCyclesWithIdlesLeaveNothingBehind) {
    float startValues[kNumParams];
    for (int32_t index = 0; index < kNumParams; ++index) {
        startValues[index] = effect->getParameter(index);
    }
    const int32_t bitmapsBefore = Bitmap::liveCount();
    openAndPaint();
    const Surface firstPicture = screen();
    editor->close();

    size_t heapAfterWarmUp = 0;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        if (cycle == kWarmUpCycles) {
            heapAfterWarmUp = heapInUse();
        }
        openAndPaint();
        ASSERT_EQ(editor->getFrame()->getViewCount(), 16) << "cycle " << cycle;
        busyCycle(cycle);
        editor->idle();
        editor->close();
        ASSERT_EQ(editor->getFrame(), nullptr);
        ASSERT_EQ(HeadlessEditBox::current(), nullptr) << "cycle " << cycle;
        ASSERT_EQ(Bitmap::liveCount(), bitmapsBefore) << "cycle " << cycle;
        editor->idle();                         // hosts idle closed editors too
        effect->setParameter(kResonance, 0.5f); // and automate them
    }
    // glibc's count; the sanitizer build allocates elsewhere and only LeakSanitizer judges it.
    EXPECT_LT(heapInUse(), heapAfterWarmUp + 64 * 1024) << "the heap grows with every cycle";

    setParameters(startValues);
    openAndPaint();
    EXPECT_EQ(differingPixels(screen(), firstPicture), 0)
        << "the thousandth editor looks like the first on the same values";
    const std::vector<HostRequest> automated = automation();
    EXPECT_FALSE(automated.empty()) << "the clicks and drags reached the host";
}

// The host closes the instance through its entry (effClose) without closing the editor first,
// in each state the editor can be in.
TEST_F(EditorCycles, ClosingTheInstanceWithItsEditorOpenReleasesEverything) {
    const int32_t bitmapsBefore = Bitmap::liveCount();
    for (int state = 0; state < 4; ++state) {
        openAndPaint();
        switch (state) {
        case 0:
            break;
        case 1:
            click(field(kCcCutoff));
            HeadlessEditBox::current()->type("42");
            break;
        case 2:
            click(toggle(kTagLearnCutoff));
            effect->setParameter(kGain, 0.9f); // posted, never shown
            break;
        default:
            window()->queueExpose();
            window()->queuePress({142, 80}); // events the editor never drained
            break;
        }
        FilterEffect* instance = effect.release();
        AEffect* record = instance->getAeffect();
        EXPECT_EQ(record->dispatcher(record, effClose, 0, 0, nullptr, 0.0f), 1);
        EXPECT_EQ(HeadlessEditBox::current(), nullptr) << "state " << state;
        EXPECT_EQ(Bitmap::liveCount(), bitmapsBefore - 1) << "state " << state;
        effect = std::make_unique<FilterEffect>(recordingHost);
        editor = static_cast<FilterEditor*>(effect->getEditor());
        EXPECT_EQ(Bitmap::liveCount(), bitmapsBefore) << "state " << state;
    }
}

} // namespace
