#include "editor/editor.h"

#include "editor/conversions.h"
#include "editor/panellayout.h"
#include "effect/AGain.h"
#include "gui/bitmap.h"
#include "gui/frame.h"
#include "gui/knob.h"
#include "gui/textfield.h"
#include "gui/togglebutton.h"
#include "gui/valuedisplay.h"
#include "resources/resources.h"

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

bool isFieldTag(int32_t tag) {
    return tag >= kCcCutoff && tag <= kCcSmooth;
}

bool isLearnTag(int32_t tag) {
    return tag >= kTagLearnCutoff && tag <= kTagLearnSmooth;
}

int32_t parameterLearnedBy(int32_t tag) {
    return kCcCutoff + (tag - kTagLearnCutoff);
}

Bitmap* loadIfMissing(Bitmap*& bitmap, int32_t resourceId) {
    if (bitmap == nullptr) {
        bitmap = new Bitmap(resourceId);
    }
    return bitmap;
}

void releaseBitmap(Bitmap*& bitmap) {
    if (bitmap != nullptr) {
        bitmap->release();
        bitmap = nullptr;
    }
}

} // namespace

void FilterEditor::Mailbox::post(int32_t index, float value) {
    values[index].store(value, std::memory_order_relaxed);
    pending.fetch_or(1u << index, std::memory_order_release);
}

FilterEditor::FilterEditor(FilterEffect* effect)
    : EditorBase(effect), backgroundBitmap(new Bitmap(kBitmapBackground)) {
    rect.top = 0;
    rect.left = 0;
    rect.bottom = static_cast<int16_t>(backgroundBitmap->getHeight());
    rect.right = static_cast<int16_t>(backgroundBitmap->getWidth());
}

FilterEditor::~FilterEditor() {
    close();
    releaseBitmap(backgroundBitmap);
}

FilterEffect& FilterEditor::filterEffect() const {
    return *static_cast<FilterEffect*>(effect);
}

int32_t FilterEditor::open(void* parentWindow) {
    EditorBase::open(parentWindow);
    if (!openFrame({0, 0, backgroundBitmap->getWidth(), backgroundBitmap->getHeight()},
                   parentWindow)) {
        return 0;
    }
    frame->setBackground(backgroundBitmap);
    // From here on every change is posted, so none made while the controls read the effect's
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
    loadIfMissing(knobStripA, kBitmapKnobFrequency);
    loadIfMissing(knobStripB, kBitmapKnobResonanceGain);
    loadIfMissing(knobStripC, kBitmapKnobSmoothness);

    ValueDisplay** displays[] = {&frequencyDisplay, &resonanceDisplay, &smoothnessDisplay,
                                 &gainDisplay};
    for (int32_t tag = kFrequency; tag <= kGain; ++tag) {
        auto* display =
            new ValueDisplay(toRect(panel::kColumns[tag - kFrequency].display), nullptr, 0);
        *displays[tag - kFrequency] = display;
        addControl(display);
        display->setValueConverter(tag == kGain ? conversions::gainText
                                                : conversions::scaledIntegerText);
        display->setFontColour(GreenColour);
        display->setFont(tag == kGain ? kSmallFont : kReadoutFont);
    }

    TextField** fields[] = {&ccCutoffField, &ccRezoField, &ccSmoothField};
    for (int32_t tag = kCcCutoff; tag <= kCcSmooth; ++tag) {
        auto* field =
            new TextField(toRect(panel::kFields[tag - kCcCutoff]), this, tag, nullptr, nullptr, 0);
        *fields[tag - kCcCutoff] = field;
        addControl(field);
        field->setFontColour(GreenColour);
        field->setFont(kSmallFont);
        showController(field, effect->getParameter(tag));
    }

    FilmstripKnob** knobs[] = {&frequencyKnob, &resonanceKnob, &smoothnessKnob, &gainKnob};
    Bitmap* strips[] = {knobStripA, knobStripB, knobStripC, knobStripB};
    for (int32_t tag = kFrequency; tag <= kGain; ++tag) {
        const panel::Column& column = panel::kColumns[tag - kFrequency];
        auto* knob = new FilmstripKnob(toRect(column.knob), this, tag, panel::kKnobFrameCount,
                                       panel::kKnobFrameHeight, strips[tag - kFrequency], {0, 0});
        *knobs[tag - kFrequency] = knob;
        knob->setValue(effect->getParameter(tag));
        displayFor(tag)->setValue(effect->getParameter(tag));
        knob->setDefaultValue(column.defaultValue);
        knob->setMin(0.0f);
        knob->setMax(1.0f);
        addControl(knob);
    }

    loadIfMissing(toggleBitmap, kBitmapSwitch);
    ToggleButton** switches[] = {&lowPassSwitch, &highPassSwitch, &learnCutoffSwitch,
                                 &learnRezoSwitch, &learnSmoothSwitch};
    for (int32_t tag = kTagLowPass; tag <= kTagLearnSmooth; ++tag) {
        auto* button =
            new ToggleButton(toRect(panel::kSwitches[tag - kTagLowPass]), this, tag, toggleBitmap);
        *switches[tag - kTagLowPass] = button;
        addControl(button);
        if (tag == kTagHighPass) {
            showFilterType(effect->getParameter(kFilterType));
        }
    }
    showLearnSwitches(kNoLearnTag);
}

