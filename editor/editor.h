// The filter's own panel: four film-strip knobs with their read-outs, three controller-number
// fields, the low-pass/high-pass pair and three learn switches on a painted background, each
// bound to its parameter in both directions.
#pragma once

#include "editor/editorlink.h"
#include "effect/parameters.h"
#include "gui/bitmapref.h"
#include "gui/editorbase.h"
#include "gui/view.h"
#include "resources/resources.h"

#include <atomic>
#include <cstdint>

class FilmstripKnob;
class TextField;
class ToggleButton;
class ValueDisplay;

// Tags of the switches; knobs and fields carry their parameter index as tag.
enum SwitchTag : int32_t {
    kTagLowPass = 1000,
    kTagHighPass = 1001,
    kTagLearnCutoff = 1002,
    kTagLearnRezo = 1003,
    kTagLearnSmooth = 1004,
};

class FilterEditor : public EditorBase, public ControlListener, public EditorNotices {
public:
    // Loads the background, whose size is the editor's; reaches the plug-in only through `link`.
    explicit FilterEditor(EditorLink& link);
    // Closes an editor the host left open, so that every bitmap is released.
    ~FilterEditor() override;

    // Builds the frame and its sixteen controls from the plug-in's current values; 0 when no
    // window can be opened.
    int32_t open(void* parentWindow) override;
    void close() override;
    // Shows the parameter changes that arrived since the last idle, then idles as the base does.
    void idle() override;
    // Told of every parameter change, on whatever thread made it; never touches a control.
    void parameterChanged(int32_t index, float value) override;
    // Gives the learned controller to the parameter of the lit learn switch, if one is lit, at
    // once on the calling thread, so that it goes to the program current at that moment.
    void controllerLearned(int32_t number) override;

    void valueChanged(DrawContext* context, Control* control) override;
    void beginEdit(Control* control) override;
    void endEdit(Control* control) override;

protected:
    void idleHost() override { link.idleHost(); }

private:
    // The tests count the references the editor holds on each bitmap, which no view hands out.
    friend struct FilterEditorInternals;

    // Parameter changes reach the hook on the audio thread (a learned controller), on a host's
    // automation thread or on the UI thread, while the UI thread may be drawing the very control
    // concerned. So the hook only posts the value here, without a lock or an allocation, and the
    // UI thread moves the controls when it next drains the box. A value posted twice before a
    // drain shows only the later one, which is what the screen must show in the end anyway.
    class Mailbox {
    public:
        // The parameters' slots, and one that says a learn ended.
        static constexpr int32_t kLearnedSlot = kNumParams;
        static constexpr int32_t kSlots = kLearnedSlot + 1;
        void post(int32_t index, float value);
        // The indices posted since the last take, as bits; clears them.
        uint32_t take() { return pending.exchange(0, std::memory_order_acquire); }
        float value(int32_t index) const { return values[index].load(std::memory_order_relaxed); }
        void clear() { pending.store(0, std::memory_order_relaxed); }

    private:
        std::atomic<float> values[kSlots] = {};
        std::atomic<uint32_t> pending{0};
    };

    void buildControls();
    void touchKnob(const Control* control, bool touched);
    void addControl(Control* control);
    void applyPendingChanges();
    void applyChange(int32_t index, float value);
    void showFilterType(float value);
    void showController(TextField* entry, float value);
    // Lights the learn switch of `tag` (none when 0) and darkens the others.
    void showLearnSwitches(int32_t tag);
    // Redraws the switches of firstTag..lastTag at once.
    void updateSwitches(DrawContext* context, int32_t firstTag, int32_t lastTag);
    void startLearning(DrawContext* context, int32_t tag);
    BitmapRef& bitmap(ResourceId id) { return bitmaps[id - kBitmapBackground]; }
    FilmstripKnob*& knob(int32_t tag) { return knobs[tag - kFrequency]; }
    ValueDisplay*& display(int32_t tag) { return displays[tag - kFrequency]; }
    TextField*& field(int32_t tag) { return fields[tag - kCcCutoff]; }
    ToggleButton*& toggle(int32_t tag) { return switches[tag - kTagLowPass]; }

    // The knobs and displays of kFrequency..kGain, the fields of kCcCutoff..kCcSmooth and the
    // switches of kTagLowPass..kTagLearnSmooth, each indexed by its tag less the first tag.
    static constexpr int32_t kColumnCount = kGain - kFrequency + 1;
    static constexpr int32_t kFieldCount = kCcSmooth - kCcCutoff + 1;
    static constexpr int32_t kSwitchCount = kTagLearnSmooth - kTagLowPass + 1;
    // Indexed by resource id less kBitmapBackground.
    static constexpr int32_t kBitmapCount = kBitmapKnobSmoothness - kBitmapBackground + 1;

    // The background lives as long as the editor (its size is the editor's); the others are
    // loaded when the controls are built and released when they go.
    BitmapRef bitmaps[kBitmapCount];
    FilmstripKnob* knobs[kColumnCount] = {};
    ValueDisplay* displays[kColumnCount] = {};
    TextField* fields[kFieldCount] = {};
    ToggleButton* switches[kSwitchCount] = {};

    EditorLink& link;
    Mailbox mailbox;
    // Whether the hook may post: set while the controls exist.
    std::atomic<bool> opened{false};
    // The tag of the lit learn switch, 0 when none. Only the UI thread lights one; whichever
    // thread delivers a learned controller claims it with an exchange, so two notifications
    // racing (a learn and a program change) cannot both assign.
    std::atomic<int32_t> learnTag{0};
};
