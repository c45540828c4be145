#include "tools/plughost/formats/lv2plugin.h"

#include "tools/common/errors.h"
#include "tools/plughost/commands/text.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/parameters/parameters.h>
#include <lv2/presets/presets.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <map>

namespace plughost {
namespace {

// More plug-ins than any library holds: a library that never ends its list is not read forever.
constexpr uint32_t kMostDescriptors = 65536;

// Room for thousands of MIDI events a block; an input grows when a block needs more.
constexpr size_t kSequenceCapacity = size_t{64} * 1024;

// What plughost gives or honours; a plug-in that needs anything else is refused.
constexpr std::array kHostFeatures = {
    LV2_URID__map,           LV2_URID__unmap,
    LV2_OPTIONS__options,    LV2_BUF_SIZE__boundedBlockLength,
    LV2_CORE__inPlaceBroken, LV2_CORE__hardRTCapable,
    LV2_CORE__isLive,
};

// The standard units' symbols, for when their vocabulary is not loaded.
const std::map<std::string, std::string> kUnitSymbols = {
    {"bar", "bars"},     {"beat", "beats"}, {"bpm", "BPM"}, {"cent", "ct"},
    {"cm", "cm"},        {"coef", ""},      {"db", "dB"},   {"degree", "deg"},
    {"frame", "frames"}, {"hz", "Hz"},      {"inch", "in"}, {"khz", "kHz"},
    {"km", "km"},        {"m", "m"},        {"mhz", "MHz"}, {"midiNote", "note"},
    {"mile", "mi"},      {"min", "min"},    {"mm", "mm"},   {"ms", "ms"},
    {"oct", "oct"},      {"pc", "%"},       {"s", "s"},     {"semitone12TET", "semi"},
};

// "urid:map" for LV2's own vocabularies, the URI as it is otherwise.
std::string shortUri(std::string uri) {
    static const std::string prefix = "http://lv2plug.in/ns/";
    if (!uri.starts_with(prefix)) {
        return uri;
    }
    uri = uri.substr(prefix.size());
    for (const std::string folder : {"ext/", "extensions/"}) {
        if (uri.starts_with(folder)) {
            uri = uri.substr(folder.size());
        }
    }
    std::replace(uri.begin(), uri.end(), '#', ':');
    return uri.starts_with("lv2core:") ? "lv2" + uri.substr(std::strlen("lv2core")) : uri;
}

std::vector<std::string> shortUrisOf(const LilvNodes* nodes) {
    std::vector<std::string> uris;
    LILV_FOREACH(nodes, i, nodes) {
        uris.push_back(shortUri(textOf(lilv_nodes_get(nodes, i))));
    }
    std::sort(uris.begin(), uris.end()); // lilv keeps no order
    return uris;
}

// For the lists lilv hands over to be freed.
std::vector<std::string> shortUris(LilvNodes* nodes) {
    std::vector<std::string> uris = shortUrisOf(nodes);
    lilv_nodes_free(nodes);
    return uris;
}

std::string listOrNone(const std::vector<std::string>& items) {
    return items.empty() ? "none" : joined(items);
}

void restorePortValue(const char* symbol, void* plugin, const void* value, uint32_t,
                      uint32_t type) {
    static_cast<Lv2Plugin*>(plugin)->setPortValue(symbol, value, type);
}

} // namespace

Lv2Plugin::Lv2Plugin(const std::string& argument, const LoadSettings& settings)
    : atomTypes{uridMap.map(LV2_ATOM__Sequence), uridMap.map(LV2_ATOM__Chunk),
                uridMap.map(LV2_MIDI__MidiEvent)},
      midiBuffer(atomTypes, kSequenceCapacity), emptyBuffer(atomTypes, sizeof(LV2_Atom_Sequence)) {
    CapturedStderr diagnostics;
    plugin = world.find(argument);
    // What lilv said about other bundles on the way is no reason for what follows.
    diagnostics.forget();
    try {
        if (!lilv_plugin_verify(plugin)) {
            throw HostError("the LV2 plug-in " + uri() + " is described incompletely");
        }
        checkPortIndices();
        readPorts();
        readPresets();
        requireFeatures();
        instantiate(settings, diagnostics);
    } catch (const HostError& error) {
        // lilv's own line, where it said why and the message does not say it already.
        const std::string reason = diagnostics.lastLine();
        const std::string message = error.what();
        throw HostError(reason.empty() || message.find(reason) != std::string::npos
                            ? message
                            : message + " (" + reason + ")");
    }
}

Lv2Plugin::~Lv2Plugin() {
    if (active) {
        lilv_instance_deactivate(instance);
    }
    lilv_instance_free(instance);
}

std::string Lv2Plugin::uri() const {
    return textOf(lilv_plugin_get_uri(plugin));
}

// lilv sizes its port array by the highest index it reads, and drops every port when one index
// is missing: the indices are checked in the description itself before lilv reads them.
void Lv2Plugin::checkPortIndices() const {
    const Node pluginUri = world.uri(uri().c_str());
    LilvNodes* ports = lilv_world_find_nodes(world.get(), pluginUri.get(),
                                             world.uri(LV2_CORE__port).get(), nullptr);
    std::vector<std::optional<uint64_t>> indices;
    LILV_FOREACH(nodes, i, ports) {
        indices.push_back(portIndexIn(lilv_nodes_get(ports, i)));
    }
    lilv_nodes_free(ports);
    std::vector<bool> taken(indices.size(), false);
    for (const std::optional<uint64_t>& index : indices) {
        if (!index || *index >= indices.size()) {
            throw HostError(uri() + " describes a port " +
                            (index ? "with index " + std::to_string(*index) : "without an index") +
                            ": its " + std::to_string(indices.size()) +
                            " ports must be numbered 0 to " + std::to_string(indices.size() - 1));
        }
        if (taken[*index]) {
            throw HostError(uri() + " describes two ports with index " + std::to_string(*index));
        }
        taken[*index] = true;
    }
}

// A port's lv2:index when it has exactly one, a whole number of 0 or more.
std::optional<uint64_t> Lv2Plugin::portIndexIn(const LilvNode* port) const {
    LilvNodes* given =
        lilv_world_find_nodes(world.get(), port, world.uri(LV2_CORE__index).get(), nullptr);
    std::optional<uint64_t> index;
    const LilvNode* only = lilv_nodes_size(given) == 1 ? lilv_nodes_get_first(given) : nullptr;
    const std::string text = textOf(only);
    uint64_t value = 0;
    if (only != nullptr && lilv_node_is_int(only) &&
        std::from_chars(text.data(), text.data() + text.size(), value).ptr ==
            text.data() + text.size()) {
        index = value;
    }
    lilv_nodes_free(given);
    return index;
}

void Lv2Plugin::readPorts() {
    const uint32_t count = lilv_plugin_get_num_ports(plugin);
    if (count == 0) {
        // What lilv said when it dropped them follows in the message.
        throw HostError("lilv read no port of " + uri());
    }
    std::vector<float> lowest(count);
    std::vector<float> highest(count);
    std::vector<float> defaults(count);
    lilv_plugin_get_port_ranges_float(plugin, lowest.data(), highest.data(), defaults.data());
    portValues.assign(count, 0.0f);
    const Node audio = world.uri(LV2_CORE__AudioPort);
    const Node control = world.uri(LV2_CORE__ControlPort);
    const Node atom = world.uri(LV2_ATOM__AtomPort);
    const Node input = world.uri(LV2_CORE__InputPort);
    const Node optional = world.uri(LV2_CORE__connectionOptional);
    const Node midiEvent = world.uri(LV2_MIDI__MidiEvent);
    for (uint32_t index = 0; index < count; ++index) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
        const bool isInput = lilv_port_is_a(plugin, port, input.get());
        if (lilv_port_is_a(plugin, port, audio.get())) {
            (isInput ? audioInputs : audioOutputs).push_back(index);
        } else if (lilv_port_is_a(plugin, port, control.get())) {
            if (isInput) {
                readControlPort(port, index, lowest[index], highest[index], defaults[index]);
            } else {
                controlOutputs.push_back(index);
            }
        } else if (lilv_port_is_a(plugin, port, atom.get()) && !isInput) {
            atomOutputs.emplace_back(index, AtomSequenceBuffer(atomTypes, kSequenceCapacity));
        } else if (lilv_port_is_a(plugin, port, atom.get())) {
            const bool carriesMidi =
                !midiInput && lilv_port_supports_event(plugin, port, midiEvent.get());
            (carriesMidi ? midiInput.emplace() : plainAtomInputs.emplace_back()) = index;
        } else if (lilv_port_has_property(plugin, port, optional.get())) {
            absentPorts.push_back(index);
        } else {
            throw HostError(uri() +
                            " has a port of a kind plughost does not host: " + symbolOf(index));
        }
    }
}

