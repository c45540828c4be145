#include "tools/plughost/formats/lv2uihost.h"

#include "tools/common/errors.h"

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <dlfcn.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace plughost {
namespace {

// What plughost gives a UI, and what a UI may say of itself; a UI that needs anything else is
// refused.
constexpr std::array kUiFeatures = {LV2_UI__parent,    LV2_UI__resize,      LV2_UI__touch,
                                    LV2_URID__map,     LV2_URID__unmap,     LV2_UI__idleInterface,
                                    LV2_UI__fixedSize, LV2_UI__noUserResize};

std::vector<std::string> nodeTexts(LilvNodes* nodes) {
    std::vector<std::string> texts;
    LILV_FOREACH(nodes, i, nodes) {
        texts.push_back(textOf(lilv_nodes_get(nodes, i)));
    }
    lilv_nodes_free(nodes);
    return texts;
}

} // namespace

Lv2UiHost::Lv2UiHost(Lv2Plugin& plugin, Display* display) : plugin(plugin), display(display) {
    findUi();
    loadLibrary();
}

Lv2UiHost::~Lv2UiHost() {
    close();
    if (library != nullptr) {
        dlclose(library);
    }
}

std::string Lv2UiHost::title() const {
    return plugin.name() + " (" + textOf(lilv_plugin_get_uri(plugin.lilvPlugin())) + ")";
}

void Lv2UiHost::findUi() {
    const Lv2World& world = plugin.lilvWorld();
    const Node x11 = world.uri(LV2_UI__X11UI);
    LilvUIs* uis = lilv_plugin_get_uis(plugin.lilvPlugin());
    const LilvUI* chosen = nullptr;
    LILV_FOREACH(uis, i, uis) {
        const LilvUI* ui = lilv_uis_get(uis, i);
        if (chosen == nullptr && lilv_ui_is_a(ui, x11.get())) {
            chosen = ui;
        }
    }
    if (chosen != nullptr) {
        uiUri = textOf(lilv_ui_get_uri(chosen));
        binaryPath = fileOf(lilv_ui_get_binary_uri(chosen));
        bundlePath = fileOf(lilv_ui_get_bundle_uri(chosen));
    }
    lilv_uis_free(uis);
    if (uiUri.empty()) {
        throw HostError(title() + " has no X11 UI");
    }
    if (!bundlePath.ends_with('/')) {
        bundlePath += '/';
    }
    const Node ui = world.uri(uiUri.c_str());
    lilv_world_load_resource(world.get(), ui.get());
    requireFeatures(ui.get());
    findNotifiedPorts(ui.get());
}

void Lv2UiHost::requireFeatures(const LilvNode* ui) {
    const Lv2World& world = plugin.lilvWorld();
    const Node required = world.uri(LV2_CORE__requiredFeature);
    for (const std::string& feature :
         nodeTexts(lilv_world_find_nodes(world.get(), ui, required.get(), nullptr))) {
        if (std::none_of(kUiFeatures.begin(), kUiFeatures.end(),
                         [&feature](const char* known) { return feature == known; })) {
            throw HostError("cannot open the UI " + uiUri + ": it needs the host feature " +
                            feature + ", which plughost does not provide");
        }
    }
}

// The ports the UI names in ui:portNotification, by symbol or by index.
void Lv2UiHost::findNotifiedPorts(const LilvNode* ui) {
    const Lv2World& world = plugin.lilvWorld();
    const Node notification = world.uri(LV2_UI__portNotification);
    const Node symbol = world.uri(LV2_CORE__symbol);
    const Node index = world.uri(LV2_UI__portIndex);
    LilvNodes* entries = lilv_world_find_nodes(world.get(), ui, notification.get(), nullptr);
    LILV_FOREACH(nodes, i, entries) {
        const LilvNode* entry = lilv_nodes_get(entries, i);
        const Node name(lilv_world_get(world.get(), entry, symbol.get(), nullptr));
        const Node number(lilv_world_get(world.get(), entry, index.get(), nullptr));
        const LilvPort* port =
            name ? lilv_plugin_get_port_by_symbol(plugin.lilvPlugin(), name.get()) : nullptr;
        if (port != nullptr) {
            notifiedPorts.push_back(lilv_port_get_index(plugin.lilvPlugin(), port));
        } else if (number && lilv_node_is_int(number.get())) {
            notifiedPorts.push_back(static_cast<uint32_t>(lilv_node_as_int(number.get())));
        }
    }
    lilv_nodes_free(entries);
}

void Lv2UiHost::loadLibrary() {
    library = dlopen(binaryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        const char* reason = dlerror();
        throw HostError("cannot load the UI library " + binaryPath + ": " +
                        (reason != nullptr ? reason : "unknown reason"));
    }
    const auto entry =
        reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library, "lv2ui_descriptor"));
    for (uint32_t index = 0; entry != nullptr && descriptor == nullptr; ++index) {
        const LV2UI_Descriptor* candidate = entry(index);
        if (candidate == nullptr) {
            break;
        }
        if (candidate->URI != nullptr && uiUri == candidate->URI) {
            descriptor = candidate;
        }
    }
    if (descriptor == nullptr || descriptor->instantiate == nullptr ||
        descriptor->cleanup == nullptr) {
        throw HostError("the UI library " + binaryPath + " does not hold the UI " + uiUri);
    }
}

