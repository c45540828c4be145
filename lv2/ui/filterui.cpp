#include "lv2/ui/filterui.h"

#include "gui/editorbase.h"
#include "lv2/atombytes.h"
#include "lv2/features.h"
#include "lv2/ports.h"
#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/options/options.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <new>

namespace {

struct HostFeatures {
    void* parent = nullptr;
    LV2_URID_Map* map = nullptr;
    const LV2UI_Resize* resize = nullptr;
    const LV2_Options_Option* options = nullptr;
};

HostFeatures findFeatures(const LV2_Feature* const* features) {
    const auto* resize = static_cast<const LV2UI_Resize*>(featureData(features, LV2_UI__resize));
    return {featureData(features, LV2_UI__parent), uridMapOf(features),
            resize != nullptr && resize->ui_resize != nullptr ? resize : nullptr,
            static_cast<const LV2_Options_Option*>(featureData(features, LV2_OPTIONS__options))};
}

// The enlargement the host's options suggest; 0 for none.
int32_t suggestedScale(const LV2_Options_Option* options, LV2_URID_Map* map) {
    if (map == nullptr) {
        return 0;
    }
    const LV2_URID key = map->map(map->handle, LV2_UI__scaleFactor);
    const LV2_URID floatType = map->map(map->handle, LV2_ATOM__Float);
    for (; options != nullptr && (options->key != 0 || options->value != nullptr); ++options) {
        if (key != 0 && options->key == key && options->type == floatType &&
            options->size == sizeof(float) && options->value != nullptr) {
            float factor = 0.0f;
            std::memcpy(&factor, options->value, sizeof factor);
            return hostScaleOf(factor);
        }
    }
    return 0;
}

// The learn message on `control`: an object with one int property.
struct LearnMessage {
    LV2_Atom_Object object;
    LV2_Atom_Property_Body property;
    int32_t parameter;
    int32_t padding;
};

} // namespace

int32_t hostScaleOf(float factor) {
    if (!(factor > 0.0f) || std::isinf(factor)) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp(std::lround(factor), 1L, 4L));
}

FilterUi::FilterUi(LV2UI_Write_Function write, LV2UI_Controller controller, LV2_URID_Map* map)
    : write(write), controller(controller) {
    for (int32_t index = 0; index < kNumParams; ++index) {
        values[index] = parameterValueOfPort(index, kLv2PortDefaults[index]);
    }
    if (map == nullptr) {
        return;
    }
    const auto urid = [map](const char* uri) { return map->map(map->handle, uri); };
    const Urids mapped{urid(LV2_ATOM__eventTransfer), urid(LV2_ATOM__Object), urid(LV2_ATOM__Blank),
                       urid(LV2_ATOM__Int),           urid(kLv2LearnUri),     urid(kLv2LearnedUri),
                       urid(kLv2ParameterUri),        urid(kLv2ControllerUri)};
    // A map that answers 0 (no number) for any of them leaves learning out, as no map does.
    const LV2_URID all[] = {mapped.eventTransfer, mapped.object,    mapped.blank,
                            mapped.intType,       mapped.learn,     mapped.learned,
                            mapped.parameter,     mapped.controller};
    if (std::find(std::begin(all), std::end(all), LV2_URID{0}) == std::end(all)) {
        urids = mapped;
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
        ui.reset(new FilterUi(write, controller, host.map));
        ui->editor.reset(createFilterEditor(*ui));
        base = dynamic_cast<EditorBase*>(ui->editor.get());
        ui->notices = dynamic_cast<EditorNotices*>(ui->editor.get());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (base == nullptr || ui->notices == nullptr) {
        return nullptr;
    }
    base->suggestScale(suggestedScale(host.options, host.map));
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

void FilterUi::cleanup() {
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
    notices->controllerLearned(*number);
    // The plug-in took the controller whatever the panel shows (its switch may have gone dark
    // since): its port must hold it too.
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

void FilterUi::learnController(int32_t parameter) {
    if (!urids || cleanedUp || !isControllerParameter(parameter)) {
        return;
    }
    LearnMessage message{};
    message.object.atom = {sizeof message - sizeof(LV2_Atom), urids->object};
    message.object.body = {0, urids->learn};
    message.property.key = urids->parameter;
    message.property.value = {sizeof message.parameter, urids->intType};
    message.parameter = parameter;
    write(controller, kLv2Control, sizeof message, urids->eventTransfer, &message);
}