void Lv2Plugin::readControlPort(const LilvPort* port, uint32_t index, float lowest, float highest,
                                float fallback) {
    const Node name(lilv_port_get_name(plugin, port));
    ParameterInfo info{textOf(name.get()),
                       textOf(lilv_port_get_symbol(plugin, port)),
                       unitOf(port),
                       {lowest, highest},
                       {},
                       {}};
    if (!std::isnan(fallback)) {
        info.defaultValue = fallback;
    }
    for (const char* property : {LV2_CORE__integer, LV2_CORE__enumeration, LV2_CORE__toggled}) {
        if (lilv_port_has_property(plugin, port, world.uri(property).get())) {
            info.properties.push_back(std::strrchr(property, '#') + 1);
        }
    }
    // The port's default, else its lowest value, else 0.
    portValues[index] = !std::isnan(fallback) ? fallback : !std::isnan(lowest) ? lowest : 0.0f;
    parameters.push_back({index, std::move(info), scalePointsOf(port)});
}

// The unit's own symbol where its description is loaded, else the standard one's.
std::string Lv2Plugin::unitOf(const LilvPort* port) const {
    const Node unit(lilv_port_get(plugin, port, world.uri(LV2_UNITS__unit).get()));
    if (!unit) {
        return "";
    }
    const Node symbol(
        lilv_world_get(world.get(), unit.get(), world.uri(LV2_UNITS__symbol).get(), nullptr));
    const std::string unitUri = textOf(unit.get());
    const auto known = unitUri.starts_with(LV2_UNITS_PREFIX)
                           ? kUnitSymbols.find(unitUri.substr(strlen(LV2_UNITS_PREFIX)))
                           : kUnitSymbols.end();
    return symbol ? textOf(symbol.get()) : known != kUnitSymbols.end() ? known->second : unitUri;
}

