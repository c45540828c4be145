#include "tools/plughost/formats/vst2editor.h"

#include <cstring>
#include <utility>

namespace plughost {
namespace {

constexpr intptr_t kHostVersion = 2400;
constexpr float kSampleRate = 44100.0f;
constexpr intptr_t kBlockSize = 512;
constexpr size_t kTextSize = 256;

std::string pluginText(const PluginInstance& plugin, int32_t opcode) {
    char text[kTextSize] = {};
    plugin.dispatch(opcode, 0, 0, text);
    text[kTextSize - 1] = '\0';
    return text;
}

intptr_t plainAnswer(const HostRequest& request) {
    return request.opcode == audioMasterVersion ? kHostVersion : 0;
}

} // namespace

void requireEditor(const PluginInstance& plugin, const std::string& path) {
    if ((plugin.record()->flags & effFlagsHasEditor) == 0) {
        throw HostError(path + " has no editor");
    }
}

std::string editorTitle(const PluginInstance& plugin, const std::string& path) {
    std::string name = pluginText(plugin, effGetEffectName);
    if (name.empty()) {
        name = pluginText(plugin, effGetProductString);
    }
    if (name.empty()) {
        const auto slash = path.rfind('/');
        name = slash == std::string::npos ? path : path.substr(slash + 1);
    }
    return name + " (" + fourCharText(plugin.record()->uniqueID) + ")";
}

SwitchedOn::SwitchedOn(const PluginInstance& plugin) : plugin(plugin) {
    plugin.dispatch(effSetSampleRate, 0, 0, nullptr, kSampleRate);
    plugin.dispatch(effSetBlockSize, 0, kBlockSize);
    plugin.dispatch(effMainsChanged, 0, 1);
}

SwitchedOn::~SwitchedOn() {
    plugin.dispatch(effMainsChanged, 0, 0);
}

Vst2Editor::Vst2Editor(const PluginInstance& plugin, RecordingHost& host, std::string title)
    : plugin(plugin), host(host), title(std::move(title)) {}

Vst2Editor::~Vst2Editor() {
    close();
}

std::optional<EditorSize> Vst2Editor::size() {
    ERect* rect = nullptr;
    plugin.dispatch(effEditGetRect, 0, 0, &rect);
    if (rect == nullptr) {
        return std::nullopt;
    }
    return EditorSize{rect->right - rect->left, rect->bottom - rect->top};
}

void Vst2Editor::open(Window parent, SizeRequest request) {
    resize = std::move(request);
    host.setResponder([this](const HostRequest& hostRequest) { return answer(hostRequest); });
    if (plugin.dispatch(effEditOpen, 0, 0,
                        reinterpret_cast<void*>(static_cast<uintptr_t>(parent))) == 0) {
        host.setResponder(plainAnswer);
        throw HostError("the editor of " + title + " refused to open");
    }
    opened = true;
}

bool Vst2Editor::idle() {
    plugin.dispatch(effEditIdle);
    return true;
}

void Vst2Editor::close() {
    if (opened) {
        plugin.dispatch(effEditClose);
        opened = false;
    }
    host.setResponder(plainAnswer);
}

intptr_t Vst2Editor::answer(const HostRequest& request) {
    switch (request.opcode) {
    case audioMasterSizeWindow: {
        const EditorSize size{request.index, static_cast<int>(request.value)};
        return request.value == size.height && resize && resize(size) ? 1 : 0;
    }
    case audioMasterCanDo:
        return request.ptr != nullptr &&
                       std::strcmp(static_cast<const char*>(request.ptr), "sizeWindow") == 0
                   ? 1
                   : 0;
    case audioMasterGetSampleRate:
        return static_cast<intptr_t>(kSampleRate);
    case audioMasterGetBlockSize:
        return kBlockSize;
    default:
        return plainAnswer(request);
    }
}

} // namespace plughost