std::optional<EditorSize> Lv2UiHost::size() {
    if (handle == nullptr) {
        return std::nullopt;
    }
    if (askedSize) {
        return askedSize;
    }
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned width = 0;
    unsigned height = 0;
    unsigned border = 0;
    unsigned depth = 0;
    if (widget() == 0 ||
        XGetGeometry(display, widget(), &root, &x, &y, &width, &height, &border, &depth) == 0) {
        return std::nullopt;
    }
    return EditorSize{static_cast<int>(width), static_cast<int>(height)};
}

void Lv2UiHost::open(Window parent, SizeRequest resize) {
    close();
    resizeRequest = std::move(resize);
    resizeFeature = {this, resizeEntry};
    touchFeature = {this, touchEntry};
    UridMap& urids = plugin.urids();
    featureData = {LV2_Feature{LV2_UI__parent, reinterpret_cast<void*>(parent)},
                   LV2_Feature{LV2_UI__resize, &resizeFeature},
                   LV2_Feature{LV2_UI__touch, &touchFeature},
                   LV2_Feature{LV2_URID__map, urids.mapFeature()},
                   LV2_Feature{LV2_URID__unmap, urids.unmapFeature()},
                   LV2_Feature{LV2_UI__idleInterface, nullptr}};
    features = {&featureData[0], &featureData[1], &featureData[2], &featureData[3],
                &featureData[4], &featureData[5], nullptr};
    const std::string pluginUri = textOf(lilv_plugin_get_uri(plugin.lilvPlugin()));
    handle = descriptor->instantiate(descriptor, pluginUri.c_str(), bundlePath.c_str(), writeEntry,
                                     this, &uiWidget, features.data());
    if (handle == nullptr) {
        throw HostError("the UI of " + title() + " refused to open");
    }
    closedItself = false;
    if (descriptor->extension_data != nullptr) {
        idleInterface = static_cast<const LV2UI_Idle_Interface*>(
            descriptor->extension_data(LV2_UI__idleInterface));
    }
    delivered.clear();
    deliverControls();
}

bool Lv2UiHost::idle() {
    if (handle == nullptr || closedItself) {
        return false;
    }
    if (idleInterface != nullptr && idleInterface->idle != nullptr &&
        idleInterface->idle(handle) != 0) {
        closedItself = true;
    }
    return !closedItself;
}

void Lv2UiHost::close() {
    if (handle != nullptr) {
        descriptor->cleanup(handle);
        handle = nullptr;
        uiWidget = nullptr;
        idleInterface = nullptr;
        askedSize.reset();
    }
}

Window Lv2UiHost::widget() const {
    return static_cast<Window>(reinterpret_cast<uintptr_t>(uiWidget));
}

void Lv2UiHost::deliverBlockOutputs() {
    deliverControls();
    const uint32_t eventTransfer = plugin.urids().map(LV2_ATOM__eventTransfer);
    for (const uint32_t port : notifiedPorts) {
        for (const AtomMessage& atom : plugin.outputAtoms(port)) {
            portEvent(port, static_cast<uint32_t>(atom.size()), eventTransfer, atom.data());
        }
    }
}

void Lv2UiHost::deliverControls() {
    std::vector<uint32_t> controls = plugin.controlOutputPorts();
    for (const ControlPort& control : plugin.controlInputs()) {
        controls.push_back(control.port);
    }
    for (const uint32_t port : controls) {
        const float value = plugin.portValue(port);
        const auto heard = delivered.find(port);
        if (heard == delivered.end() ||
            std::bit_cast<uint32_t>(heard->second) != std::bit_cast<uint32_t>(value)) {
            delivered[port] = value;
            portEvent(port, sizeof value, 0, &value);
        }
    }
}

void Lv2UiHost::portEvent(uint32_t port, uint32_t size, uint32_t protocol, const void* buffer) {
    if (handle != nullptr && !closedItself && descriptor->port_event != nullptr) {
        descriptor->port_event(handle, port, size, protocol, buffer);
    }
}

void Lv2UiHost::writeEntry(LV2UI_Controller controller, uint32_t port, uint32_t size,
                           uint32_t protocol, const void* buffer) {
    auto* host = static_cast<Lv2UiHost*>(controller);
    const bool taken = host->plugin.writeFromUi(port, size, protocol, buffer);
    if (host->writeObserver) {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        host->writeObserver(
            {port, protocol,
             bytes != nullptr ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>{},
             taken});
    }
}

void Lv2UiHost::touchEntry(LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
    auto* host = static_cast<Lv2UiHost*>(handle);
    if (host->touchObserver) {
        host->touchObserver({port, grabbed});
    }
}

int Lv2UiHost::resizeEntry(LV2UI_Feature_Handle handle, int width, int height) {
    auto* host = static_cast<Lv2UiHost*>(handle);
    const EditorSize size{width, height};
    if (!host->resizeRequest || !host->resizeRequest(size)) {
        return 1;
    }
    host->askedSize = size;
    return 0;
}

} // namespace plughost
