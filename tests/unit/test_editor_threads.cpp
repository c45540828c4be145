// The editor open and drawing on the UI thread while an audio thread learns controllers and an
// automation thread sets parameters: built with ThreadSanitizer, any unguarded access fails it.
// Afterwards every control must show what the effect holds. Then two editors on two UI threads
// of their own, on the X server the test runs against.
#include "editor/conversions.h"
#include "editor/editor.h"
#include "effect/AGain.h"
#include "event_list.h"
#include "gui/bitmap.h"
#include "gui/frame.h"
#include "gui/knob.h"
#include "gui/platform/headless/headless.h"
#include "gui/textfield.h"
#include "gui/togglebutton.h"
#include "gui/valuedisplay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>

namespace {

// The UI thread idles at least this often, and until each storm has run at least this long.
constexpr int kUiPasses = 400;
constexpr int kStormRounds = 3000;
constexpr int kMostUiPasses = 1000000;

constexpr int kEditorCycles = 15;
constexpr int kIdlesPerCycle = 20;

// Controllers learned and played: a different one each time, some on the default assignments.
void stormMidi(FilterEffect& effect, const std::atomic<bool>& stop, std::atomic<int>& rounds) {
    float silence[64] = {};
    float left[64] = {};
    float right[64] = {};
    float* inputs[] = {silence, silence};
    float* outputs[] = {left, right};
    EventList events;
    for (int block = 0; !stop.load(std::memory_order_relaxed); ++block) {
        events.clear();
        events.controlChange(0, block % 120, block % 128);
        events.controlChange(3, 71, (block * 7) % 128);
        events.noteOn(5, 45 + block % 60, 100);
        effect.getAeffect()->dispatcher(effect.getAeffect(), effProcessEvents, 0, 0, events.get(),
                                        0.0f);
        effect.getAeffect()->process(effect.getAeffect(), inputs, outputs, 64);
        rounds.fetch_add(1, std::memory_order_relaxed);
    }
}

// The knob parameters only: the filter type belongs to the UI thread's clicks and the controller
// numbers to the learning, so that each parameter's last notification is also its last value.
void stormAutomation(FilterEffect& effect, const std::atomic<bool>& stop,
                     std::atomic<int>& rounds) {
    AEffect* record = effect.getAeffect();
    for (int change = 0; !stop.load(std::memory_order_relaxed); ++change) {
        const int32_t index = kFrequency + change % 4;
        record->setParameter(record, index, static_cast<float>(change % 101) / 100.0f);
        rounds.fetch_add(1, std::memory_order_relaxed);
    }
}

// A controller assignment differs from the program's defaults.
bool learnedAny(FilterEffect& effect) {
    return effect.getParameter(kCcCutoff) != 0.5546875f || effect.getParameter(kCcRezo) != 1.0f ||
           effect.getParameter(kCcSmooth) != 0.0390625f;
}

std::string shownText(TextField* field) {
    char text[kDisplayTextSize] = {};
    field->getText(text);
    return text;
}

TEST(EditorThreads, LearningAndAutomationStormsWhileTheEditorIdlesAndDraws) {
    HeadlessPlatform platform;
    setPlatform(&platform);
    {
        FilterEffect effect(nullptr);
        auto* editor = static_cast<FilterEditor*>(effect.getEditor());
        ASSERT_EQ(editor->open(nullptr), 1);
        HeadlessWindow* window = platform.lastWindow();
        window->queueExpose();
        editor->idle();
        Frame* frame = editor->getFrame();

        std::atomic<bool> stop{false};
        std::atomic<int> audioRounds{0};
        std::atomic<int> automationRounds{0};
        std::thread audio(stormMidi, std::ref(effect), std::cref(stop), std::ref(audioRounds));
        std::thread automation(stormAutomation, std::ref(effect), std::cref(stop),
                               std::ref(automationRounds));
        const Point learnSwitches[] = {{12, 125}, {55, 125}, {99, 125}};
        window->setMouseButtons(0);
        // Until every thread has done its share and a controller was learned, which needs the audio
        // thread to run while a switch is armed: the scheduler may hold it back for a while.
        for (int pass = 0; pass < kUiPasses || audioRounds.load() < kStormRounds ||
                           automationRounds.load() < kStormRounds ||
                           (!learnedAny(effect) && pass < kMostUiPasses);
             ++pass) {
            window->queuePress(learnSwitches[pass % 3]);
            if (pass % 5 == 0) {
                window->queuePress({142, 80 - (pass % 2) * 20}); // a filter-type switch
            }
            if (pass % 50 == 0) {
                window->queueExpose();
            }
            editor->idle();
        }
        stop = true;
        audio.join();
        automation.join();
        editor->idle();

        auto* lowPass = dynamic_cast<ToggleButton*>(frame->getView(11));
        auto* highPass = dynamic_cast<ToggleButton*>(frame->getView(12));
        const bool high = effect.getParameter(kFilterType) >= 0.5f;
        EXPECT_EQ(lowPass->getValue(), high ? 0.0f : 1.0f);
        EXPECT_EQ(highPass->getValue(), high ? 1.0f : 0.0f);
        for (int32_t parameter = kFrequency; parameter <= kGain; ++parameter) {
            auto* knob = dynamic_cast<FilmstripKnob*>(frame->getView(7 + parameter - 1));
            auto* display = dynamic_cast<ValueDisplay*>(frame->getView(parameter - 1));
            EXPECT_EQ(knob->getValue(), effect.getParameter(parameter)) << parameter;
            EXPECT_EQ(display->getValue(), effect.getParameter(parameter)) << parameter;
        }
        EXPECT_TRUE(learnedAny(effect)) << "the storm assigned no controller";
        for (int32_t parameter = kCcCutoff; parameter <= kCcSmooth; ++parameter) {
            char expected[kDisplayTextSize] = {};
            conversions::controllerText(effect.getParameter(parameter), expected);
            auto* field = dynamic_cast<TextField*>(frame->getView(4 + parameter - kCcCutoff));
            EXPECT_EQ(shownText(field), expected) << parameter;
        }
        editor->close();
    }
    setPlatform(nullptr);
}

// Each thread opens its instance's editor, idles it through parameter changes that redraw knobs
// and read-outs, and closes it, over and over: both share the fonts, their glyph caches, the
// bitmap count and the record of X connections, each editor on a connection of its own.
void runEditorCycles(unsigned long parentWindow, int seed, std::atomic<int>& opened) {
    FilterEffect effect(nullptr);
    EffectEditor* editor = effect.getEditor();
    for (int cycle = 0; cycle < kEditorCycles; ++cycle) {
        if (editor->open(reinterpret_cast<void*>(parentWindow)) == 1) {
            ++opened;
        }
        for (int pass = 0; pass < kIdlesPerCycle; ++pass) {
            const int32_t parameter = kFrequency + pass % 4;
            effect.setParameter(parameter,
                                static_cast<float>((seed + 7 * pass + cycle) % 100) / 100);
            editor->idle();
        }
        editor->close();
    }
}

TEST(EditorThreads, TwoEditorsOnTwoUiThreads) {
    if (std::getenv("DISPLAY") == nullptr) {
        GTEST_SKIP() << "no X display; run through with_xvfb (ctest does)";
    }
    Display* host = XOpenDisplay(nullptr);
    ASSERT_NE(host, nullptr);
    Window parents[2] = {};
    for (Window& parent : parents) {
        parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 260, 180, 0, 0, 0);
        XMapWindow(host, parent);
    }
    XSync(host, False);
    const int32_t bitmapsBefore = Bitmap::liveCount();
    std::atomic<int> opened{0};
    std::thread first(runEditorCycles, parents[0], 0, std::ref(opened));
    std::thread second(runEditorCycles, parents[1], 50, std::ref(opened));
    first.join();
    second.join();
    EXPECT_EQ(opened.load(), 2 * kEditorCycles);
    EXPECT_EQ(Bitmap::liveCount(), bitmapsBefore);
    XCloseDisplay(host);
}

} // namespace
