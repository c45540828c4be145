#include "gui/valuedisplay.h"

#include "gui/bitmap.h"
#include "gui/drawcontext.h"

#include <cstdio>

ValueDisplay::ValueDisplay(const Rect& size, Bitmap* background, int32_t style)
    : Control(size, nullptr, 0), style(style), background(background) {}

void ValueDisplay::markChanged() {
    oldValue = value + 0.1f;
}

template <typename T>
void ValueDisplay::change(T& setting, const T& newSetting) {
    if (!(setting == newSetting)) {
        markChanged();
    }
    setting = newSetting;
}

void ValueDisplay::setFont(int32_t id) {
    change(fontId, id);
}

void ValueDisplay::setFontColour(Colour colour) {
    change(fontColour, colour);
}

void ValueDisplay::setBackColour(Colour colour) {
    change(backColour, colour);
}

void ValueDisplay::setFrameColour(Colour colour) {
    change(frameColour, colour);
}

void ValueDisplay::setShadowColour(Colour colour) {
    change(shadowColour, colour);
}

void ValueDisplay::setTextAlignment(int32_t alignment) {
    change(textAlignment, alignment);
}

void ValueDisplay::setBackgroundOffset(Point point) {
    backgroundOffset = point;
}

void ValueDisplay::setValueConverter(ValueToText converter) {
    valueConverter = converter;
}

void ValueDisplay::draw(DrawContext* context) {
    char text[kDisplayTextSize] = {};
    composeText(text);
    drawText(context, text);
}

void ValueDisplay::composeText(char* text) const {
    if (valueConverter != nullptr) {
        valueConverter(value, text);
        text[kDisplayTextSize - 1] = '\0';
    } else {
        snprintf(text, kDisplayTextSize, "%2.2f", static_cast<double>(value));
    }
}

void ValueDisplay::drawText(DrawContext* context, const char* text) {
    const bool edged = (style & (kRaisedEdge | kSunkenEdge)) != 0;
    if (Bitmap* picture = background.get()) {
        picture->draw(context, size, backgroundOffset);
    } else {
        context->setFillColour(backColour);
        context->fillRect(size);
        if (!edged) {
            context->setFrameColour(frameColour);
            context->drawRect(size);
        }
    }
    if (edged) {
        const bool raised = (style & kRaisedEdge) != 0;
        // Each border pixel is painted once: top and left in one colour, then the rest.
        context->setFrameColour(raised ? backColour : frameColour);
        context->moveTo({size.left, size.bottom});
        context->lineTo({size.left, size.top});
        context->lineTo({size.right + 1, size.top});
        context->setFrameColour(raised ? frameColour : backColour);
        context->moveTo({size.right, size.top + 1});
        context->lineTo({size.right, size.bottom});
        context->lineTo({size.left, size.bottom});
    }
    context->setFont(fontId, 0);
    if ((style & kShadowText) != 0) {
        context->setFontColour(shadowColour);
        const Rect shifted{size.left + 1, size.top + 1, size.right + 1, size.bottom + 1};
        context->drawString(text, shifted, false, textAlignment);
    }
    context->setFontColour(fontColour);
    context->drawString(text, size, false, textAlignment);
    oldValue = value;
}
