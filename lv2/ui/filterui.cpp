#include "lv2/ui/filterui.h"

#include "gui/editorbase.h"
#include "lv2/atombytes.h"
#include "lv2/controlreader.h"
#include "lv2/features.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/atom/util.h>
#include <lv2/core/lv2_util.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <new>

namespace {

struct HostFeatures {
    void* parent;
    LV2_URID_Map* map;
    const LV2UI_Resize* resize;
    const LV2UI_Touch* touch;
    const LV2_Options_Option* options;
};

// A host's function table only where it has the function.
template <typename Table, typename Function>
const Table* offered(const LV2_Feature* const* features, const char* uri, Function Table::*entry) {
    const auto* table = static_cast<const Table*>(lv2_features_data(features, uri));
    return table != nullptr && table->*entry != nullptr ? table : nullptr;
}

HostFeatures findFeatures(const LV2_Feature* const* features) {
    return {
        lv2_features_data(features, LV2_UI__parent), uridMapOf(features),
        offered(features, LV2_UI__resize, &LV2UI_Resize::ui_resize),
        offered(features, LV2_UI__touch, &LV2UI_Touch::touch),
        static_cast<const LV2_Options_Option*>(lv2_features_data(features, LV2_OPTIONS__options))};
}

// The enlargement the host's options suggest; 0 for none.
int32_t suggestedScale(const LV2_Options_Option* options, const std::optional<Lv2Urids>& urids) {
    if (!urids) {
        return 0;
    }
    const std::optional<float> factor =
        optionValue<float>(options, urids->scaleFactor, urids->floatType);
    return factor ? hostScaleOf(*factor) : 0;
}

} // namespace

int32_t hostScaleOf(float factor) {
    if (!(factor > 0.0f) || std::isinf(factor)) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp(std::lround(factor), 1L, 4L));
}

FilterUi::FilterUi(LV2UI_Write_Function write, LV2UI_Controller controller, LV2_URID_Map* map,
                   const LV2UI_Touch* touch)
    : write(write), controller(controller), touch(touch) {
    for (int32_t index = 0; index < kNumParams; ++index) {
        values[index] = kParameters[index].programDefault;
    }
    if (map != nullptr) {
        urids = Lv2Urids::map(*map);
        lv2_atom_forge_init(&forge, map);
    }
}