std::vector<ScalePoint> Lv2Plugin::scalePointsOf(const LilvPort* port) const {
    std::vector<ScalePoint> points;
    if (LilvScalePoints* given = lilv_port_get_scale_points(plugin, port)) {
        LILV_FOREACH(scale_points, i, given) {
            const LilvScalePoint* point = lilv_scale_points_get(given, i);
            points.push_back(
                {static_cast<double>(lilv_node_as_float(lilv_scale_point_get_value(point))),
                 textOf(lilv_scale_point_get_label(point))});
        }
        lilv_scale_points_free(given);
    }
    std::sort(points.begin(), points.end(),
              [](const ScalePoint& a, const ScalePoint& b) { return a.value < b.value; });
    return points;
}

void Lv2Plugin::readPresets() {
    const Node presetClass = world.uri(LV2_PRESETS__Preset);
    const Node label = world.uri(LILV_NS_RDFS "label");
    LilvNodes* related = lilv_plugin_get_related(plugin, presetClass.get());
    LILV_FOREACH(nodes, i, related) {
        const LilvNode* preset = lilv_nodes_get(related, i);
        lilv_world_load_resource(world.get(), preset);
        const Node name(lilv_world_get(world.get(), preset, label.get(), nullptr));
        presetList.push_back({textOf(preset), textOf(name ? name.get() : preset)});
    }
    lilv_nodes_free(related);
    std::sort(presetList.begin(), presetList.end(), [](const Lv2Preset& a, const Lv2Preset& b) {
        return std::tie(a.label, a.uri) < std::tie(b.label, b.uri);
    });
}

