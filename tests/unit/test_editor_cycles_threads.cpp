// The editor opened and closed over and over on the UI thread while the audio thread plays and
// learns controllers and a host thread automates every parameter: the hook then races open and
// close themselves. Program changes are left out: they also reset the glide and the filter
// history, which belong to the audio thread. Built with ThreadSanitizer, any unguarded access
// fails.
#include "editor/editor.h"
#include "effect/AGain.h"
#include "event_list.h"
#include "gui/bitmap.h"
#include "gui/frame.h"
#include "gui/knob.h"
#include "gui/platform/headless/headless.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr int kCycles = 100;

void playAndLearn(FilterEffect& effect, const std::atomic<bool>& stop) {
    float silence[64] = {};
    float left[64] = {};
    float right[64] = {};
    float* inputs[] = {silence, silence};
    float* outputs[] = {left, right};
    AEffect* record = effect.getAeffect();
    EventList events;
    for (int block = 0; !stop.load(std::memory_order_relaxed); ++block) {
        if (block % 8 == 0) {
            effect.armLearning();
        }
        events.clear();
        events.controlChange(0, block % 100, 64);
        events.noteOn(7, 50 + block % 40, 90);
        record->dispatcher(record, effProcessEvents, 0, 0, events.get(), 0.0f);
        record->process(record, inputs, outputs, 64);
    }
}

void automate(FilterEffect& effect, const std::atomic<bool>& stop) {
    AEffect* record = effect.getAeffect();
    for (int change = 0; !stop.load(std::memory_order_relaxed); ++change) {
        record->setParameter(record, change % 8, static_cast<float>(change % 97) / 96.0f);
    }
}

} // namespace

TEST(EditorCycleThreads, OpenAndCloseRaceTheHookFromTwoThreads) {
    HeadlessPlatform platform;
    setPlatform(&platform);
    const int32_t bitmapsBefore = Bitmap::liveCount();
    {
        FilterEffect effect(nullptr);
        auto* editor = static_cast<FilterEditor*>(effect.getEditor());
        std::atomic<bool> stop{false};
        std::thread audio(playAndLearn, std::ref(effect), std::cref(stop));
        std::thread host(automate, std::ref(effect), std::cref(stop));
        for (int cycle = 0; cycle < kCycles; ++cycle) {
            ASSERT_EQ(editor->open(nullptr), 1);
            platform.lastWindow()->queueExpose();
            for (int pass = 0; pass < 3; ++pass) {
                platform.lastWindow()->queuePress({55, 125}); // a learn switch
                editor->idle();
            }
            editor->close();
            editor->idle();
        }
        stop = true;
        audio.join();
        host.join();

        ASSERT_EQ(editor->open(nullptr), 1);
        editor->idle();
        for (int32_t parameter = kFrequency; parameter <= kGain; ++parameter) {
            auto* knob = dynamic_cast<FilmstripKnob*>(editor->getFrame()->getView(6 + parameter));
            ASSERT_NE(knob, nullptr);
            EXPECT_EQ(knob->getValue(), effect.getParameter(parameter)) << parameter;
        }
        editor->close();
    }
    EXPECT_EQ(Bitmap::liveCount(), bitmapsBefore);
    setPlatform(nullptr);
}
