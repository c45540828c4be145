// What the effect and its dispatcher know of an editor: the one part of the VST 2 frame an editor
// sees, so that the same editor can be driven by another format's UI with no effect behind it.
#pragma once

#include "frame/aeffect.h"

#include <cstdint>

class AudioEffect;

class EffectEditor {
public:
    // `effect` may be null: an editor another format drives has no effect behind it.
    explicit EffectEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~EffectEditor() = default;
    EffectEditor(const EffectEditor&) = delete;
    EffectEditor& operator=(const EffectEditor&) = delete;

    // UI thread: stores the editor's size at *rect; 1 when it did, 0 (and null) when it has none.
    virtual int32_t getRect(ERect** rect);
    // UI thread: embeds the editor in the host's window; 1 when it is open, 0 when it cannot be.
    virtual int32_t open(void* window);
    // UI thread: removes the editor from the host's window; closing a closed editor does nothing.
    virtual void close() {}
    // UI thread, from the host's idle: redraws what changed (runs update() once posted).
    virtual void idle();
    // UI thread, from idle: redraws after postUpdate.
    virtual void update() {}
    // UI thread: asks the next idle to update.
    virtual void postUpdate() { updateFlag = 1; }

    AudioEffect* getEffect() const { return effect; }
    void* getSystemWindow() const { return systemWindow; }

protected:
    AudioEffect* effect;
    void* systemWindow = nullptr;
    int32_t updateFlag = 0;
};
