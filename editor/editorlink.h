// The editor's only way to the plug-in, and the plug-in's only way back, whatever the format:
// VST 2 implements the link with its host calls on the instance, LV2 with port writes and
// messages through the host.
#pragma once

#include "frame/effecteditor.h"

#include <cstdint>

// What the editor asks of the plug-in, on the UI thread.
class EditorLink {
public:
    static constexpr int32_t kNoParameter = -1;

    // A parameter's value 0..1 as the plug-in holds it now.
    virtual float parameter(int32_t index) = 0;
    // The user moved a knob or a switch: the plug-in takes the value and the host records it as
    // automation.
    virtual void changeParameter(int32_t index, float value) = 0;
    // A controller parameter takes controller `number` (kControllerOff for none), typed or
    // learned.
    virtual void assignController(int32_t index, int32_t number) = 0;
    // The next controller that arrives is learned, for controller parameter `parameter`, or for
    // none (kNoParameter) when the lit learn switch was switched off.
    virtual void learnController(int32_t parameter) = 0;
    // The user took hold of a knob (touched) or let go of it: a host recording automation in a
    // touch mode records while it is held.
    virtual void touchParameter(int32_t index, bool touched) = 0;
    // A drag holds the UI thread: let the host run its own idle.
    virtual void idleHost() = 0;

protected:
    ~EditorLink() = default;
};

// What the plug-in tells the editor, on whatever thread made the change (the audio thread, a
// host's automation thread or the UI thread). Neither call blocks or touches a control.
class EditorNotices {
public:
    virtual void parameterChanged(int32_t index, float value) = 0;
    // The controller that ended learning; a program change reports controller 0.
    virtual void controllerLearned(int32_t number) = 0;

protected:
    ~EditorNotices() = default;
};

// The filter's editor over `link`; it is also the EditorNotices the plug-in tells. Throws
// std::bad_alloc without memory for it.
EffectEditor* createFilterEditor(EditorLink& link);
