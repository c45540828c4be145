// One line of text in a box: the value through a value-to-text callback, or printed with "%2.2f".
// The box is a background bitmap, or a fill with an outline or a two-colour edge; the text may
// carry a shadow. Takes no mouse input.
#pragma once

#include "gui/bitmapref.h"
#include "gui/view.h"

#include <cstdint>

// Texts for display go into a buffer of this many bytes, terminator included.
inline constexpr int32_t kDisplayTextSize = 256;

// Writes the text for `value` into `text` (kDisplayTextSize bytes, empty on entry).
using ValueToText = void (*)(float value, char* text);

// The style bits.
enum DisplayStyle : int32_t {
    kShadowText = 4,
    // Two-colour edge: the back colour on the top and left, the frame colour on the bottom and
    // right.
    kRaisedEdge = 128,
    // Two-colour edge: the frame colour on the top and left, the back colour on the bottom and
    // right.
    kSunkenEdge = 256,
};

class ValueDisplay : public Control {
public:
    // No listener, tag 0; holds a reference to the background if one is given.
    ValueDisplay(const Rect& size, Bitmap* background, int32_t style);

    void draw(DrawContext* context) override;

    // These six mark the display for redraw when the setting really changes (colours compare
    // red, green and blue only).
    virtual void setFont(int32_t id);
    virtual void setFontColour(Colour colour);
    virtual void setBackColour(Colour colour);
    virtual void setFrameColour(Colour colour);
    virtual void setShadowColour(Colour colour);
    virtual void setTextAlignment(int32_t alignment);
    // These two only store.
    virtual void setBackgroundOffset(Point point);
    virtual void setValueConverter(ValueToText converter);

    int32_t getStyle() const { return style; }
    int32_t getFont() const { return fontId; }

protected:
    // Writes the text to show into `text` (kDisplayTextSize bytes, empty on entry): the value
    // through the converter, or printed with "%2.2f". A text field shows its stored text instead,
    // in the same box.
    virtual void composeText(char* text) const;

private:
    // Paints the box and `text` over it.
    void drawText(DrawContext* context, const char* text);
    void markChanged();
    template <typename T>
    void change(T& setting, const T& newSetting);

    int32_t textAlignment = AlignCentre;
    int32_t style;
    int32_t fontId = 3;
    Colour fontColour = WhiteColour;
    Colour backColour = BlackColour;
    Colour frameColour = BlackColour;
    Colour shadowColour = RedColour;
    Point backgroundOffset;
    BitmapRef background;
    ValueToText valueConverter = nullptr;
};