void Lv2Plugin::requireFeatures() {
    for (const std::string& feature : shortUris(lilv_plugin_get_required_features(plugin))) {
        if (std::none_of(kHostFeatures.begin(), kHostFeatures.end(),
                         [&feature](const char* known) { return shortUri(known) == feature; })) {
            throw HostError("cannot instantiate " + uri() + ": it needs the host feature " +
                            feature + ", which plughost does not provide");
        }
    }
    inPlaceBroken = lilv_plugin_has_feature(plugin, world.uri(LV2_CORE__inPlaceBroken).get());
}

void Lv2Plugin::setOptions(const LoadSettings& settings) {
    maximumBlock = settings.blockSize;
    sequenceSize = static_cast<int32_t>(kSequenceCapacity);
    sampleRate = settings.sampleRate;
    const LV2_URID intType = uridMap.map(LV2_ATOM__Int);
    const auto option = [this](const char* key, LV2_URID type, const void* value) {
        return LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0,    uridMap.map(key),
                                  sizeof(int32_t),      type, value};
    };
    options = {option(LV2_BUF_SIZE__minBlockLength, intType, &minimumBlock),
               option(LV2_BUF_SIZE__maxBlockLength, intType, &maximumBlock),
               option(LV2_BUF_SIZE__nominalBlockLength, intType, &maximumBlock),
               option(LV2_BUF_SIZE__sequenceSize, intType, &sequenceSize),
               option(LV2_PARAMETERS__sampleRate, uridMap.map(LV2_ATOM__Float), &sampleRate),
               LV2_Options_Option{LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
    featureData = {LV2_Feature{LV2_URID__map, uridMap.mapFeature()},
                   LV2_Feature{LV2_URID__unmap, uridMap.unmapFeature()},
                   LV2_Feature{LV2_OPTIONS__options, options.data()},
                   LV2_Feature{LV2_BUF_SIZE__boundedBlockLength, nullptr}};
    features = {&featureData[0], &featureData[1], &featureData[2], &featureData[3], nullptr};
}

void Lv2Plugin::instantiate(const LoadSettings& settings, const CapturedStderr& diagnostics) {
    setOptions(settings);
    requireEntries();
    instance = lilv_plugin_instantiate(plugin, settings.sampleRate, features.data());
    if (instance == nullptr) {
        const std::string reason = diagnostics.lastLine();
        throw HostError("cannot instantiate " + uri() + " at " +
                        numberText(static_cast<double>(settings.sampleRate)) +
                        " Hz: " + (reason.empty() ? "the plug-in refused" : reason));
    }
    connectFixedPorts();
}

// lilv calls the descriptor's instantiate, connect_port, run and cleanup without looking (it
// connects every port as soon as it has instantiated): a library whose descriptor lacks one is
// refused before lilv loads it. One that cannot be loaded is left to lilv, which says why.
void Lv2Plugin::requireEntries() const {
    const std::string library = fileOf(lilv_plugin_get_library_uri(plugin));
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return;
    }
    std::vector<std::string> missing;
    if (const LV2_Descriptor* descriptor = descriptorIn(handle)) {
        for (const auto& [present, name] :
             {std::pair{descriptor->instantiate != nullptr, "instantiate"},
              std::pair{descriptor->connect_port != nullptr, "connect_port"},
              std::pair{descriptor->run != nullptr, "run"},
              std::pair{descriptor->cleanup != nullptr, "cleanup"}}) {
            if (!present) {
                missing.emplace_back(name);
            }
        }
    }
    dlclose(handle);
    if (!missing.empty()) {
        throw HostError("the descriptor of " + uri() + " in " + library + " has no " +
                        joined(missing) + " function");
    }
}

