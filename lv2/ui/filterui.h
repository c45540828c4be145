// The filter's editor as an LV2 UI: the same panel as a child of the host's window, with no
// access to the plug-in instance. Values arrive as port events and go into the editor's mailbox;
// the editor's changes go out as port writes through the host, learning as a message on
// `control`, and a learned controller reported on `notify` is written to its port, so that the
// host records it.
#pragma once

#include "editor/editorlink.h"
#include "effect/parameters.h"
#include "lv2/urids.h"

#include <lv2/atom/forge.h>
#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>
#include <optional>

class EditorBase;
class EffectEditor;

// The host's ui:scaleFactor as a whole enlargement 1..4; 0 (none) for a factor that is not a
// positive number.
int32_t hostScaleOf(float factor);

class FilterUi final : private EditorLink {
public:
    // Null when the host gives no parent window, the window cannot be opened (no display, a
    // parent that does not exist) or memory is short. Otherwise `widget` is the UI's X window.
    static FilterUi* create(LV2UI_Write_Function write, LV2UI_Controller controller,
                            LV2UI_Widget* widget, const LV2_Feature* const* features);
    ~FilterUi();
    FilterUi(const FilterUi&) = delete;
    FilterUi& operator=(const FilterUi&) = delete;

    void portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer);
    // Handles the window's events and redraws what changed; 1 once the window is gone.
    int idle();
    // The host is done with the UI. From inside a call of the UI's (a write the host answers by
    // closing it) the window goes at once and the object once that call has returned: then
    // releasable() holds.
    void cleanup();
    bool releasable() const { return cleanedUp && depth == 0; }

private:
    // Counts the UI's calls on the stack.
    class Call {
    public:
        explicit Call(FilterUi& ui) : ui(ui) { ++ui.depth; }
        ~Call() { --ui.depth; }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;

    private:
        FilterUi& ui;
    };

    FilterUi(LV2UI_Write_Function write, LV2UI_Controller controller, LV2_URID_Map* map,
             const LV2UI_Touch* touch);

    float parameter(int32_t index) override;
    void changeParameter(int32_t index, float value) override;
    void assignController(int32_t index, int32_t number) override;
    void learnController(int32_t parameter) override;
    void touchParameter(int32_t index, bool touched) override;
    void idleHost() override {}

    void writeParameterPort(int32_t index, float portValue);
    void learnedReport(uint32_t size, const void* buffer);

    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    // With the host's URID map only: learning, and the forge its message is built with.
    std::optional<Lv2Urids> urids;
    LV2_Atom_Forge forge{};
    // Null when the host records no gestures.
    const LV2UI_Touch* touch;
    // What the plug-in holds, as its ports tell.
    float values[kNumParams];
    std::unique_ptr<EffectEditor> editor;
    // The editor as the toolkit's editor and as the plug-in's notices reach it.
    EditorBase* toolkitEditor = nullptr;
    EditorNotices* notices = nullptr;
    int32_t depth = 0;
    bool cleanedUp = false;
    // A learn switch armed learning in the plug-in, and no report has ended it yet.
    bool learning = false;
};
