// The toolkit's editor: holds the editor rectangle and the frame, redraws changed controls when
// the host idles it, and keeps the host idling while a control holds the thread in a drag.
#pragma once

#include "frame/effecteditor.h"
#include "gui/frame.h"
#include "gui/geometry.h"

#include <cstdint>
#include <memory>
#include <vector>

class EditorBase : public EffectEditor, public FrameOwner {
public:
    // Whoever makes the editor registers it where the host reaches it (a VST 2 effect's
    // setEditor, an LV2 UI's instance).
    EditorBase();
    // Deletes a frame still open, so that no window or view outlives the editor (and with it
    // the instance). Derived editors close themselves first to release what they hold.
    ~EditorBase() override;

    // The editor's rectangle enlarged by scale().
    int32_t getRect(ERect** rect) override;
    // Closes a frame that is still open, requests an update, keeps the parent window; answers 0.
    // A derived editor calls this first, then builds its frame (see openFrame).
    int32_t open(void* window) override;
    // Deletes the frame, or withdraws it when it is handling a press (the host closed the editor
    // from inside a request the press made) and deletes it when the outermost idle ends. The
    // next getRect or open reads the scale afresh. A derived editor that overrides this calls
    // it.
    void close() override;
    // Handles the window's pending events, runs a pending update, redraws changed controls.
    void idle() override;
    // Redraws the whole frame.
    virtual void draw(ERect* rect);

    // The editor's idle and the host's idle (idleHost), at most once per 50 ms.
    void idleThrottled() final;

    Frame* getFrame() const { return frame; }
    // The enlargement the window shows (PixelScale), asked of the platform by the first getRect
    // or open and kept until close: a host sizes its window by the rectangle it asked for before
    // opening, so the window opened next must have that size.
    int32_t scale();
    // The host's suggestion (0 for none), which the user's setting overrides and which overrides
    // the desktop's; read by the next getRect or open.
    void suggestScale(int32_t factor) { hostScale = factor; }

protected:
    // Lets the host run its own idle while a drag holds the UI thread; nothing by default.
    virtual void idleHost() {}
    // Makes the frame as a child of `parentWindow`; false, with no frame, when no window can be
    // opened (no display).
    bool openFrame(const Rect& size, void* parentWindow);

    // At 1x: what the toolkit draws.
    ERect rect{};
    Frame* frame = nullptr;
    uint32_t lastTicks;

private:
    // 0 until scale() has asked the platform.
    int32_t chosenScale = 0;
    int32_t hostScale = 0;
    // What getRect hands out: rect enlarged.
    ERect shownRect{};
    // Idles on the stack: the host may idle the editor again from inside a drag's host idle.
    int32_t idleNesting = 0;
    // Frames closed while their events were on the stack, deleted when the outermost idle ends.
    std::vector<std::unique_ptr<Frame>> withdrawnFrames;
};
