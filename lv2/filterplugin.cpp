#include "lv2/filterplugin.h"

#include "lv2/features.h"
#include "lv2/uris.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2_util.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace {

// A rate beyond a float's range has no float value; as not a number the core refuses it.
float sampleRateOf(double rate) {
    return std::fabs(rate) <= std::numeric_limits<float>::max()
               ? static_cast<float>(rate)
               : std::numeric_limits<float>::quiet_NaN();
}

// The bytes of the control port's sequence: its atom as far as the host's buffer size allows.
uint32_t readableSize(const LV2_Atom_Sequence& sequence, uint32_t capacity) {
    const uint64_t size = uint64_t{sizeof(LV2_Atom)} + sequence.atom.size;
    return static_cast<uint32_t>(std::min<uint64_t>(size, capacity));
}

} // namespace

FilterPlugin::FilterPlugin(const LV2_Feature* const* features) {
    core.setLearnListener(this);
    LV2_URID_Map* const map = uridMapOf(features);
    if (map == nullptr) {
        return;
    }
    urids = Lv2Urids::map(*map);
    if (urids) {
        const auto* options = static_cast<const LV2_Options_Option*>(
            lv2_features_data(features, LV2_OPTIONS__options));
        notify.emplace(*map, *urids);
        const std::optional<int32_t> size =
            optionValue<int32_t>(options, urids->sequenceSize, urids->intType);
        if (size && *size > 0) {
            sequenceCapacity = static_cast<uint32_t>(*size);
        }
    }
}

FilterPlugin* FilterPlugin::create(double sampleRate, const LV2_Feature* const* features) {
    std::unique_ptr<FilterPlugin> plugin(new (std::nothrow) FilterPlugin(features));
    if (plugin == nullptr || !plugin->core.setSampleRate(sampleRateOf(sampleRate))) {
        return nullptr;
    }
    return plugin.release();
}

void FilterPlugin::connectPort(uint32_t port, void* data) {
    switch (port) {
    case kLv2InLeft:
    case kLv2InRight:
        inputs[port - kLv2InLeft] = static_cast<const float*>(data);
        break;
    case kLv2OutLeft:
    case kLv2OutRight:
        outputs[port - kLv2OutLeft] = static_cast<float*>(data);
        break;
    case kLv2Control:
        control = static_cast<const LV2_Atom_Sequence*>(data);
        break;
    case kLv2Notify:
        notifyPort = static_cast<LV2_Atom_Sequence*>(data);
        break;
    default:
        if (port >= kLv2FirstParameter && port < kLv2PortCount) {
            parameterPorts[port - kLv2FirstParameter] = static_cast<const float*>(data);
        }
        break;
    }
}

void FilterPlugin::activate() {
    core.resume();
    startPending = true;
}

void FilterPlugin::run(uint32_t sampleCount) {
    const auto frames =
        static_cast<int32_t>(std::min<uint32_t>(sampleCount, std::numeric_limits<int32_t>::max()));
    if (notify) {
        notify->begin(notifyPort);
    }
    applyParameterPorts();
    readControl(frames);
    processAudio(frames);
}

// A port not connected holds its default.
float FilterPlugin::portValue(int32_t index) const {
    const float* port = parameterPorts[index];
    return port != nullptr ? *port : portDefault(index);
}

// Every port on the first block after switching on, starting there; else those whose value
// changed.
void FilterPlugin::applyParameterPorts() {
    if (startPending) {
        startAtPorts();
        return;
    }
    for (int32_t index = 0; index < kNumParams; ++index) {
        const float value = portValue(index);
        const auto bits = std::bit_cast<uint32_t>(value);
        if (bits != appliedBits[index]) {
            core.setParameter(index, parameterValueOfPort(index, value));
            appliedBits[index] = bits;
        }
    }
}

void FilterPlugin::startAtPorts() {
    float values[kNumParams];
    for (int32_t index = 0; index < kNumParams; ++index) {
        const float value = portValue(index);
        appliedBits[index] = std::bit_cast<uint32_t>(value);
        values[index] = parameterValueOfPort(index, value);
    }
    core.startAt(values);
    startPending = false;
}

void FilterPlugin::readControl(int32_t frames) {
    core.beginEvents();
    if (urids && control != nullptr) {
        readControlSequence(control, readableSize(*control, sequenceCapacity), frames, *urids,
                            *this);
    }
}

// Without all four audio ports there is nothing to filter: the outputs there are stay silent.
void FilterPlugin::processAudio(int32_t frames) {
    if (inputs[0] != nullptr && inputs[1] != nullptr && outputs[0] != nullptr &&
        outputs[1] != nullptr) {
        core.process<OutputMode::addToSilence>(inputs, outputs, frames, kResonanceFactor);
        return;
    }
    for (float* output : outputs) {
        if (output != nullptr) {
            std::fill_n(output, frames, 0.0f);
        }
    }
}

void FilterPlugin::midiEvent(int32_t frame, uint8_t status, uint8_t data1, uint8_t data2) {
    core.addMidiEvent(frame, status, data1, data2);
}

void FilterPlugin::learnRequested(int32_t, int32_t parameter) {
    if (parameter == kLearnNone) {
        core.stopLearning();
    } else {
        core.learnController(parameter);
    }
}

// Only reported: the editor writes the controller to its port, and the port assigns it. The host
// owns the port, so the plug-in never plays an assignment the port does not hold (an editor
// closed meanwhile, a re-activation that applies every port, a session saved meanwhile).
void FilterPlugin::controllerLearned(int32_t parameter, int32_t controller, int32_t frame) {
    if (notify) {
        notify->learned(frame, parameter, controller);
    }
}

namespace {

FilterPlugin& plugin(LV2_Handle instance) {
    return *static_cast<FilterPlugin*>(instance);
}

LV2_Handle instantiate(const LV2_Descriptor*, double sampleRate, const char*,
                       const LV2_Feature* const* features) {
    return FilterPlugin::create(sampleRate, features);
}

void connectPort(LV2_Handle instance, uint32_t port, void* data) {
    plugin(instance).connectPort(port, data);
}

void activate(LV2_Handle instance) {
    plugin(instance).activate();
}

void run(LV2_Handle instance, uint32_t sampleCount) {
    plugin(instance).run(sampleCount);
}

void deactivate(LV2_Handle) {}

void cleanup(LV2_Handle instance) {
    delete &plugin(instance);
}

const void* extensionData(const char*) {
    return nullptr;
}

constexpr LV2_Descriptor kDescriptor = {kLv2PluginUri, instantiate, connectPort, activate,
                                        run,           deactivate,  cleanup,     extensionData};

} // namespace

const LV2_Descriptor& filterPluginDescriptor() {
    return kDescriptor;
}