FilterUi* FilterUi::create(LV2UI_Write_Function write, LV2UI_Controller controller,
                           LV2UI_Widget* widget, const LV2_Feature* const* features) {
    const HostFeatures host = findFeatures(features);
    if (host.parent == nullptr || write == nullptr || widget == nullptr) {
        return nullptr;
    }
    std::unique_ptr<FilterUi> ui;
    EditorBase* base = nullptr;
    try {
        ui.reset(new FilterUi(write, controller, host.map, host.touch));
        ui->editor.reset(createFilterEditor(*ui));
        base = dynamic_cast<EditorBase*>(ui->editor.get());
        ui->notices = dynamic_cast<EditorNotices*>(ui->editor.get());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (base == nullptr || ui->notices == nullptr) {
        return nullptr;
    }
    base->suggestScale(suggestedScale(host.options, ui->urids));
    ERect* rect = nullptr;
    base->getRect(&rect);
    if (base->open(host.parent) == 0) {
        return nullptr;
    }
    *widget = base->getFrame()->getSystemWindow();
    if (host.resize != nullptr) {
        host.resize->ui_resize(host.resize->handle, rect->right - rect->left,
                               rect->bottom - rect->top);
    }
    ui->toolkitEditor = base;
    return ui.release();
}

// Without writes: the host may have let go of what they would reach.
FilterUi::~FilterUi() {
    cleanedUp = true;
    editor.reset();
}

// Learning the editor armed is taken back: no editor is left to write what it learns. Not from
// inside a call of the UI's, where the host is answering a write already.
void FilterUi::cleanup() {
    if (learning && depth == 0) {
        learnController(EditorLink::kNoParameter);
    }
    cleanedUp = true;
    editor->close();
}

int FilterUi::idle() {
    const Call call(*this);
    if (!cleanedUp) {
        editor->idle();
    }
    const Frame* frame = toolkitEditor->getFrame();
    return cleanedUp || frame == nullptr || !frame->isOpen() ? 1 : 0;
}

void FilterUi::portEvent(uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
    const Call call(*this);
    if (cleanedUp || buffer == nullptr) {
        return;
    }
    if (format == 0 && port >= kLv2FirstParameter && port < kLv2PortCount &&
        size == sizeof(float)) {
        const auto index = static_cast<int32_t>(port - kLv2FirstParameter);
        float portValue = 0.0f;
        std::memcpy(&portValue, buffer, sizeof portValue);
        values[index] = parameterValueOfPort(index, portValue);
        notices->parameterChanged(index, values[index]);
    } else if (urids && format == urids->eventTransfer && port == kLv2Notify) {
        learnedReport(size, buffer);
    }
}

void FilterUi::learnedReport(uint32_t size, const void* buffer) {
    const AtomBytes bytes(static_cast<const uint8_t*>(buffer), size);
    if (!bytes.holds(0, sizeof(LV2_Atom))) {
        return;
    }
    const auto atom = bytes.read<LV2_Atom>(0);
    if ((atom.type != urids->object && atom.type != urids->blank) ||
        !bytes.holds(sizeof(LV2_Atom), atom.size)) {
        return;
    }
    const AtomBytes body = bytes.part(sizeof(LV2_Atom), atom.size);
    if (objectType(body) != urids->learned) {
        return;
    }
    const std::optional<int32_t> parameter = intProperty(body, urids->parameter, urids->intType);
    const std::optional<int32_t> number = intProperty(body, urids->controller, urids->intType);
    if (!parameter || !number || !isControllerParameter(*parameter) || *number < 0 ||
        *number > kHighestController) {
        return;
    }
    learning = false;
    notices->controllerLearned(*number);
    // The plug-in only reports what it learned: the port write is what assigns it, whatever the
    // panel shows meanwhile (its switch may have gone dark since).
    if (values[*parameter] != controllerValue(*number)) {
        assignController(*parameter, *number);
    }
}

float FilterUi::parameter(int32_t index) {
    return index >= 0 && index < kNumParams ? values[index] : 0.0f;
}

void FilterUi::changeParameter(int32_t index, float value) {
    if (index >= 0 && index < kNumParams) {
        writeParameterPort(index, portValueOfParameter(index, value));
    }
}

void FilterUi::assignController(int32_t index, int32_t number) {
    if (isControllerParameter(index)) {
        writeParameterPort(index, static_cast<float>(std::clamp(number, 0, kControllerOff)));
    }
}

// The editor hears of its own change as it would from the plug-in.
void FilterUi::writeParameterPort(int32_t index, float portValue) {
    values[index] = parameterValueOfPort(index, portValue);
    if (!cleanedUp) {
        write(controller, kLv2FirstParameter + static_cast<uint32_t>(index), sizeof portValue, 0,
              &portValue);
    }
    notices->parameterChanged(index, values[index]);
}

static_assert(EditorLink::kNoParameter == kLearnNone);

// Arms learning for a controller parameter, or takes it back (kNoParameter).
void FilterUi::learnController(int32_t parameter) {
    const bool arming = isControllerParameter(parameter);
    if (!urids || cleanedUp || (!arming && parameter != EditorLink::kNoParameter)) {
        return;
    }
    learning = arming;
    // An object with one int property: 48 bytes.
    alignas(LV2_Atom) uint8_t message[64];
    lv2_atom_forge_set_buffer(&forge, message, sizeof message);
    LV2_Atom_Forge_Frame frame;
    const LV2_Atom_Forge_Ref object = lv2_atom_forge_object(&forge, &frame, 0, urids->learn);
    if (object == 0) {
        return;
    }
    lv2_atom_forge_key(&forge, urids->parameter);
    lv2_atom_forge_int(&forge, parameter);
    lv2_atom_forge_pop(&forge, &frame);
    const auto* atom = lv2_atom_forge_deref(&forge, object);
    write(controller, kLv2Control, lv2_atom_total_size(atom), urids->eventTransfer, atom);
}

void FilterUi::touchParameter(int32_t index, bool touched) {
    if (touch != nullptr && !cleanedUp && index >= 0 && index < kNumParams) {
        touch->touch(touch->handle, kLv2FirstParameter + static_cast<uint32_t>(index), touched);
    }
}