// The plug-in's descriptor among those the library lists; null when it lists none of that URI.
const LV2_Descriptor* Lv2Plugin::descriptorIn(void* library) const {
    const auto descriptors =
        reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    const std::string wanted = uri();
    for (uint32_t index = 0; descriptors != nullptr && index < kMostDescriptors; ++index) {
        const LV2_Descriptor* descriptor = descriptors(index);
        if (descriptor == nullptr) {
            break;
        }
        if (descriptor->URI != nullptr && wanted == descriptor->URI) {
            return descriptor;
        }
    }
    return nullptr;
}

// Audio and MIDI buffers are connected before each block.
void Lv2Plugin::connectFixedPorts() {
    for (const ControlPort& control : parameters) {
        lilv_instance_connect_port(instance, control.port, &portValues[control.port]);
    }
    for (const uint32_t port : controlOutputs) {
        lilv_instance_connect_port(instance, port, &portValues[port]);
    }
    for (const uint32_t port : absentPorts) {
        lilv_instance_connect_port(instance, port, nullptr);
    }
}

std::string Lv2Plugin::name() const {
    const Node name(lilv_plugin_get_name(plugin));
    return name ? textOf(name.get()) : uri();
}

PluginFormat Lv2Plugin::format() const {
    return PluginFormat::lv2;
}

std::string Lv2Plugin::location() const {
    return uri();
}

// lilv names the class from LV2's own description, when it is loaded; else it knows only
// "Plugin", and the class is read from the type the plug-in gives: lv2:FilterPlugin is "Filter".
std::string Lv2Plugin::pluginClass() const {
    const std::string label = textOf(lilv_plugin_class_get_label(lilv_plugin_get_class(plugin)));
    if (label != "Plugin") {
        return label;
    }
    LilvNodes* types = lilv_plugin_get_value(plugin, world.uri(LILV_NS_RDF "type").get());
    std::string named = label;
    LILV_FOREACH(nodes, i, types) {
        const std::string type = textOf(lilv_nodes_get(types, i));
        if (type.starts_with(LV2_CORE_PREFIX) && type.ends_with("Plugin") &&
            type != LV2_CORE__Plugin) {
            named = type.substr(strlen(LV2_CORE_PREFIX),
                                type.size() - strlen(LV2_CORE_PREFIX) - strlen("Plugin"));
        }
    }
    lilv_nodes_free(types);
    return named;
}

std::vector<UiInfo> Lv2Plugin::uis() const {
    std::vector<UiInfo> found;
    LilvUIs* uis = lilv_plugin_get_uis(plugin);
    LILV_FOREACH(uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        const std::string library = fileOf(lilv_ui_get_binary_uri(ui));
        std::error_code error;
        found.push_back({listOrNone(shortUrisOf(lilv_ui_get_classes(ui))), library,
                         std::filesystem::is_regular_file(library, error)});
    }
    lilv_uis_free(uis);
    return found;
}

int32_t Lv2Plugin::inputCount() const {
    return static_cast<int32_t>(audioInputs.size());
}

int32_t Lv2Plugin::outputCount() const {
    return static_cast<int32_t>(audioOutputs.size());
}

bool Lv2Plugin::takesMidi() const {
    return midiInput.has_value();
}

int32_t Lv2Plugin::parameterCount() const {
    return static_cast<int32_t>(parameters.size());
}

ParameterInfo Lv2Plugin::parameter(int32_t index) const {
    return parameters[static_cast<size_t>(index)].info;
}

double Lv2Plugin::parameterValue(int32_t index) const {
    return portValues[parameters[static_cast<size_t>(index)].port];
}

