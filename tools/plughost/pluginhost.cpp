#include "tools/plughost/pluginhost.h"

#include <dlfcn.h>

namespace plughost {
namespace {

// The instance's host is kept in the record's user field, which belongs to the host. The
// version query comes before the record exists; the creating thread's host answers it.
thread_local RecordingHost* creatingHost = nullptr;

RecordingHost* hostOf(AEffect* effect) {
    if (effect != nullptr && effect->user != nullptr) {
        return static_cast<RecordingHost*>(effect->user);
    }
    return creatingHost;
}

constexpr intptr_t kHostVersion = 2400;
constexpr size_t kTextBufferSize = 256;

// dlopen searches the library path for a bare name; a user means the file in this folder.
std::string loadablePath(const std::string& path) {
    return path.find('/') == std::string::npos ? "./" + path : path;
}

} // namespace

RecordingHost::RecordingHost()
    : responder([](const HostRequest& request) -> intptr_t {
          return request.opcode == audioMasterVersion ? kHostVersion : 0;
      }) {}

std::vector<HostRequest> RecordingHost::requests() const {
    std::lock_guard lock(mutex);
    return recorded;
}

std::vector<HostRequest> RecordingHost::requestsWithOpcode(int32_t opcode) const {
    std::vector<HostRequest> matching;
    for (const HostRequest& request : requests()) {
        if (request.opcode == opcode) {
            matching.push_back(request);
        }
    }
    return matching;
}

void RecordingHost::clear() {
    std::lock_guard lock(mutex);
    recorded.clear();
}

intptr_t RecordingHost::answer(const HostRequest& request) {
    {
        std::lock_guard lock(mutex);
        recorded.push_back(request);
    }
    if (observer) {
        observer(request);
    }
    return responder(request);
}

intptr_t recordingCallback(AEffect* effect, int32_t opcode, int32_t index, intptr_t value,
                           void* ptr, float opt) {
    RecordingHost* host = hostOf(effect);
    if (host == nullptr) {
        return opcode == audioMasterVersion ? kHostVersion : 0;
    }
    return host->answer({opcode, index, value, ptr, opt, effect != nullptr});
}

PluginLibrary::PluginLibrary(const std::string& path)
    : libraryPath(path), handle(dlopen(loadablePath(path).c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (handle == nullptr) {
        const char* reason = dlerror();
        throw HostError("cannot load " + path + ": " + (reason != nullptr ? reason : "unknown"));
    }
}

PluginLibrary::~PluginLibrary() {
    dlclose(handle);
}

PluginLibrary::Entry PluginLibrary::entry() const {
    for (const char* name : {"VSTPluginMain", "main"}) {
        if (void* symbol = dlsym(handle, name)) {
            return reinterpret_cast<Entry>(symbol);
        }
    }
    throw HostError(libraryPath + " has no entry point VSTPluginMain or main: not a VST 2 plug-in");
}

PluginLibrary::Entry PluginLibrary::entry(const char* name) const {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) {
        throw HostError(libraryPath + " has no entry point " + name + ": not a VST 2 plug-in");
    }
    return reinterpret_cast<Entry>(symbol);
}

AEffect* createInstance(PluginLibrary::Entry entry, RecordingHost& host) {
    creatingHost = &host;
    AEffect* effect = entry(recordingCallback);
    creatingHost = nullptr;
    if (effect != nullptr) {
        effect->user = &host;
    }
    return effect;
}

PluginInstance::PluginInstance(const PluginLibrary& library, RecordingHost& host, Open open)
    : effect(createInstance(library.entry(), host)) {
    if (effect == nullptr) {
        throw HostError(library.path() + " refused to create an instance");
    }
    if (effect->magic != kEffectMagic) {
        throw HostError(library.path() + " returned a record without the plug-in magic");
    }
    // Some plug-ins build their state only when opened.
    if (open == Open::now) {
        dispatch(effOpen);
    }
}

PluginInstance::~PluginInstance() {
    close();
}

void PluginInstance::close() {
    if (effect != nullptr) {
        effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
        effect = nullptr;
    }
}

intptr_t PluginInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) const {
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

void PluginInstance::setParameter(int32_t index, float value) const {
    effect->setParameter(effect, index, value);
}

float PluginInstance::getParameter(int32_t index) const {
    return effect->getParameter(effect, index);
}

void PluginInstance::process(float** inputs, float** outputs, int32_t frames) const {
    effect->process(effect, inputs, outputs, frames);
}

void PluginInstance::processReplacing(float** inputs, float** outputs, int32_t frames) const {
    effect->processReplacing(effect, inputs, outputs, frames);
}

std::string PluginInstance::text(int32_t opcode, int32_t index) const {
    char buffer[kTextBufferSize] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[kTextBufferSize - 1] = '\0';
    return buffer;
}

std::string PluginInstance::parameterName(int32_t index) const {
    return text(effGetParamName, index);
}

std::string PluginInstance::parameterLabel(int32_t index) const {
    return text(effGetParamLabel, index);
}

std::string PluginInstance::parameterDisplay(int32_t index) const {
    return text(effGetParamDisplay, index);
}

std::string PluginInstance::programName() const {
    return text(effGetProgramName, 0);
}

std::string fourCharText(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto character = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += (character >= 32 && character < 127) ? character : '?';
    }
    return text;
}

} // namespace plughost
