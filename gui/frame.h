// The root of an editor's views and the owner of its window: paints the views, dispatches button
// presses to them, and redraws the changed ones when the editor idles.
#pragma once

#include "gui/bitmapref.h"
#include "gui/platform/platform.h"
#include "gui/view.h"

#include <cstdint>
#include <memory>
#include <vector>

// What a frame asks of the editor that owns it.
class FrameOwner {
public:
    // The editor's and the host's idle, at most once per 50 ms, while a control holds the thread
    // in a drag loop.
    virtual void idleThrottled() = 0;

protected:
    ~FrameOwner() = default;
};

class Frame : public View, public ViewHolder, private WindowEvents {
public:
    // Opens the frame's window as a child of parentWindow, showing the frame `scale` times
    // enlarged (PixelScale); isOpen() tells whether that worked. `owner` may be null.
    Frame(const Rect& size, void* parentWindow, FrameOwner* owner, int32_t scale = 1);
    ~Frame() override;

    // The whole window: background, every view in list order, then the modal view.
    void draw(DrawContext* context) override;
    // A press: the edit view loses focus if the press is outside it; then the view at the point
    // (viewAt) receives it.
    void mouse(DrawContext* context, Point& where) override;
    // Redraws the changed views (only the modal view while one is set).
    void update(DrawContext* context) override;

    // Handles the window's pending events. Ignored while an event is being handled already (a
    // host may idle the editor from inside a drag loop): nested presses would nest drag loops.
    void processEvents();
    bool isHandlingEvents() const { return dispatching; }
    // The editor lets go of the frame while its events are being handled (the host closed the
    // editor from inside a request made during a press): the window leaves the screen, a drag
    // in progress ends, and nothing reaches the owner any more. The editor deletes the frame
    // once the press has unwound.
    void withdraw();
    // Redraws the changed views, once the window has been painted for the first time.
    void idle();
    // Draws `view` at once, or the whole frame when the view is null or not in the list.
    void drawView(View* view) override;

    // The frame owns the view from here; false (and the caller still owns it) if the list
    // cannot grow.
    bool addView(View* view);
    // Gives the view back to the caller; the list keeps its order.
    bool removeView(View* view);
    int32_t getViewCount() const { return static_cast<int32_t>(views.size()); }
    View* getView(int32_t index) const;

    void setBackground(Bitmap* bitmap);
    Bitmap* getBackground() const { return background.get(); }
    // Refuses (false) while another modal view is set; null clears.
    bool setModalView(View* view);
    View* getModalView() const { return modalView; }
    View* getEditView() const override { return editView; }
    void setEditView(View* view) override { editView = view; }

    bool isOpen() const { return windowOpen; }
    // The windowing system's handle of the frame's own window; null once it is gone.
    void* getSystemWindow() const;
    // The frame's window while it is open, null after.
    PlatformWindow* getPlatformWindow() const override;
    // The owner's throttled idle, for controls looping over a drag.
    void runEditorIdle() override;

private:
    // The modal view if the point hits it; without one, the last-added view that the point hits
    // (Rect::hitBy); null when none is hit.
    View* viewAt(Point where) const;
    void windowExposed() override;
    void windowPressed(Point where) override;
    // The notches go to the view at the point, as a press would; nothing loses focus.
    void windowWheeled(Point where, int32_t notches, int32_t modifiers) override;
    void windowDestroyed() override;
    // Runs `paint` with a context on the window's surface, then shows what it changed.
    template <typename Paint>
    void paintWindow(Paint paint);

    FrameOwner* owner;
    void* parentWindow;
    BitmapRef background;
    std::vector<View*> views;
    View* modalView = nullptr;
    View* editView = nullptr;
    bool firstPaintPending = true;
    bool windowOpen = false;
    bool dispatching = false;
    std::unique_ptr<PlatformWindow> window;
};
