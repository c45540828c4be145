#include "editor/editor.h"

#include "editor/conversions.h"
#include "editor/panellayout.h"
#include "gui/bitmap.h"
#include "gui/frame.h"
#include "gui/knob.h"
#include "gui/textfield.h"
#include "gui/togglebutton.h"
#include "gui/valuedisplay.h"
#include "resources/resources.h"

#include <algorithm>
#include <new>

namespace {

constexpr int32_t kReadoutFont = 4;
constexpr int32_t kSmallFont = 5;
constexpr int32_t kNoLearnTag = 0;

Rect toRect(const panel::PixelRect& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

bool isKnobTag(int32_t tag) {
    return tag >= kFrequency && tag <= kGain;
}

bool isLearnTag(int32_t tag) {
    return tag >= kTagLearnCutoff && tag <= kTagLearnSmooth;
}

int32_t parameterLearnedBy(int32_t tag) {
    return kCcCutoff + (tag - kTagLearnCutoff);
}

Bitmap* loadIfMissing(BitmapRef& bitmap, int32_t resourceId) {
    if (!bitmap) {
        bitmap = BitmapRef::adopt(new Bitmap(resourceId));
    }
    return bitmap.get();
}

// The layout has one place for each control the tags name.
static_assert(panel::kColumns.size() == kGain - kFrequency + 1);
static_assert(panel::kFields.size() == kCcSmooth - kCcCutoff + 1);
static_assert(panel::kSwitches.size() == kTagLearnSmooth - kTagLowPass + 1);

const panel::Column& columnOf(int32_t tag) {
    return panel::kColumns[tag - kFrequency];
}

// The film strip's resource: the strips are numbered in the layout's order.
ResourceId stripBitmap(panel::KnobStrip strip) {
    return static_cast<ResourceId>(kBitmapKnobFrequency + static_cast<int32_t>(strip));
}
static_assert(kBitmapKnobResonanceGain - kBitmapKnobFrequency ==
              static_cast<int32_t>(panel::KnobStrip::ResonanceGain));
static_assert(kBitmapKnobSmoothness - kBitmapKnobFrequency ==
              static_cast<int32_t>(panel::KnobStrip::Smoothness));

} // namespace

void FilterEditor::Mailbox::post(int32_t index, float value) {
    values[index].store(value, std::memory_order_relaxed);
    pending.fetch_or(1u << index, std::memory_order_release);
}

EffectEditor* createFilterEditor(EditorLink& link) {
    return new FilterEditor(link);
}

FilterEditor::FilterEditor(EditorLink& link)
    : bitmaps{BitmapRef::adopt(new Bitmap(kBitmapBackground))}, link(link) {
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<int16_t>(bitmap(kBitmapBackground)->getHeight());
    rect.right = static_cast<int16_t>(bitmap(kBitmapBackground)->getWidth());
}

FilterEditor::~FilterEditor() {
    close();
}

int32_t FilterEditor::open(void* parentWindow) {
    EditorBase::open(parentWindow);
    if (!openFrame(
            {0, 0, bitmap(kBitmapBackground)->getWidth(), bitmap(kBitmapBackground)->getHeight()},
            parentWindow)) {
        return 0;
    }
    frame->setBackground(bitmap(kBitmapBackground).get());
    // From here on every change is posted, so none made while the controls read the plug-in's
    // values is lost.
    mailbox.clear();
    learnTag.store(kNoLearnTag, std::memory_order_relaxed);
    opened.store(true, std::memory_order_release);
    try {
        buildControls();
    } catch (const std::bad_alloc&) {
        close();
        return 0;
    }
    return 1;
}

// Each control joins the frame as soon as it is made, so that the frame owns it if a later
// allocation fails; the frame's order is that of the calls.
void FilterEditor::addControl(Control* control) {
    if (!frame->addView(control)) {
        delete control;
        throw std::bad_alloc();
    }
}

void FilterEditor::buildControls() {
    for (int32_t tag = kFrequency; tag <= kGain; ++tag) {
        auto* readout = new ValueDisplay(toRect(columnOf(tag).display), nullptr, 0);
        display(tag) = readout;
        addControl(readout);
        readout->setValueConverter(tag == kGain ? conversions::gainText
                                                : conversions::scaledIntegerText);
        readout->setFontColour(GreenColour);
        readout->setFont(tag == kGain ? kSmallFont : kReadoutFont);
    }

    for (int32_t tag = kCcCutoff; tag <= kCcSmooth; ++tag) {
        auto* entry =
            new TextField(toRect(panel::kFields[tag - kCcCutoff]), this, tag, nullptr, nullptr, 0);
        field(tag) = entry;
        addControl(entry);
        entry->setFontColour(GreenColour);
        entry->setFont(kSmallFont);
        showController(entry, link.parameter(tag));
    }

    for (int32_t tag = kFrequency; tag <= kGain; ++tag) {
        const panel::Column& column = columnOf(tag);
        const ResourceId stripId = stripBitmap(column.strip);
        auto* dial = new FilmstripKnob(toRect(column.knob), this, tag, panel::kKnobFrameCount,
                                       panel::kKnobFrameHeight,
                                       loadIfMissing(bitmap(stripId), stripId), {0, 0});
        knob(tag) = dial;
        dial->setValue(link.parameter(tag));
        display(tag)->setValue(link.parameter(tag));
        dial->setDefaultValue(column.defaultValue);
        dial->setMin(0.0f);
        dial->setMax(1.0f);
        // A wheel notch moves the read-out by one.
        dial->setWheelSteps(kReadoutSteps);
        addControl(dial);
    }

    Bitmap* switchBitmap = loadIfMissing(bitmap(kBitmapSwitch), kBitmapSwitch);
    for (int32_t tag = kTagLowPass; tag <= kTagLearnSmooth; ++tag) {
        auto* button =
            new ToggleButton(toRect(panel::kSwitches[tag - kTagLowPass]), this, tag, switchBitmap);
        toggle(tag) = button;
        addControl(button);
    }
    showFilterType(link.parameter(kFilterType));
    showLearnSwitches(kNoLearnTag);
}

void FilterEditor::close() {
    opened.store(false, std::memory_order_relaxed);
    learnTag.store(kNoLearnTag, std::memory_order_relaxed);
    // Deleting the frame commits a field still being edited: the plug-in hears of it, the closed
    // editor does not.
    EditorBase::close();
    for (int32_t id = kBitmapSwitch; id <= kBitmapKnobSmoothness; ++id) {
        bitmap(static_cast<ResourceId>(id)).reset();
    }
    std::ranges::fill(knobs, nullptr);
    std::ranges::fill(displays, nullptr);
    std::ranges::fill(fields, nullptr);
    std::ranges::fill(switches, nullptr);
}

void FilterEditor::idle() {
    applyPendingChanges();
    EditorBase::idle();
}

void FilterEditor::parameterChanged(int32_t index, float value) {
    if (opened.load(std::memory_order_acquire) && index >= 0 && index < kNumParams) {
        mailbox.post(index, value);
    }
}

void FilterEditor::controllerLearned(int32_t number) {
    if (!opened.load(std::memory_order_acquire)) {
        return;
    }
    const int32_t tag = learnTag.exchange(kNoLearnTag, std::memory_order_acq_rel);
    if (tag != kNoLearnTag) {
        link.assignController(parameterLearnedBy(tag), number);
    }
    mailbox.post(Mailbox::kLearnedSlot, 0.0f);
}

void FilterEditor::applyPendingChanges() {
    if (frame == nullptr || !opened.load(std::memory_order_relaxed)) {
        return;
    }
    const uint32_t indices = mailbox.take();
    if (indices == 0) {
        return;
    }
    for (int32_t index = 0; index < Mailbox::kSlots; ++index) {
        if ((indices & (1u << index)) != 0) {
            applyChange(index, mailbox.value(index));
        }
    }
    postUpdate();
}

void FilterEditor::applyChange(int32_t index, float value) {
    if (index == kFilterType) {
        showFilterType(value);
    } else if (isKnobTag(index)) {
        const float current = link.parameter(index);
        knob(index)->setValue(current);
        display(index)->setValue(current);
    } else if (isControllerParameter(index)) {
        showController(field(index), value);
    } else if (index == Mailbox::kLearnedSlot) {
        showLearnSwitches(learnTag.load(std::memory_order_relaxed));
    }
}

void FilterEditor::showFilterType(float value) {
    const bool highPass = static_cast<double>(value) >= 0.5;
    toggle(kTagLowPass)->setValue(highPass ? 0.0f : 1.0f);
    toggle(kTagHighPass)->setValue(highPass ? 1.0f : 0.0f);
}

void FilterEditor::showController(TextField* entry, float value) {
    char text[kDisplayTextSize] = {};
    conversions::controllerText(value, text);
    entry->setValue(value);
    entry->setText(text);
}

void FilterEditor::showLearnSwitches(int32_t tag) {
    for (int32_t learn = kTagLearnCutoff; learn <= kTagLearnSmooth; ++learn) {
        toggle(learn)->setValue(learn == tag ? 1.0f : 0.0f);
    }
}

// The editor's own switch changes show at once.
void FilterEditor::updateSwitches(DrawContext* context, int32_t firstTag, int32_t lastTag) {
    for (int32_t tag = firstTag; tag <= lastTag; ++tag) {
        toggle(tag)->update(context);
    }
}

void FilterEditor::valueChanged(DrawContext* context, Control* control) {
    const int32_t tag = control->getTag();
    if (isKnobTag(tag) && control == knob(tag)) {
        link.changeParameter(tag, control->getValue());
        control->update(context);
    } else if (isControllerParameter(tag) && control == field(tag)) {
        char text[kDisplayTextSize] = {};
        field(tag)->getText(text);
        link.assignController(tag, controllerNumber(conversions::parseController(text)));
    } else if (tag == kTagLowPass || tag == kTagHighPass) {
        const bool highPass = tag == kTagHighPass;
        showFilterType(highPass ? 1.0f : 0.0f);
        updateSwitches(context, kTagLowPass, kTagHighPass);
        link.changeParameter(kFilterType, highPass ? 1.0f : 0.0f);
    } else if (isLearnTag(tag)) {
        startLearning(context, control->getValue() != 0.0f ? tag : kNoLearnTag);
    }
    // The editor's own changes show at once, not an idle later.
    applyPendingChanges();
}

void FilterEditor::beginEdit(Control* control) {
    touchKnob(control, true);
}

void FilterEditor::endEdit(Control* control) {
    touchKnob(control, false);
}

// Only the knobs make gestures of more than one change.
void FilterEditor::touchKnob(const Control* control, bool touched) {
    if (isKnobTag(control->getTag())) {
        link.touchParameter(control->getTag(), touched);
    }
}

void FilterEditor::startLearning(DrawContext* context, int32_t tag) {
    // Recorded before learning is armed (a release), so the controller that ends the learning
    // finds it.
    learnTag.store(tag, std::memory_order_relaxed);
    link.learnController(tag != kNoLearnTag ? parameterLearnedBy(tag) : EditorLink::kNoParameter);
    showLearnSwitches(tag);
    updateSwitches(context, kTagLearnCutoff, kTagLearnSmooth);
}
