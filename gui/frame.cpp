#include "gui/frame.h"

#include "gui/bitmap.h"
#include "gui/drawcontext.h"

#include <algorithm>
#include <new>

namespace {
// The view list grows by this many entries at a time.
constexpr size_t kViewListStep = 10;
} // namespace

Frame::Frame(const Rect& size, void* parentWindow, FrameOwner* owner, int32_t scale)
    : View(size), owner(owner), parentWindow(parentWindow),
      window(
          currentPlatform().openWindow(parentWindow, size.width(), size.height(), scale, *this)) {
    windowOpen = window != nullptr;
}

Frame::~Frame() {
    if (editView != nullptr) {
        View* editing = editView;
        editView = nullptr;
        editing->loseFocus();
    }
    for (View* view : views) {
        delete view;
    }
    views.clear();
    background.reset();
}

void Frame::draw(DrawContext* context) {
    firstPaintPending = false;
    if (background) {
        background->draw(context, {0, 0, background->getWidth(), background->getHeight()}, {0, 0});
    }
    for (View* view : views) {
        view->draw(context);
    }
    if (modalView != nullptr) {
        modalView->draw(context);
    }
}

void Frame::mouse(DrawContext* context, Point& where) {
    if (editView != nullptr && !editView->getSize().hitBy(where)) {
        View* editing = editView;
        editView = nullptr;
        editing->loseFocus();
    }
    if (View* view = viewAt(where)) {
        view->mouse(context, where);
    }
}

View* Frame::viewAt(Point where) const {
    if (modalView != nullptr) {
        return modalView->getSize().hitBy(where) ? modalView : nullptr;
    }
    for (auto view = views.rbegin(); view != views.rend(); ++view) {
        if ((*view)->getSize().hitBy(where)) {
            return *view;
        }
    }
    return nullptr;
}

void Frame::update(DrawContext* context) {
    if (!windowOpen) {
        return;
    }
    if (modalView != nullptr) {
        modalView->update(context);
        return;
    }
    for (View* view : views) {
        view->update(context);
    }
}

template <typename Paint>
void Frame::paintWindow(Paint paint) {
    if (!windowOpen) {
        return;
    }
    {
        DrawContext context(this, &window->surface(), window.get());
        paint(context);
    }
    if (windowOpen) {
        window->present();
    }
}

void Frame::processEvents() {
    if (!windowOpen || dispatching) {
        return;
    }
    dispatching = true;
    window->processEvents();
    dispatching = false;
}

void Frame::withdraw() {
    owner = nullptr;
    windowOpen = false;
    if (window != nullptr) {
        window->withdraw();
    }
}

void Frame::idle() {
    if (firstPaintPending) {
        return;
    }
    paintWindow([this](DrawContext& context) { update(&context); });
}

void Frame::drawView(View* view) {
    const bool listed =
        view != nullptr && std::find(views.begin(), views.end(), view) != views.end();
    paintWindow([this, view, listed](DrawContext& context) {
        if (listed) {
            view->draw(&context);
        } else {
            draw(&context);
        }
    });
}

bool Frame::addView(View* view) {
    if (view == nullptr) {
        return false;
    }
    if (views.size() == views.capacity()) {
        try {
            views.reserve(views.capacity() + kViewListStep);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    views.push_back(view);
    view->setHolder(this);
    return true;
}

bool Frame::removeView(View* view) {
    auto found = std::find(views.begin(), views.end(), view);
    if (found != views.end()) {
        views.erase(found);
    }
    return true;
}

View* Frame::getView(int32_t index) const {
    return index >= 0 && index < getViewCount() ? views[static_cast<size_t>(index)] : nullptr;
}

void Frame::setBackground(Bitmap* bitmap) {
    background = BitmapRef(bitmap);
}

bool Frame::setModalView(View* view) {
    if (view != nullptr && modalView != nullptr) {
        return false;
    }
    modalView = view;
    return true;
}

void* Frame::getSystemWindow() const {
    return windowOpen ? window->nativeHandle() : nullptr;
}

PlatformWindow* Frame::getPlatformWindow() const {
    return windowOpen ? window.get() : nullptr;
}

void Frame::runEditorIdle() {
    if (owner != nullptr) {
        owner->idleThrottled();
    }
}

void Frame::windowExposed() {
    paintWindow([this](DrawContext& context) { draw(&context); });
}

void Frame::windowPressed(Point where) {
    paintWindow([this, where](DrawContext& context) {
        Point at = where;
        mouse(&context, at);
    });
}

void Frame::windowWheeled(Point where, int32_t notches, int32_t modifiers) {
    paintWindow([this, where, notches, modifiers](DrawContext& context) {
        if (View* view = viewAt(where)) {
            view->wheel(&context, notches, modifiers);
        }
    });
}

void Frame::windowDestroyed() {
    windowOpen = false;
    parentWindow = nullptr;
}