// A scale point's label where the value is one, else the number in the port's unit.
std::string Lv2Plugin::parameterDisplay(int32_t index) const {
    const ControlPort& control = parameters[static_cast<size_t>(index)];
    const double value = portValues[control.port];
    for (const ScalePoint& point : control.scalePoints) {
        if (point.value == value) {
            return point.label;
        }
    }
    return numberText(value) + (control.info.unit.empty() ? "" : " " + control.info.unit);
}

std::vector<ScalePoint> Lv2Plugin::labelledValues(int32_t index) const {
    return parameters[static_cast<size_t>(index)].scalePoints;
}

void Lv2Plugin::setParameter(int32_t index, double value) {
    portValues[parameters[static_cast<size_t>(index)].port] = static_cast<float>(value);
}

void Lv2Plugin::setPortValue(const char* symbol, const void* value, uint32_t type) {
    const auto control =
        std::find_if(parameters.begin(), parameters.end(),
                     [symbol](const ControlPort& port) { return port.info.symbol == symbol; });
    if (control == parameters.end()) {
        return;
    }
    float number = 0.0f;
    if (type == uridMap.map(LV2_ATOM__Float)) {
        std::memcpy(&number, value, sizeof number);
    } else if (type == uridMap.map(LV2_ATOM__Double)) {
        double wide = 0.0;
        std::memcpy(&wide, value, sizeof wide);
        number = static_cast<float>(wide);
    } else if (type == uridMap.map(LV2_ATOM__Int) || type == uridMap.map(LV2_ATOM__Bool)) {
        int32_t whole = 0;
        std::memcpy(&whole, value, sizeof whole);
        number = static_cast<float>(whole);
    } else if (type == uridMap.map(LV2_ATOM__Long)) {
        int64_t whole = 0;
        std::memcpy(&whole, value, sizeof whole);
        number = static_cast<float>(whole);
    } else {
        return;
    }
    portValues[control->port] = number;
}

std::string Lv2Plugin::presetKind() const {
    return "preset";
}

std::vector<PresetInfo> Lv2Plugin::presets() const {
    std::vector<PresetInfo> found;
    for (const Lv2Preset& preset : presetList) {
        found.push_back({preset.label, preset.uri, false});
    }
    return found;
}

void Lv2Plugin::selectPreset(int32_t index) {
    const Lv2Preset& preset = presetList[static_cast<size_t>(index)];
    const Node node = world.uri(preset.uri.c_str());
    LilvState* state = lilv_state_new_from_world(world.get(), uridMap.mapFeature(), node.get());
    if (state == nullptr) {
        throw HostError("cannot read the preset " + preset.label + " of " + uri());
    }
    lilv_state_restore(state, instance, restorePortValue, this, 0, features.data());
    lilv_state_free(state);
}

std::string Lv2Plugin::symbolOf(uint32_t port) const {
    return textOf(lilv_port_get_symbol(plugin, lilv_plugin_get_port_by_index(plugin, port)));
}

std::string Lv2Plugin::portList(const std::vector<uint32_t>& ports) const {
    std::vector<std::string> symbols;
    for (const uint32_t port : ports) {
        symbols.push_back(symbolOf(port));
    }
    return std::to_string(ports.size()) + (symbols.empty() ? "" : " (" + joined(symbols) + ")");
}

