// The filter effect with its editor opened on the headless platform, a host that records its
// requests, and ways to reach the editor's sixteen controls and to press them as a user does.
#pragma once

#include "editor/editor.h"
#include "effect/AGain.h"
#include "event_list.h"
#include "gui/bitmap.h"
#include "gui/drawcontext.h"
#include "gui/frame.h"
#include "gui/knob.h"
#include "gui/platform/headless/headlesseditbox.h"
#include "gui/textfield.h"
#include "gui/togglebutton.h"
#include "gui/valuedisplay.h"
#include "pixels.h"
#include "scripted_pointer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// The editor's bitmaps, which no view hands out.
struct FilterEditorInternals {
    static Bitmap* bitmap(const FilterEditor& editor, int32_t resourceId) {
        return editor.bitmaps[resourceId - kBitmapBackground].get();
    }
};

// The box of a display or field as the editor must show `text`: black fill and outline, the
// text centred in green in font `fontId`.
inline Surface expectedBox(const Rect& box, const char* text, int32_t fontId) {
    Surface surface(box.outlined().right, box.outlined().bottom, 0x123456);
    DrawContext context(nullptr, &surface, nullptr);
    context.setFillColour(BlackColour);
    context.fillRect(box);
    context.setFrameColour(BlackColour);
    context.drawRect(box);
    context.setFont(fontId);
    context.setFontColour(GreenColour);
    context.drawString(text, box, false, AlignCentre);
    return surface;
}

// Every pixel of the box (edges included) as painted, and some of them green text.
inline void expectShows(const Surface& screen, const Rect& box, const char* text, int32_t fontId) {
    const Surface expected = expectedBox(box, text, fontId);
    const Rect area = box.outlined();
    EXPECT_EQ(picture(screen, area, 0x000000), picture(expected, area, 0x000000)) << text;
    int differing = 0;
    int green = 0;
    for (int32_t y = area.top; y < area.bottom; ++y) {
        for (int32_t x = area.left; x < area.right; ++x) {
            const uint32_t pixel = screen.pixel(x, y);
            differing += pixel != expected.pixel(x, y) ? 1 : 0;
            green += (pixel & 0xff00ff) == 0 && (pixel & 0x00ff00) >= 0x008000 ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0) << text;
    EXPECT_GT(green, 4) << text << " shows no green text";
}

struct HostRequest {
    int32_t opcode;
    int32_t index;
    float opt;
};

// The host callback is a plain function: the fixture's log is reached through a global.
inline std::vector<HostRequest>* hostLog = nullptr;

inline intptr_t recordingHost(AEffect*, int32_t opcode, int32_t index, intptr_t, void*, float opt) {
    if (hostLog != nullptr) {
        hostLog->push_back({opcode, index, opt});
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

// Positions of the controls in the frame's list, which the layout test pins.
namespace slot {
constexpr int32_t display(int32_t parameter) {
    return parameter - kFrequency;
}
constexpr int32_t field(int32_t parameter) {
    return 4 + parameter - kCcCutoff;
}
constexpr int32_t knob(int32_t parameter) {
    return 7 + parameter - kFrequency;
}
constexpr int32_t toggle(int32_t tag) {
    return 11 + tag - kTagLowPass;
}
} // namespace slot

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        hostLog = &requests;
        setPlatform(&platform);
        effect = std::make_unique<FilterEffect>(recordingHost);
        editor = static_cast<FilterEditor*>(effect->getEditor());
        requests.clear();
    }
    void TearDown() override {
        effect.reset();
        setPlatform(nullptr);
        hostLog = nullptr;
    }

    // Opens the editor and lets the platform paint it, as a host's first idle does.
    void openAndPaint() {
        ASSERT_EQ(editor->open(nullptr), 1);
        window()->queueExpose();
        editor->idle();
    }
    ScriptedWindow* window() const { return platform.last; }
    const Surface& screen() const { return window()->screen(); }
    View* view(int32_t index) const { return editor->getFrame()->getView(index); }
    ValueDisplay* display(int32_t parameter) const {
        return dynamic_cast<ValueDisplay*>(view(slot::display(parameter)));
    }
    TextField* field(int32_t parameter) const {
        return dynamic_cast<TextField*>(view(slot::field(parameter)));
    }
    FilmstripKnob* knob(int32_t parameter) const {
        return dynamic_cast<FilmstripKnob*>(view(slot::knob(parameter)));
    }
    ToggleButton* toggle(int32_t tag) const {
        return dynamic_cast<ToggleButton*>(view(slot::toggle(tag)));
    }
    std::string text(int32_t parameter) const {
        char buffer[kDisplayTextSize] = {};
        field(parameter)->getText(buffer);
        return buffer;
    }
    std::vector<float> learnSwitches() const {
        return {toggle(kTagLearnCutoff)->getValue(), toggle(kTagLearnRezo)->getValue(),
                toggle(kTagLearnSmooth)->getValue()};
    }

    // A press with `buttons` held at `where`; a knob's drag then walks through `drag`.
    void press(Point where, int32_t buttons = ButtonLeft, std::vector<PointerStep> drag = {}) {
        window()->script(buttons, std::move(drag));
        window()->queuePress(where);
        editor->idle();
    }
    void click(const View* target) {
        const Rect& r = target->getSize();
        press({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    // Types into a field as a user does: a click opens its box, Return commits.
    void type(int32_t parameter, const std::string& typed) {
        click(field(parameter));
        HeadlessEditBox* box = HeadlessEditBox::current();
        ASSERT_NE(box, nullptr);
        if (typed.empty()) {
            box->press(EditLine::Backspace);
        }
        box->type(typed);
        box->pressReturn();
    }
    void sendController(int32_t controller, int32_t value) {
        EventList events;
        events.controlChange(0, controller, value);
        effect->processEvents(events.get());
    }
    std::vector<HostRequest> automation() const {
        std::vector<HostRequest> found;
        for (const HostRequest& request : requests) {
            if (request.opcode == audioMasterAutomate) {
                found.push_back(request);
            }
        }
        return found;
    }

    ScriptedPlatform platform;
    std::vector<HostRequest> requests;
    std::unique_ptr<FilterEffect> effect;
    FilterEditor* editor = nullptr; // owned by the effect
};
