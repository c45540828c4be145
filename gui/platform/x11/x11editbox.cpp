#include "gui/platform/x11/x11editbox.h"

#include "gui/platform/x11/x11errors.h"
#include "gui/render/fonts.h"

#include <algorithm>
#include <bit>
#include <string_view>

// Last: Xlib's macros would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace {

constexpr uint32_t kBoxBackground = 0xffffff;
constexpr uint32_t kBoxText = 0x000000;
constexpr uint32_t kSelectionBackground = 0x3366cc;
constexpr uint32_t kSelectionText = 0xffffff;
// The caret's width at 1x; the line keeps this much room at its end.
constexpr int32_t kCaretWidth = 1;

// The editing key a key symbol stands for, if any.
bool editingKey(KeySym symbol, EditLine::Key& key) {
    switch (symbol) {
    case XK_BackSpace:
        key = EditLine::Backspace;
        return true;
    case XK_Delete:
    case XK_KP_Delete:
        key = EditLine::Delete;
        return true;
    case XK_Left:
    case XK_KP_Left:
        key = EditLine::Left;
        return true;
    case XK_Right:
    case XK_KP_Right:
        key = EditLine::Right;
        return true;
    case XK_Home:
    case XK_KP_Home:
        key = EditLine::Home;
        return true;
    case XK_End:
    case XK_KP_End:
        key = EditLine::End;
        return true;
    default:
        return false;
    }
}

} // namespace

X11EditBox::X11EditBox(_XDisplay* display, unsigned long parent, const EditBoxLayout& layout,
                       const std::string& text, EditBoxEvents& events, X11EditBox*& slot)
    : display(display),
      pixels(std::max(layout.area.width(), 1), std::max(layout.area.height(), 1), kBoxBackground),
      fontId(layout.fontId >= 0 && layout.fontId < kFontCount ? layout.fontId : 0),
      textHeight(fontTableEntry(fontId).height * layout.scale),
      caretWidth(kCaretWidth * layout.scale), line(text), events(events), slot(slot) {
    const x11errors::Shield shield;
    XWindowAttributes parentAttributes;
    if (XGetWindowAttributes(display, parent, &parentAttributes) == 0) {
        return;
    }
    XSetWindowAttributes attributes{};
    attributes.background_pixel = kBoxBackground;
    attributes.border_pixel = 0;
    attributes.event_mask = ExposureMask | KeyPressMask | FocusChangeMask;
    window = XCreateWindow(display, parent, layout.area.left, layout.area.top,
                           static_cast<unsigned>(pixels.width()),
                           static_cast<unsigned>(pixels.height()), 0, CopyFromParent, InputOutput,
                           CopyFromParent, CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    gc = XCreateGC(display, window, 0, nullptr);
    image = XCreateImage(
        display, parentAttributes.visual, static_cast<unsigned>(parentAttributes.depth), ZPixmap, 0,
        reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(pixels.width()),
        static_cast<unsigned>(pixels.height()), 32, pixels.width() * 4);
    if (image != nullptr) {
        image->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    }
    XMapRaised(display, window);
    XSetInputFocus(display, window, RevertToParent, CurrentTime);
    slot = this;
    paint();
}

X11EditBox::~X11EditBox() {
    if (slot == this) {
        slot = nullptr;
    }
    if (image != nullptr) {
        image->data = nullptr; // the pixels belong to the surface
        XDestroyImage(image);
    }
    if (display == nullptr) {
        return;
    }
    const x11errors::Shield shield;
    if (gc != nullptr) {
        XFreeGC(display, gc);
    }
    if (window != 0) {
        XDestroyWindow(display, window);
        XFlush(display);
    }
}

void X11EditBox::abandon() {
    display = nullptr;
    if (slot == this) {
        slot = nullptr;
    }
}

bool X11EditBox::handle(const XEvent& event) {
    if (display == nullptr || window == 0 || event.xany.window != window) {
        return false;
    }
    const x11errors::Shield shield;
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0) {
            paint();
        }
        break;
    case KeyPress:
        handleKey(event);
        break;
    case FocusOut:
        // Focus moving inside our window, or held by a grab for a moment, is no loss.
        if (event.xfocus.mode != NotifyGrab && event.xfocus.mode != NotifyUngrab &&
            event.xfocus.detail != NotifyInferior && event.xfocus.detail != NotifyPointer) {
            events.editBoxFinished();
        }
        break;
    default:
        break;
    }
    return true;
}

void X11EditBox::handleKey(const XEvent& event) {
    XKeyEvent key = event.xkey;
    char typed[16] = {};
    KeySym symbol = NoSymbol;
    const int count = XLookupString(&key, typed, sizeof typed, &symbol, nullptr);
    if (symbol == XK_Return || symbol == XK_KP_Enter) {
        events.editBoxFinished();
        return;
    }
    EditLine::Key editing{};
    if (editingKey(symbol, editing)) {
        line.press(editing);
    } else if ((key.state & (ControlMask | Mod1Mask)) == 0) {
        for (int i = 0; i < count; ++i) {
            line.type(typed[i]);
        }
    }
    paint();
}

int32_t X11EditBox::lineOrigin(int32_t lineWidth, int32_t caretOffset) {
    const int32_t room = pixels.width() - caretWidth;
    if (lineWidth <= room) {
        scroll = 0;
        return (pixels.width() - lineWidth) / 2;
    }
    // Scrolled: the caret stays in view, and no more of the line's end is left blank than needed.
    scroll = std::clamp(scroll, caretOffset - room, caretOffset);
    scroll = std::clamp(scroll, 0, lineWidth - room);
    return -scroll;
}

void X11EditBox::paint() {
    if (display == nullptr || window == 0 || image == nullptr) {
        return;
    }
    const Rect all{0, 0, pixels.width(), pixels.height()};
    pixels.fillBlock(all, kBoxBackground);
    if (Typeface* face = Typeface::get(fontId, textHeight, true)) {
        const std::string_view text = line.text();
        const int32_t width = face->textWidth(text);
        const int32_t caretOffset = face->textWidth(text.substr(0, line.caret()));
        const int32_t x = lineOrigin(width, caretOffset);
        const int32_t top = (pixels.height() - face->cellHeight()) / 2;
        const Rect cell{x, top, x + width, top + face->cellHeight()};
        uint32_t ink = kBoxText;
        if (line.allSelected()) {
            pixels.fillBlock(cell, kSelectionBackground);
            ink = kSelectionText;
        } else {
            pixels.fillBlock({x + caretOffset, top, x + caretOffset + caretWidth, cell.bottom},
                             kBoxText);
        }
        face->drawText(pixels, text, x, top + face->ascent(), all, ink);
    }
    pixels.takeChanges();
    XPutImage(display, window, gc, image, 0, 0, 0, 0, static_cast<unsigned>(pixels.width()),
              static_cast<unsigned>(pixels.height()));
    XFlush(display);
}