std::vector<PluginFact> Lv2Plugin::facts() const {
    std::vector<uint32_t> atomInputs = plainAtomInputs;
    if (midiInput) {
        atomInputs.push_back(*midiInput);
    }
    std::sort(atomInputs.begin(), atomInputs.end());
    std::vector<uint32_t> atomOutputPorts;
    for (const auto& [port, buffer] : atomOutputs) {
        atomOutputPorts.push_back(port);
    }
    return {
        {"bundle", fileOf(lilv_plugin_get_bundle_uri(plugin))},
        {"library", fileOf(lilv_plugin_get_library_uri(plugin))},
        {"audio inputs", portList(audioInputs)},
        {"audio outputs", portList(audioOutputs)},
        {"atom inputs", portList(atomInputs)},
        {"atom outputs", portList(atomOutputPorts)},
        {"control outputs", portList(controlOutputs)},
        {"MIDI input", midiInput ? symbolOf(*midiInput) : "none"},
        {"in place", inPlaceBroken ? "no (lv2:inPlaceBroken)" : "yes"},
        {"needs features", listOrNone(shortUris(lilv_plugin_get_required_features(plugin)))},
        {"uses features", listOrNone(shortUris(lilv_plugin_get_optional_features(plugin)))},
        {"parameters", std::to_string(parameters.size())},
        {"presets", std::to_string(presetList.size())},
    };
}

// Instantiated at the rate and longest block it was loaded with.
void Lv2Plugin::start(const PlaybackSettings& settings) {
    if (settings.inPlace && inPlaceBroken) {
        throw HostError("the plug-in cannot process in place (it needs lv2:inPlaceBroken): "
                        "leave out --in-place");
    }
    lilv_instance_activate(instance);
    active = true;
}

void Lv2Plugin::stop() {
    lilv_instance_deactivate(instance);
    active = false;
}

void Lv2Plugin::process(const AudioBlock& block) {
    for (size_t input = 0; input < audioInputs.size(); ++input) {
        lilv_instance_connect_port(instance, audioInputs[input], block.inputs[input]);
    }
    for (size_t output = 0; output < audioOutputs.size(); ++output) {
        lilv_instance_connect_port(instance, audioOutputs[output], block.outputs[output]);
    }
    const auto messagesFor = [this](uint32_t port) -> std::span<const AtomMessage> {
        const auto found = uiMessages.find(port);
        return found != uiMessages.end() ? found->second : std::span<const AtomMessage>{};
    };
    if (midiInput) {
        lilv_instance_connect_port(
            instance, *midiInput,
            midiBuffer.fill(block.events, block.start, messagesFor(*midiInput)));
    }
    for (const uint32_t port : plainAtomInputs) {
        const std::span<const AtomMessage> messages = messagesFor(port);
        AtomSequenceBuffer& buffer =
            messages.empty()
                ? emptyBuffer
                : messageBuffers.try_emplace(port, atomTypes, kSequenceCapacity).first->second;
        lilv_instance_connect_port(instance, port, buffer.fill({}, 0, messages));
    }
    uiMessages.clear();
    for (auto& [port, buffer] : atomOutputs) {
        lilv_instance_connect_port(instance, port, buffer.prepareOutput());
    }
    lilv_instance_run(instance, static_cast<uint32_t>(block.frames));
}

bool Lv2Plugin::writeFromUi(uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    if (protocol == 0) {
        const bool controlInput =
            std::any_of(parameters.begin(), parameters.end(),
                        [port](const ControlPort& control) { return control.port == port; });
        if (!controlInput || size != sizeof(float)) {
            return false;
        }
        std::memcpy(&portValues[port], buffer, sizeof(float));
        return true;
    }
    const bool atomInput =
        midiInput == port ||
        std::find(plainAtomInputs.begin(), plainAtomInputs.end(), port) != plainAtomInputs.end();
    LV2_Atom atom{};
    if (protocol != uridMap.map(LV2_ATOM__eventTransfer) || !atomInput || size < sizeof atom) {
        return false;
    }
    std::memcpy(&atom, buffer, sizeof atom);
    if (atom.size > size - sizeof atom) {
        return false;
    }
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    uiMessages[port].emplace_back(bytes, bytes + sizeof atom + atom.size);
    return true;
}

std::vector<AtomMessage> Lv2Plugin::outputAtoms(uint32_t port) const {
    for (const auto& [output, buffer] : atomOutputs) {
        if (output == port) {
            return buffer.writtenAtoms();
        }
    }
    return {};
}

} // namespace plughost