void FilterEditor::close() {
    opened.store(false, std::memory_order_relaxed);
    learnTag.store(kNoLearnTag, std::memory_order_relaxed);
    // Deleting the frame commits a field still being edited: the effect hears of it, the closed
    // editor does not.
    EditorBase::close();
    releaseBitmap(toggleBitmap);
    releaseBitmap(knobStripA);
    releaseBitmap(knobStripB);
    releaseBitmap(knobStripC);
    frequencyKnob = resonanceKnob = smoothnessKnob = gainKnob = nullptr;
    frequencyDisplay = resonanceDisplay = smoothnessDisplay = gainDisplay = nullptr;
    ccCutoffField = ccSmoothField = ccRezoField = nullptr;
    lowPassSwitch = highPassSwitch = nullptr;
    learnCutoffSwitch = learnRezoSwitch = learnSmoothSwitch = nullptr;
}

void FilterEditor::idle() {
    applyPendingChanges();
    EditorBase::idle();
}

void FilterEditor::setParameter(int32_t index, float value) {
    if (!opened.load(std::memory_order_acquire)) {
        return;
    }
    if (index == kLearnedController) {
        assignLearnedController(value);
    } else if (index < 0 || index >= kNumParams) {
        return;
    }
    mailbox.post(index, value);
}

// Runs on the thread that delivered the controller, at once, so that the number goes to the
// program current at that moment, as a program change that follows must not receive it.
void FilterEditor::assignLearnedController(float value) {
    const int32_t tag = learnTag.exchange(kNoLearnTag, std::memory_order_acq_rel);
    if (tag != kNoLearnTag) {
        effect->setParameter(parameterLearnedBy(tag), value);
    }
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
        const float current = effect->getParameter(index);
        knobFor(index)->setValue(current);
        displayFor(index)->setValue(current);
    } else if (isFieldTag(index)) {
        showController(fieldFor(index), value);
    } else if (index == kLearnedController) {
        showLearnSwitches(learnTag.load(std::memory_order_relaxed));
    }
}

void FilterEditor::showFilterType(float value) {
    const bool highPass = static_cast<double>(value) >= 0.5;
    lowPassSwitch->setValue(highPass ? 0.0f : 1.0f);
    highPassSwitch->setValue(highPass ? 1.0f : 0.0f);
}

void FilterEditor::showController(TextField* field, float value) {
    char text[kDisplayTextSize] = {};
    conversions::controllerText(value, text);
    field->setValue(value);
    field->setText(text);
}

void FilterEditor::showLearnSwitches(int32_t tag) {
    learnCutoffSwitch->setValue(tag == kTagLearnCutoff ? 1.0f : 0.0f);
    learnRezoSwitch->setValue(tag == kTagLearnRezo ? 1.0f : 0.0f);
    learnSmoothSwitch->setValue(tag == kTagLearnSmooth ? 1.0f : 0.0f);
}

void FilterEditor::valueChanged(DrawContext* context, Control* control) {
    const int32_t tag = control->getTag();
    if (isKnobTag(tag) && control == knobFor(tag)) {
        effect->setParameterAutomated(tag, control->getValue());
        control->update(context);
    } else if (isFieldTag(tag) && control == fieldFor(tag)) {
        char text[kDisplayTextSize] = {};
        fieldFor(tag)->getText(text);
        effect->setParameter(tag, conversions::parseController(text));
    } else if (tag == kTagLowPass || tag == kTagHighPass) {
        const bool highPass = tag == kTagHighPass;
        showFilterType(highPass ? 1.0f : 0.0f);
        lowPassSwitch->update(context);
        highPassSwitch->update(context);
        effect->setParameterAutomated(kFilterType, highPass ? 1.0f : 0.0f);
    } else if (isLearnTag(tag)) {
        startLearning(context, control->getValue() != 0.0f ? tag : kNoLearnTag);
    }
    // The editor's own changes show at once, not an idle later.
    applyPendingChanges();
}

void FilterEditor::startLearning(DrawContext* context, int32_t tag) {
    // Recorded before learning is armed (a release), so the controller that ends the learning
    // finds it.
    learnTag.store(tag, std::memory_order_relaxed);
    filterEffect().armControllerLearning();
    showLearnSwitches(tag);
    learnCutoffSwitch->update(context);
    learnRezoSwitch->update(context);
    learnSmoothSwitch->update(context);
}

FilmstripKnob* FilterEditor::knobFor(int32_t tag) const {
    switch (tag) {
    case kFrequency:
        return frequencyKnob;
    case kResonance:
        return resonanceKnob;
    case kSmoothness:
        return smoothnessKnob;
    case kGain:
        return gainKnob;
    default:
        return nullptr;
    }
}

ValueDisplay* FilterEditor::displayFor(int32_t tag) const {
    switch (tag) {
    case kFrequency:
        return frequencyDisplay;
    case kResonance:
        return resonanceDisplay;
    case kSmoothness:
        return smoothnessDisplay;
    case kGain:
        return gainDisplay;
    default:
        return nullptr;
    }
}

TextField* FilterEditor::fieldFor(int32_t tag) const {
    switch (tag) {
    case kCcCutoff:
        return ccCutoffField;
    case kCcRezo:
        return ccRezoField;
    case kCcSmooth:
        return ccSmoothField;
    default:
        return nullptr;
    }
}
